// Starting, pausing and ending modelling, and the automatic run.
#include "DocForm.h"

#include "PetryNet.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QSignalBlocker>
#include <QTimer>

bool TDocForm::ModellingRunning() const
{
    return HasDoc() && Net->Modelling && !ActionModelingPause->isChecked();
}

void TDocForm::NetStateChange()
{
    UpdateActions();
}

void TDocForm::ActionModelingStartExecute()
{
    if (ActionModelingPause->isChecked() && Net->Modelling) {
        Execute(ActionModelingPause);
        return;
    }
    {
        const QSignalBlocker blocker(ActionModelingPause);
        ActionModelingPause->setChecked(true);
    }
    Net->StartModelling();
    RepaintCanvas();
    Execute(ActionViewNetState);
    SetCanvasHints(true);
    RunsPanel->SetCaption(QStringLiteral("Запусков не было."));
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
    if (ActionViewNetState->isChecked())
        Execute(ActionViewNetState);
    {
        const QSignalBlocker blocker(ActionModelingPause);
        ActionModelingPause->setChecked(false);
    }
    ExecTimer->stop();
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
    SetCanvasHints(Instrument == 0);
    RunsPanel->hide();
    InfoPanel->SetFontColor(XPColorMap().FontColor);
    InfoPanel->SetCaption(Net->NetName);
}

void TDocForm::ExecTimerTimer()
{
    if (!HasDoc() || Net->EnabledCount() != 1)
        return;
    for (TTransfer *t : Net->Transitions)
        if (t->IsEnabled()) {
            t->Fire();
            RepaintCanvas();
            break;
        }
}
