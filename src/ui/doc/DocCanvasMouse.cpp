// Mouse handling of the canvas: the six instruments, click and band
// selection, dragging, arcs, token and multiplicity clicks and the popups.
#include "DocForm.h"

#include "PetryNet.h"
#include "controls/EventHook.h"
#include "controls/GKActnCtrls.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QActionGroup>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <limits>

namespace {
constexpr qint32 MaxCount = std::numeric_limits<qint32>::max();

// Makes an element the only selected one unless it is selected already;
// true when the selection changed.
bool SelectAlone(TPetryNet &net, TNetElement *element)
{
    if (element->Selected)
        return false;
    net.CancelSelection();
    element->SetSelected(true);
    net.NotifySelectionChange();
    return true;
}

// A click of the tokens or the multiplicity instrument on an element of its
// kind: the element becomes the only selected one and its count (tokens of a
// place, multiplicity of an arc) goes one step up or down within its range.
void StepCount(TPetryNet &net, TNetElement *element, TInstrument instrument, bool up)
{
    const quint8 kind = instrument == TInstrument::Tokens ? KindPlace : KindArc;
    if (!element || element->Kind != kind)
        return;
    SelectAlone(net, element);
    auto *place = kind == KindPlace ? static_cast<TPosition *>(element) : nullptr;
    auto *arc = kind == KindArc ? static_cast<TArc *>(element) : nullptr;
    const qint32 count = place ? place->Tokens : arc->Multiplicity;
    const qint32 minimum = place ? 0 : 1;
    if (up ? count >= MaxCount : count <= minimum)
        return;
    const qint32 next = up ? count + 1 : count - 1;
    if (place)
        place->SetTokens(next);
    else
        arc->SetMultiplicity(next);
}
} // namespace

void TDocForm::InstallCanvasHandlers()
{
    DocArea->setMouseTracking(true);
    HintTimer = new QTimer(this);
    connect(HintTimer, &QTimer::timeout, this, &TDocForm::HintTimerTimer);
    connect(DownScrollBar, &QScrollBar::valueChanged, this, &TDocForm::DownScrollBarScroll);
    connect(RightScrollBar, &QScrollBar::valueChanged, this, &TDocForm::RightScrollBarScroll);
    InstallPanelScrolling();
    if (!ShowCanvasPopup)
        ShowCanvasPopup = [](QMenu *popup, QPoint globalPos) { popup->exec(globalPos); };

    CanvasEvents = new TEventHook(this, [this](QObject *, QEvent *event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *e = static_cast<QMouseEvent *>(event);
            DocAreaMouseDown(e->button(), e->modifiers(), e->position().toPoint());
            return true;
        }
        case QEvent::MouseMove:
            DocAreaMouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
            return true;
        case QEvent::MouseButtonRelease: {
            const auto *e = static_cast<QMouseEvent *>(event);
            DocAreaMouseUp(e->button(), e->modifiers(), e->position().toPoint());
            return true;
        }
        case QEvent::ToolTip: {
            const auto *e = static_cast<QHelpEvent *>(event);
            ShowCanvasHint(e->pos(), e->globalPos());
            return true;
        }
        case QEvent::Leave:
            HintTimer->stop();
            return false;
        default:
            return false;
        }
    });
    DocArea->installEventFilter(CanvasEvents);

    // A command's shortcut pressed in the middle of a gesture ends the gesture
    // first, so no command finds the mouse captured or the net half edited.
    auto *shortcuts = new TEventHook(this, [this](QObject *, QEvent *event) {
        if (event->type() == QEvent::Shortcut && (Capturing || ButtonPressed))
            EndCanvasGesture();
        return false;
    });
    for (QAction *action : std::as_const(ActionManager))
        action->installEventFilter(shortcuts);
    // However the instrument changes, a gesture of the old one does not go on.
    connect(InstrumentGroup, &QActionGroup::triggered, this, [this] {
        if (Capturing || ButtonPressed)
            EndCanvasGesture();
    });
}

