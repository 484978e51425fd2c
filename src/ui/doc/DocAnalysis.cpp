// The Анализ menu: the analysis dialog of the net's current marking, and the
// way from a state the analysis found back into the modelling.
#include "DocForm.h"

#include "AnalysisDialog.h"
#include "AnalysisNet.h"
#include "CanvasController.h"
#include "DocCommands.h"
#include "PetryNet.h"

#include <QAction>

namespace {
QList<qint32> CurrentMarking(const TPetryNet &net)
{
    QList<qint32> marking;
    marking.reserve(net.Places.size());
    for (const TPosition *p : net.Places)
        marking << p->Tokens;
    return marking;
}

// The first state of the tree, root first, whose marking is the given one.
TNetStateTreeNode *FindState(TNetStateTreeNode *node, const QList<qint32> &marking)
{
    if (!node)
        return nullptr;
    if (node->HasMarking(marking))
        return node;
    for (const TNetStateTreeNode::TChild &child : node->Children)
        if (TNetStateTreeNode *found = FindState(child.Node.get(), marking))
            return found;
    return nullptr;
}
} // namespace

void TDocForm::ShowAnalysis(int view)
{
    TAnalysisDialog *dialog = ShowNetAnalysis(this, *Net, TAnalysisView(view));
    if (!dialog)
        return;
    if (dialog != AnalysisWindow) {
        AnalysisWindow = dialog;
        connect(dialog, &TAnalysisDialog::ShowInModelling, this, &TDocForm::PlayInModelling);
    }
    AnalysisCancelled = false;
    AnalysedMarking = CurrentMarking(*Net);
}

void TDocForm::CancelAnalysisIfEdited()
{
    // Firings while modelling change the marking but not the net.
    if (!AnalysisWindow || AnalysisCancelled || !HasDoc() || Net->Modelling)
        return;
    TAnalysisNet current;
    if (BuildAnalysisNet(*Net, current) && !AnalysisWindow->NeedsAnalysis(current))
        return;
    AnalysisCancelled = true;
    AnalysisWindow->Cancel();
}

void TDocForm::CloseAnalysis()
{
    if (!AnalysisWindow)
        return;
    AnalysisWindow->Cancel();
    AnalysisWindow->close();
    AnalysisWindow = nullptr;
}

void TDocForm::PlayInModelling(const QList<int> &path)
{
    if (!HasDoc())
        return;
    if (!Net->Modelling) {
        Execute(CommandTable->ActionModelingStart);
        if (!Net->Modelling)
            return;
    } else if (ModellingRunning()) {
        // The run pauses, so that the path stays where it was played.
        Execute(CommandTable->ActionModelingPause);
    }
    // The path starts at the analysed marking: the root state, or the state
    // that was current when the analysis was asked for while paused.
    TNetStateTreeNode *start = FindState(Net->RootState.get(), AnalysedMarking);
    if (!start)
        return;
    {
        const TRefreshBatch batch(*this);
        Net->GoToState(start);
        for (int t : path) {
            if (t < 0 || t >= Net->Transitions.size() || !Net->Transitions[t]->IsEnabled())
                break;
            Net->Transitions[t]->Fire();
        }
    }
    // An empty path only went back to the start state, which the net does not announce.
    NetStateChange();
    CanvasPart->RepaintCanvas();
    UpdateActions();
    activateWindow();
}
