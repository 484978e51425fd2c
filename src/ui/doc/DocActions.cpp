// The window's side of its commands: the handler and the enabling rule of
// each, and how the commands follow the net, the selection and the canvas.
#include "DocForm.h"

#include "CanvasController.h"
#include "DocCommands.h"
#include "PetryNet.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"

#include "AnalysisDialog.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

void TDocForm::BindCommands()
{
    CommandTable->BindToolBar(CommandTable->ActionViewStdToolBar, StandartToolBar);
    CommandTable->BindToolBar(CommandTable->ActionViewNetToolBar, NetToolBar);
    CommandTable->BindToolBar(CommandTable->ActionViewModelToolBar, ModelToolBar);
    for (QAction *a : CommandTable->InstrumentGroup->actions())
        Handle(a, [this, a] { SelectInstrument(a); });

    Handle(CommandTable->ActionFileNew, [this] { ActionFileNewExecute(); });
    Handle(CommandTable->ActionFileOpen, [this] { ActionFileOpenExecute(); });
    Handle(CommandTable->ActionFileSave, [this] { ActionFileSaveExecute(); });
    Handle(CommandTable->ActionFileSaveAs, [this] { ActionFileSaveAsExecute(); });
    Handle(CommandTable->ActionFileSaveAll, [this] { Shell->SaveAll(); });
    Handle(CommandTable->ActionNetProperties, [this] { ActionNetPropertiesExecute(); });
    Handle(CommandTable->ActionFileExit, [this] { Shell->ExitApplication(); });
    Handle(CommandTable->ActionEditUndo, [this] { ActionEditUndoExecute(); });
    Handle(CommandTable->ActionEditRedo, [this] {
        Net->Redo();
        CanvasPart->RepaintCanvas();
    });
    Handle(CommandTable->ActionEditCopy, [this] { ActionEditCopyExecute(); });
    Handle(CommandTable->ActionEditPaste, [this] { ActionEditPasteExecute(); });
    Handle(CommandTable->ActionEditCut, [this] { ActionEditCutExecute(); });
    Handle(CommandTable->ActionEditDelete, [this] { ActionEditDeleteExecute(); });
    Handle(CommandTable->ActionEditSelectAll, [this] { ActionEditSelectAllExecute(); });
    Handle(CommandTable->ActionEditCancSel, [this] { ActionEditCancSelExecute(); });
    Handle(CommandTable->ActionEditCreateDescr, [this] { ActionEditCreateDescrExecute(); });
    Handle(CommandTable->ActionEditDelDescr, [this] { ActionEditDelDescrExecute(); });
    Handle(CommandTable->ActionEditInvDirection, [this] { ActionEditInvDirectionExecute(); });
    Handle(CommandTable->ActionEditArcAddPoint, [this] { ActionEditArcAddPointExecute(); });
    Handle(CommandTable->ActionEditArcDelPoint, [this] { ActionEditArcDelPointExecute(); });
    Handle(CommandTable->ActionEditInvDirC, [this] { ActionEditInvDirCExecute(); });
    Handle(CommandTable->ActionEditArcAddPointC, [this] { ActionEditArcAddPointCExecute(); });
    Handle(CommandTable->ActionEditArcDelPointC, [this] { ActionEditArcDelPointCExecute(); });
    Handle(CommandTable->ActionNetCreatePos, [this] { ActionNetCreatePosExecute(); });
    Handle(CommandTable->ActionNetCreateTransfer, [this] { ActionNetCreateTransferExecute(); });
    Handle(CommandTable->ActionModelingStart, [this] { ActionModelingStartExecute(); });
    Handle(CommandTable->ActionModelingPause, [this] { ActionModelingPauseExecute(); });
    Handle(CommandTable->ActionModelingEnd, [this] { ActionModelingEndExecute(); });
    Handle(CommandTable->ActionViewInspector, [this] { ActionViewInspectorExecute(); });
    Handle(CommandTable->ActionViewNetState, [this] { ActionViewNetStateExecute(); });
    Handle(CommandTable->ActionWindowClose, [this] { CloseDocument(); });
    Handle(CommandTable->ActionWindowNext, [this] { Shell->ShowNextDocument(this, true); });
    Handle(CommandTable->ActionWindowPrev, [this] { Shell->ShowNextDocument(this, false); });
    Handle(CommandTable->ActionWindowList, [this] { Shell->ShowWindowList(); });
    // The own entry of the Окно menu does nothing and stays checked.
    Handle(CommandTable->ActionWndMe, [this] { CommandTable->ActionWndMe->setChecked(true); });
    Handle(CommandTable->ActionAbout, [this] { Shell->ShowAboutBox(); });
    Handle(CommandTable->ActionFileExport, [this] { ActionFileExportExecute(); });
    Handle(CommandTable->ActionFilePrint, [this] { ActionFilePrintExecute(); });
    Handle(CommandTable->ActionAnalysisProperties, [this] { ShowAnalysis(int(TAnalysisView::Properties)); });
    Handle(CommandTable->ActionAnalysisGraph, [this] { ShowAnalysis(int(TAnalysisView::Graph)); });
    Handle(CommandTable->ActionAnalysisInvariants, [this] { ShowAnalysis(int(TAnalysisView::Invariants)); });
    CanvasPart->PropertiesButton()->SetAction(CommandTable->ActionNetProperties);
}