// A gesture holds the mouse through Qt's implicit grab: every event goes to
// the canvas from the left press until its release, also outside the canvas,
// and the grab can never outlive the button.
void TDocForm::StartCapture()
{
    Capturing = true;
}

void TDocForm::StopCapture()
{
    Capturing = false;
}

void TDocForm::DocAreaMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint p)
{
    if (!HasDoc())
        return;
    const TRefreshBatch batch(*this);
    DocArea->setFocus();
    ButtonPressed = true;
    if (Net->Modelling)
        return; // the release fires
    if (button == Qt::LeftButton) {
        if (Instrument == TInstrument::Place || Instrument == TInstrument::Transition) {
            Net->CancelSelection();
            RepaintCanvas();
        } else if (Instrument == TInstrument::Arc) {
            Net->CancelSelection();
            if (Net->IsNodeAt(p.x(), p.y())) {
                StartCapture();
                OnScreen([&](QPainter &s) { Net->BeginArc(p.x(), p.y(), s); });
            }
            RepaintCanvas();
        }
        return;
    }

    if (Capturing || Instrument == TInstrument::Tokens || Instrument == TInstrument::Multiplicity)
        return; // those act on the release
    ClickPoint = p;
    ButtonPressed = false;
    QMenu *popup = nullptr;
    if (Instrument == TInstrument::Selection)
        popup = CanvasPopup;
    else if (Instrument == TInstrument::Place)
        popup = PlacePopup;
    else if (Instrument == TInstrument::Transition)
        popup = TransitionPopup;
    else
        return;
    if (TNetElement *element = Net->ElementAt(p.x(), p.y()); element && SelectAlone(*Net, element))
        RepaintCanvas();
    PasteAtPoint = true; // cleared by the next Paste, which goes to ClickPoint
    // The popup's loop shows the inspector; it shows the new selection.
    FlushPendingRefresh();
    UpdateActions();
    ShowCanvasPopup(popup, DocArea->mapToGlobal(p));
    ButtonPressed = false;
}

void TDocForm::DocAreaMouseMove(QPoint p)
{
    HintPoint = p;
    if (!HasDoc() || Net->Modelling)
        return;
    const TRefreshBatch batch(*this);
    if (Instrument == TInstrument::Arc) {
        if (Capturing)
            OnScreen([&](QPainter &s) { Net->TrackArc(p.x(), p.y(), s); });
        return;
    }
    if (Instrument != TInstrument::Selection)
        return;

    if (ButtonPressed && !Capturing) {
        // The first move with the button held starts a drag or a band at once.
        bool dragging = false;
        OnScreen([&](QPainter &s) { dragging = Net->BeginDrag(p.x(), p.y(), s); });
        if (dragging) {
            StartCapture();
            SetCanvasHints(false);
            UpdateInspector();
            return;
        }
        TrackPoint = p;
        // A band starts only on the sheet; outside it the next move tries again.
        if (p.x() >= Net->OriginX() && p.x() < Net->MaxX() && p.y() >= Net->OriginY() && p.y() < Net->MaxY()) {
            StartCapture();
            SetCanvasHints(false);
            ClickPoint = TrackPoint;
            OnScreen([this](QPainter &s) { DrawBand(s); });
        }
        return;
    }
    if (!Capturing)
        return;
    if (Net->IsDragging()) {
        OnScreen([&](QPainter &s) { Net->DragTo(p.x(), p.y(), s); });
        return;
    }

    // Rubber band: erase, follow the pointer, scroll at the canvas edge, draw.
    OnScreen([this](QPainter &s) { DrawBand(s); });
    TrackPoint = p;
    const int edgeX = DocArea->width() - 20, edgeY = DocArea->height() - 20;
    if (p.x() < 0 || p.y() < 0 || p.x() >= edgeX || p.y() >= edgeY) {
        const int stepX = p.x() <= 0 ? -1 : p.x() >= edgeX ? 1 : 0;
        const int stepY = p.y() <= 0 ? -1 : p.y() >= edgeY ? 1 : 0;
        // The band stays fixed to the sheet while the view moves.
        const QPoint taken = ScrollCanvasBy(stepX, stepY);
        ClickPoint -= taken;
        TrackPoint -= taken;
    }
    TrackPoint.setX(qBound(Net->OriginX(), TrackPoint.x(), Net->MaxX()));
    TrackPoint.setY(qBound(Net->OriginY(), TrackPoint.y(), Net->MaxY()));
    OnScreen([this](QPainter &s) { DrawBand(s); });
}

