// The commands that act on the canvas: on the point of the last popup click,
// on the selected arc, and on the selection as a whole.
#include "DocForm.h"

#include "DocCommands.h"

#include "CanvasController.h"
#include "PetryNet.h"
#include "controls/EventHook.h"
#include "controls/GKActnCtrls.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>

TArc *TDocForm::SelectedArc() const
{
    const TSelectionSummary selection = Selection();
    return selection.Count == 1 && selection.First->Kind == KindArc ? static_cast<TArc *>(selection.First) : nullptr;
}

TNetElement *TDocForm::ElementAtClickPoint() const
{
    return HasDoc() ? Net->ElementAt(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y()) : nullptr;
}

void TDocForm::AfterCanvasEdit()
{
    // Status line and command states follow every change made on the canvas.
    UpdateInspector();
    UpdateActions();
    CanvasPart->RepaintCanvas();
}

void TDocForm::ActionNetCreatePosExecute()
{
    Net->AddPlace(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y());
    AfterCanvasEdit();
}

void TDocForm::ActionNetCreateTransferExecute()
{
    Net->AddTransition(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y());
    AfterCanvasEdit();
}

void TDocForm::ActionEditInvDirCExecute()
{
    if (auto *arc = dynamic_cast<TArc *>(ElementAtClickPoint()))
        arc->InvertDirection();
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcAddPointCExecute()
{
    SelectedArc()->AddPoint(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y(), false);
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcDelPointCExecute()
{
    TArc *arc = SelectedArc();
    arc->DeletePoint(arc->PointIndexAt(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y()));
    AfterCanvasEdit();
}

void TDocForm::ActionEditInvDirectionExecute()
{
    // In list order, each arc checked after the ones before it have turned.
    for (TArc *arc : Net->Arcs)
        if (arc->Selected && arc->CanInvertDirection())
            arc->InvertDirection();
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcAddPointExecute()
{
    SelectedArc()->AddPoint(0, 0, true);
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcDelPointExecute()
{
    TArc *arc = SelectedArc();
    arc->DeletePoint(arc->PointCount() - 1);
    AfterCanvasEdit();
}

void TDocForm::ActionEditSelectAllExecute()
{
    Net->SelectAll();
    CanvasPart->RepaintCanvas();
}

void TDocForm::ActionEditCancSelExecute()
{
    Net->CancelSelection();
    Execute(CommandTable->ActionNetDoSelection);
    CanvasPart->RepaintCanvas();
}

void TDocForm::InstallGestureBreaks()
{
    // A command's shortcut pressed in the middle of a gesture ends the gesture
    // first, so no command finds the mouse captured or the net half edited.
    TCanvasController *canvas = CanvasPart.get();
    auto *shortcuts = new TEventHook(canvas, [canvas](QObject *, QEvent *event) {
        if (event->type() == QEvent::Shortcut && canvas->InGesture())
            canvas->EndCanvasGesture();
        return false;
    });
    for (QAction *action : std::as_const(CommandTable->All()))
        action->installEventFilter(shortcuts);
    // However the instrument changes, a gesture of the old one does not go on.
    connect(CommandTable->InstrumentGroup, &QActionGroup::triggered, canvas, [canvas] {
        if (canvas->InGesture())
            canvas->EndCanvasGesture();
    });
}

void TDocForm::BeginRefresh()
{
    ++RefreshBatchDepth;
}

void TDocForm::EndRefresh()
{
    if (--RefreshBatchDepth == 0)
        FlushPendingRefresh();
}

void TDocForm::CanvasEdited()
{
    AfterCanvasEdit();
}

void TDocForm::DragStarted()
{
    UpdateInspector();
}

QMenu *TDocForm::PopupFor(TInstrument instrument)
{
    QMenu *popup = instrument == TInstrument::Selection    ? CanvasPopup
                   : instrument == TInstrument::Place      ? PlacePopup
                   : instrument == TInstrument::Transition ? TransitionPopup
                                                           : nullptr;
    FlushPendingRefresh();
    UpdateActions();
    return popup;
}
