// The window's answer to the net's notifications: the parts are refreshed
// from the net in one direction, never from each other's widgets.
#include "DocForm.h"

#include "DocCommands.h"

#include "CanvasController.h"

#include "FocusFrames.h"
#include "ElementsPanel.h"
#include "NetStatePanel.h"
#include "PetryNet.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QTimer>

void TDocForm::BuildParts()
{
    FocusFrames = std::make_unique<TFocusFrames>(XPColorMap());
    InspectorPart = std::make_unique<TElementsPanel>(InspectorContent, ColorMaps, *FocusFrames);
    StatePanel = std::make_unique<TNetStatePanel>(NetStateContent, XPColorMap(), *FocusFrames);
    connect(InspectorPart.get(), &TElementsPanel::RowChosen, this, [this] {
        UpdateInspector();
        UpdateActions();
    });
    connect(InspectorPart.get(), &TElementsPanel::Changed, this, &TDocForm::InspectorChanged);
    connect(StatePanel.get(), &TNetStatePanel::StatePicked, this, &TDocForm::StateTreeChange);
    connect(FocusFrames.get(), &TFocusFrames::Entered, this, &TDocForm::ControlsEnter);
}

void TDocForm::ControlsEnter()
{
    if (CanvasPart->Instrument() != TInstrument::Selection)
        Execute(CommandTable->ActionNetDoSelection);
}

void TDocForm::InspectorChanged(bool canvas)
{
    if (canvas)
        CanvasPart->RepaintCanvas();
    UpdateActions();
}

void TDocForm::NetChange()
{
    InspectorPart->RebuildList();
    // A rebuild makes row 1 current whatever was selected before it, so a
    // selection change held back until now has nothing left to do.
    SelectionRefreshPending = false;
    UpdateInspector();
    CanvasPart->RepaintCanvas();
    UpdateActions();
}

void TDocForm::NetSelectionChange()
{
    if (RefreshBatchDepth == 0) {
        RefreshSelection();
        return;
    }
    if (SelectionRefreshPending)
        return;
    SelectionRefreshPending = true;
    if (!SelectionRefreshTimer) {
        SelectionRefreshTimer = new QTimer(this);
        SelectionRefreshTimer->setSingleShot(true);
        SelectionRefreshTimer->setInterval(0);
        connect(SelectionRefreshTimer, &QTimer::timeout, this, &TDocForm::FlushPendingRefresh);
    }
    SelectionRefreshTimer->start();
}

void TDocForm::FlushPendingRefresh()
{
    if (!SelectionRefreshPending)
        return;
    SelectionRefreshPending = false;
    SelectionRefreshTimer->stop();
    RefreshSelection();
}

void TDocForm::RefreshSelection()
{
    InspectorPart->FollowSelection();
    UpdateInspector();
    UpdateActions();
}

TNetElement *TDocForm::InspectedElement() const
{
    return InspectorPart ? InspectorPart->InspectedElement() : nullptr;
}

void TDocForm::UpdateInspector()
{
    if (HasDoc())
        SelectionInfo->SetCaption(SelectionText(Net->SelectedCount(), Net->ElementCount(), Net->PlaceCount(),
                                                Net->TransitionCount(), Net->ArcCount()));
    InspectorPart->Refresh();
    UpdatePanelScrollButtons(NetInspector);
}

void TDocForm::NetStateChange()
{
    if (!Net->CurrentState)
        return;
    StatePanel->ShowCurrentState();
    // A firing changed the marking: the canvas shows it.
    CanvasPart->RepaintCanvas();
    ShowStateInfo(Net->CurrentState);
    UpdateActions();
}

void TDocForm::StateTreeChange(TNetStateTreeNode *node)
{
    if (!HasDoc() || !Net->Modelling)
        return;
    Net->GoToState(node);
    CanvasPart->RepaintCanvas();
    // Picking a state by hand always stops an automatic run.
    if (!CommandTable->ActionModelingPause->isChecked())
        Execute(CommandTable->ActionModelingPause);
    StatePanel->ShowPickedState();
    ShowStateInfo(Net->CurrentState);
    UpdateActions();
}