bool TDocForm::HasDoc() const
{
    return !NoDocument && Net;
}

void TDocForm::BindRules()
{
    std::map<QAction *, TDocCommands::TRule> rules;
    auto editing = [this] { return HasDoc() && !Net->Modelling; };
    rules[CommandTable->ActionFileSave] = [this] { return HasDoc() && (!Net->Saved || NeedSaveAs); };
    // There is nothing to save in the empty frame.
    rules[CommandTable->ActionFileSaveAs] = [this] { return HasDoc(); };
    rules[CommandTable->ActionFileSaveAll] = [this] { return Shell->HasUnsavedDocuments(); };
    rules[CommandTable->ActionNetProperties] = [this] { return HasDoc(); };
    rules[CommandTable->ActionEditUndo] = [this, editing] { return editing() && Net->CanUndo(); };
    rules[CommandTable->ActionEditRedo] = [this, editing] { return editing() && Net->CanRedo(); };
    rules[CommandTable->ActionEditCopy] = [this, editing] { return editing() && Selection().AnyNode; };
    rules[CommandTable->ActionEditCut] = rules[CommandTable->ActionEditCopy];
    rules[CommandTable->ActionEditPaste] = [this, editing] { return editing() && Net->CanPaste(); };
    rules[CommandTable->ActionEditDelete] = [this, editing] { return editing() && Selection().Count > 0; };
    rules[CommandTable->ActionEditSelectAll] = [this, editing] {
        return editing() && Selection().Count < Net->ElementCount();
    };
    rules[CommandTable->ActionEditCancSel] = [this] { return HasDoc() && Selection().Count > 0; };
    rules[CommandTable->ActionEditCreateDescr] = [this, editing] {
        const TNetElement *e = InspectedElement();
        return editing() && e && !e->HasDescription;
    };
    rules[CommandTable->ActionEditDelDescr] = [this, editing] {
        const TNetElement *e = InspectedElement();
        return editing() && e && e->HasDescription;
    };
    rules[CommandTable->ActionEditInvDirection] = [this] { return HasDoc() && Selection().AnyArc; };
    rules[CommandTable->ActionEditArcAddPoint] = [this] { return SelectedArc() != nullptr; };
    rules[CommandTable->ActionEditArcDelPoint] = [this] {
        const TArc *arc = SelectedArc();
        return arc && arc->PointCount() > 0;
    };
    rules[CommandTable->ActionEditInvDirC] = [this] {
        const TNetElement *e = ElementAtClickPoint();
        return e && e->Kind == KindArc && e->Selected && static_cast<const TArc *>(e)->CanInvertDirection();
    };
    rules[CommandTable->ActionEditArcAddPointC] = [this] {
        const TArc *arc = SelectedArc();
        return arc && ElementAtClickPoint() == arc;
    };
    rules[CommandTable->ActionEditArcDelPointC] = [this] {
        const TArc *arc = SelectedArc();
        return arc && arc->PointIndexAt(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y()) >= 0;
    };
    for (QAction *a : CommandTable->InstrumentGroup->actions())
        rules[a] = editing;
    rules[CommandTable->ActionModelingStart] = [this] { return HasDoc() && Net->CanStartModelling() && !ModellingRunning(); };
    rules[CommandTable->ActionModelingPause] = [this] { return HasDoc() && Net->Modelling; };
    rules[CommandTable->ActionModelingEnd] = rules[CommandTable->ActionModelingPause];
    rules[CommandTable->ActionViewNetState] = rules[CommandTable->ActionModelingPause];
    rules[CommandTable->ActionWindowClose] = [this] { return HasDoc(); };
    rules[CommandTable->ActionWindowNext] = [this] { return Shell->DocumentCount() > 1; };
    rules[CommandTable->ActionWindowPrev] = rules[CommandTable->ActionWindowNext];
    rules[CommandTable->ActionFileExport] = [this] { return HasDoc(); };
    rules[CommandTable->ActionFilePrint] = rules[CommandTable->ActionFileExport];
    // The analysis takes the current marking: while editing or while the modelling is paused.
    rules[CommandTable->ActionAnalysisProperties] = [this] { return HasDoc() && !ModellingRunning(); };
    rules[CommandTable->ActionAnalysisGraph] = rules[CommandTable->ActionAnalysisProperties];
    rules[CommandTable->ActionAnalysisInvariants] = rules[CommandTable->ActionAnalysisProperties];
    for (auto &[action, rule] : rules)
        CommandTable->SetRule(action, std::move(rule));
}

