// Starting, pausing and ending modelling, and the automatic run. Modelling
// has three window states: editing (not Modelling), paused (Modelling, pause
// checked, timer off) and running (Modelling, pause cleared, timer on).
#include "DocForm.h"

#include "PetryNet.h"
#include "StatePanel.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QSignalBlocker>
#include <QTimer>

bool TDocForm::ModellingRunning() const
{
    return HasDoc() && Net->Modelling && !ActionModelingPause->isChecked();
}

void TDocForm::ActionModelingStartExecute()
{
    // From the paused state the start command resumes the run.
    if (ActionModelingPause->isChecked() && Net->Modelling) {
        Execute(ActionModelingPause);
        return;
    }
    // A fresh start always leaves the net paused.
    {
        const QSignalBlocker blocker(ActionModelingPause);
        ActionModelingPause->setChecked(true);
    }
    Net->StartModelling();
    RepaintCanvas();
    Execute(ActionViewNetState);
    UpdateInspector();
    SetCanvasHints(true);
    RunsPanel->SetCaption(QStringLiteral("Запусков не было."));
    RunsPanel->raise();
    RunsPanel->show();
}

void TDocForm::ActionModelingPauseExecute()
{
    if (ActionModelingPause->isChecked())
        ExecTimer->stop();
    else
        ExecTimer->start();
}

void TDocForm::ActionModelingEndExecute()
{
    // A state panel the user has hidden stays hidden.
    if (ActionViewNetState->isChecked())
        Execute(ActionViewNetState);
    {
        const QSignalBlocker blocker(ActionModelingPause);
        ActionModelingPause->setChecked(false);
    }
    ExecTimer->stop();
    // The rows and items refer to state nodes that the net is about to destroy.
    {
        const QSignalBlocker blocker(StateTree);
        StateTree->clear();
    }
    TransfersInfo->clear();
    if (Net->CurrentState && Net->CurrentState->Parent) {
        const auto answer = Prompter().MessageBox(this, QStringLiteral("Вернуться в начальное состояние?"),
                                                  DocTexts::AppTitle(), QMessageBox::Yes | QMessageBox::No,
                                                  QMessageBox::Question, QMessageBox::Yes);
        if (answer == QMessageBox::Yes) {
            Net->GoToState(Net->RootState.get());
            RepaintCanvas();
        }
    }
    Net->EndModelling();
    RepaintCanvas();
    UpdateInspector();
    if (Instrument != 0)
        SetCanvasHints(false);
    RunsPanel->hide();
    SetInfoPanelStyle(false);
    InfoPanel->SetCaption(Net->NetName);
}

void TDocForm::ExecTimerTimer()
{
    // With no enabled transition, or a choice of several, the run waits.
    if (!HasDoc() || !Net->Modelling || Net->EnabledCount() != 1)
        return;
    for (TTransfer *t : Net->Transitions)
        if (t->IsEnabled()) {
            t->Fire();
            RepaintCanvas();
            break;
        }
}

void TDocForm::SetInfoPanelStyle(bool deadEnd)
{
    QFont font = InfoPanel->font();
    font.setBold(deadEnd);
    InfoPanel->setFont(font);
    InfoPanel->SetFontColor(deadEnd ? QColor(255, 0, 0) : XPColorMap().FontColor);
}
