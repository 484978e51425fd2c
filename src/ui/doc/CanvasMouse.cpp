// Mouse handling of the canvas: the six instruments, click and band
// selection, dragging, arcs, token and multiplicity clicks and the popups.
#include "CanvasController.h"

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
// Holds the window's refresh for the length of one gesture step.
class TOneRefresh
{
public:
    explicit TOneRefresh(TCanvasHost &host)
        : Host(host)
    {
        Host.BeginRefresh();
    }
    ~TOneRefresh() { Host.EndRefresh(); }
    TOneRefresh(const TOneRefresh &) = delete;
    TOneRefresh &operator=(const TOneRefresh &) = delete;

private:
    TCanvasHost &Host;
};

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

void TCanvasController::InstallCanvasHandlers()
{
    DocArea->setMouseTracking(true);
    HintTimer = new QTimer(this);
    connect(HintTimer, &QTimer::timeout, this, &TCanvasController::HintTimerTimer);
    connect(DownScrollBar, &QScrollBar::valueChanged, this, &TCanvasController::DownScrollBarScroll);
    connect(RightScrollBar, &QScrollBar::valueChanged, this, &TCanvasController::RightScrollBarScroll);
    ShowCanvasPopup = [](QMenu *popup, QPoint globalPos) { popup->exec(globalPos); };

    auto *canvasEvents = new TEventHook(this, [this](QObject *, QEvent *event) {
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
    DocArea->installEventFilter(canvasEvents);
}

// A gesture holds the mouse through Qt's implicit grab: every event goes to
// the canvas from the left press until its release, also outside the canvas,
// and the grab can never outlive the button.
void TCanvasController::StartCapture()
{
    CaptureOn = true;
}

void TCanvasController::StopCapture()
{
    CaptureOn = false;
}

void TCanvasController::DocAreaMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint p)
{
    if (!HasNet())
        return;
    const TOneRefresh batch(Host);
    DocArea->setFocus();
    Pressed = true;
    if (Net->Modelling)
        return; // the release fires
    if (button == Qt::LeftButton) {
        if (CurrentInstrument == TInstrument::Place || CurrentInstrument == TInstrument::Transition) {
            Net->CancelSelection();
            RepaintCanvas();
        } else if (CurrentInstrument == TInstrument::Arc) {
            Net->CancelSelection();
            if (Net->IsNodeAt(p.x(), p.y())) {
                StartCapture();
                OnScreen([&](QPainter &s) { Net->BeginArc(p.x(), p.y(), s); });
            }
            RepaintCanvas();
        }
        return;
    }

    if (CaptureOn || CurrentInstrument == TInstrument::Tokens || CurrentInstrument == TInstrument::Multiplicity)
        return; // those act on the release
    Click = p;
    Pressed = false;
    if (CurrentInstrument != TInstrument::Selection && CurrentInstrument != TInstrument::Place &&
        CurrentInstrument != TInstrument::Transition)
        return;
    if (TNetElement *element = Net->ElementAt(p.x(), p.y()); element && SelectAlone(*Net, element))
        RepaintCanvas();
    PasteAtClick = true; // cleared by the next Paste, which goes to Click
    // The popup's loop shows the inspector; the window brings it up to the new selection.
    ShowCanvasPopup(Host.PopupFor(CurrentInstrument), DocArea->mapToGlobal(p));
    Pressed = false;
}

void TCanvasController::DocAreaMouseMove(QPoint p)
{
    HintPoint = p;
    if (!HasNet() || Net->Modelling)
        return;
    const TOneRefresh batch(Host);
    if (CurrentInstrument == TInstrument::Arc) {
        if (CaptureOn)
            OnScreen([&](QPainter &s) { Net->TrackArc(p.x(), p.y(), s); });
        return;
    }
    if (CurrentInstrument != TInstrument::Selection)
        return;

    if (Pressed && !CaptureOn) {
        // The first move with the button held starts a drag or a band at once.
        bool dragging = false;
        const std::pair selection(Net->SelectedCount(), Net->FirstSelected());
        OnScreen([&](QPainter &s) { dragging = Net->BeginDrag(p.x(), p.y(), s); });
        // Grabbing an element not selected selects it alone and draws the
        // elements anew over the whole view.
        if (selection != std::pair(Net->SelectedCount(), Net->FirstSelected()))
            DocArea->update();
        if (dragging) {
            StartCapture();
            SetCanvasHints(false);
            Host.DragStarted();
            return;
        }
        Track = p;
        // A band starts only on the sheet; outside it the next move tries again.
        if (p.x() >= Net->OriginX() && p.x() < Net->MaxX() && p.y() >= Net->OriginY() && p.y() < Net->MaxY()) {
            StartCapture();
            SetCanvasHints(false);
            Click = Track;
            OnScreen([this](QPainter &s) { DrawBand(s); });
        }
        return;
    }
    if (!CaptureOn)
        return;
    if (Net->IsDragging()) {
        OnScreen([&](QPainter &s) { Net->DragTo(p.x(), p.y(), s); });
        return;
    }

    // Rubber band: erase, follow the pointer, scroll at the canvas edge, draw.
    OnScreen([this](QPainter &s) { DrawBand(s); });
    Track = p;
    const int edgeX = DocArea->width() - 20, edgeY = DocArea->height() - 20;
    if (p.x() < 0 || p.y() < 0 || p.x() >= edgeX || p.y() >= edgeY) {
        const int stepX = p.x() <= 0 ? -1 : p.x() >= edgeX ? 1 : 0;
        const int stepY = p.y() <= 0 ? -1 : p.y() >= edgeY ? 1 : 0;
        // The band stays fixed to the sheet while the view moves.
        const QPoint taken = ScrollCanvasBy(stepX, stepY);
        Click -= taken;
        Track -= taken;
    }
    Track.setX(qBound(Net->OriginX(), Track.x(), Net->MaxX()));
    Track.setY(qBound(Net->OriginY(), Track.y(), Net->MaxY()));
    OnScreen([this](QPainter &s) { DrawBand(s); });
}

void TCanvasController::DocAreaMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p)
{
    if (!HasNet() || !Pressed)
        return;
    const TOneRefresh batch(Host);
    if (Net->Modelling) {
        Pressed = false;
        // A firing is notified by the net, which repaints the canvas.
        Net->FireAt(p.x(), p.y());
        return;
    }
    const bool counting = CurrentInstrument == TInstrument::Tokens || CurrentInstrument == TInstrument::Multiplicity;
    TNetElement *element = counting ? Net->ElementAt(p.x(), p.y()) : nullptr;
    const bool left = button == Qt::LeftButton;

    if (!left) {
        if (!CaptureOn)
            Pressed = false;
        if (counting) {
            StepCount(*Net, element, CurrentInstrument, false);
            Host.CanvasEdited();
        }
        return;
    }

    Pressed = false;
    switch (CurrentInstrument) {
    case TInstrument::Selection:
        if (CaptureOn && Net->IsDragging()) {
            OnScreen([this](QPainter &s) { Net->EndDrag(s); });
            StopCapture();
            SetCanvasHints(true);
            Host.CanvasEdited();
        } else if (CaptureOn) {
            StopCapture();
            SetCanvasHints(true);
            OnScreen([this](QPainter &s) { DrawBand(s); });
            const TSides band{Click.x(), Click.y(), Track.x(), Track.y()};
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
        Host.CanvasEdited();
        break;
    case TInstrument::Transition:
        if (Net->CanPlace(p.x(), p.y(), KindTransition))
            Net->AddTransition(p.x(), p.y());
        Host.CanvasEdited();
        break;
    case TInstrument::Arc:
        if (CaptureOn) {
            StopCapture();
            OnScreen([this](QPainter &s) { Net->EndArc(s); });
        }
        Host.CanvasEdited();
        break;
    case TInstrument::Tokens:
    case TInstrument::Multiplicity:
        StepCount(*Net, element, CurrentInstrument, true);
        Host.CanvasEdited();
        break;
    default:
        break;
    }
}

void TCanvasController::EndCanvasGesture()
{
    const TOneRefresh batch(Host);
    Pressed = false;
    if (!CaptureOn)
        return;
    StopCapture();
    if (BandShown)
        OnScreen([this](QPainter &s) { DrawBand(s); });
    if (HasNet() && Net->IsDragging()) {
        // The nodes have moved already: the drag ends where the mouse is.
        OnScreen([this](QPainter &s) { Net->EndDrag(s); });
    } else if (HasNet() && Net->IsDrawingArc()) {
        // An unfinished arc is dropped without making one.
        OnScreen([this](QPainter &s) { Net->DrawRubberArc(s); });
        Net->CancelArc();
    }
    SetCanvasHints(CurrentInstrument == TInstrument::Selection || (HasNet() && Net->Modelling));
    if (HasNet())
        Host.CanvasEdited();
}