TDocForm::TSelectionSummary TDocForm::Selection() const
{
    if (SelectionDuringUpdate)
        return *SelectionDuringUpdate;
    TSelectionSummary summary;
    if (!HasDoc())
        return summary;
    // The net keeps these at hand: no walk over its elements.
    summary.Count = Net->SelectedCount();
    summary.AnyNode = Net->HasSelectedNodes();
    summary.AnyArc = Net->SelectedCountOf(KindArc) > 0;
    summary.First = Net->FirstSelected();
    return summary;
}

void TDocForm::UpdateActions()
{
    // Rules do not change the selection, so they share one count of it.
    SelectionDuringUpdate.reset();
    SelectionDuringUpdate = Selection();
    CommandTable->UpdateAll();
    SelectionDuringUpdate.reset();
    // Every edit ends in this refresh, so the analysis learns of it here.
    CancelAnalysisIfEdited();
}

void TDocForm::ActionEditSelectAllUpdate()
{
    CommandTable->RefreshRule(CommandTable->ActionEditSelectAll);
    Execute(CommandTable->ActionNetDoSelection);
}

void TDocForm::Execute(QAction *action)
{
    CommandTable->Execute(action);
}

void TDocForm::SelectInstrument(QAction *action)
{
    CanvasPart->SetInstrument(TInstrument(action->data().toInt()));
    CanvasPart->SetCanvasHints(CanvasPart->Instrument() == TInstrument::Selection);
}


void TDocForm::Handle(QAction *action, std::function<void()> handler)
{
    CommandTable->Handle(action, std::move(handler));
}

void TDocForm::PrepareCommand(QAction *action)
{
    if (action == CommandTable->ActionEditSelectAll)
        ActionEditSelectAllUpdate();
}

void TDocForm::RunCommand(const std::function<void()> &handler)
{
    {
        const TRefreshBatch batch(*this);
        handler();
    }
    UpdateActions();
}