void TDocForm::DocAreaMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p)
{
    if (!HasDoc() || !ButtonPressed)
        return;
    const TRefreshBatch batch(*this);
    if (Net->Modelling) {
        ButtonPressed = false;
        // A firing is notified by the net, which repaints the canvas.
        Net->FireAt(p.x(), p.y());
        return;
    }
    const bool counting = Instrument == TInstrument::Tokens || Instrument == TInstrument::Multiplicity;
    TNetElement *element = counting ? Net->ElementAt(p.x(), p.y()) : nullptr;
    const bool left = button == Qt::LeftButton;

    if (!left) {
        if (!Capturing)
            ButtonPressed = false;
        if (counting) {
            StepCount(*Net, element, Instrument, false);
            AfterCanvasEdit();
        }
        return;
    }

    ButtonPressed = false;
    switch (Instrument) {
    case TInstrument::Selection:
        if (Capturing && Net->IsDragging()) {
            OnScreen([this](QPainter &s) { Net->EndDrag(s); });
            StopCapture();
            SetCanvasHints(true);
            AfterCanvasEdit();
        } else if (Capturing) {
            StopCapture();
            SetCanvasHints(true);
            OnScreen([this](QPainter &s) { DrawBand(s); });
            const TSides band{ClickPoint.x(), ClickPoint.y(), TrackPoint.x(), TrackPoint.y()};
            if (shift & Qt::ShiftModifier)
                Net->UnselectInRect(band);
            else if (shift & Qt::ControlModifier)
                Net->AddSelectInRect(band);
            else
                Net->SelectInRect(band);
            RepaintCanvas();
        } else {
            if (shift & Qt::ShiftModifier)
                Net->UnselectAt(p.x(), p.y());
            else if (shift & Qt::ControlModifier)
                Net->AddSelectAt(p.x(), p.y());
            else
                Net->SelectAt(p.x(), p.y());
            RepaintCanvas();
        }
        break;
    case TInstrument::Place:
        if (Net->CanPlace(p.x(), p.y(), KindPlace))
            Net->AddPlace(p.x(), p.y());
        AfterCanvasEdit();
        break;
    case TInstrument::Transition:
        if (Net->CanPlace(p.x(), p.y(), KindTransition))
            Net->AddTransition(p.x(), p.y());
        AfterCanvasEdit();
        break;
    case TInstrument::Arc:
        if (Capturing) {
            StopCapture();
            OnScreen([this](QPainter &s) { Net->EndArc(s); });
        }
        AfterCanvasEdit();
        break;
    case TInstrument::Tokens:
    case TInstrument::Multiplicity:
        StepCount(*Net, element, Instrument, true);
        AfterCanvasEdit();
        break;
    default:
        break;
    }
}

void TDocForm::EndCanvasGesture()
{
    const TRefreshBatch batch(*this);
    ButtonPressed = false;
    if (!Capturing)
        return;
    StopCapture();
    if (BandShown)
        OnScreen([this](QPainter &s) { DrawBand(s); });
    if (HasDoc() && Net->IsDragging()) {
        // The nodes have moved already: the drag ends where the mouse is.
        OnScreen([this](QPainter &s) { Net->EndDrag(s); });
    } else if (HasDoc() && Net->IsDrawingArc()) {
        // An unfinished arc is dropped without making one.
        OnScreen([this](QPainter &s) { Net->DrawRubberArc(s); });
        Net->CancelArc();
    }
    SetCanvasHints(Instrument == TInstrument::Selection || (HasDoc() && Net->Modelling));
    if (HasDoc())
        AfterCanvasEdit();
}
