// Starting, pausing and ending modelling, and the automatic run. Modelling
// has three window states: editing (not Modelling), paused (Modelling, pause
// checked, timer off) and running (Modelling, pause cleared, timer on).
#include "DocForm.h"

#include "DocCommands.h"

#include "CanvasController.h"

#include "PetryNet.h"
#include "NetStatePanel.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QSignalBlocker>
#include <QTimer>

bool TDocForm::ModellingRunning() const
{
    return HasDoc() && Net->Modelling && !CommandTable->ActionModelingPause->isChecked();
}

void TDocForm::ActionModelingStartExecute()
{
    // From the paused state the start command resumes the run.
    if (CommandTable->ActionModelingPause->isChecked() && Net->Modelling) {
        Execute(CommandTable->ActionModelingPause);
        return;
    }
    // A fresh start always leaves the net paused.
    {
        const QSignalBlocker blocker(CommandTable->ActionModelingPause);
        CommandTable->ActionModelingPause->setChecked(true);
    }
    Net->StartModelling();
    CanvasPart->RepaintCanvas();
    Execute(CommandTable->ActionViewNetState);
    UpdateInspector();
    CanvasPart->SetCanvasHints(true);
    RunsPanel->SetCaption(QStringLiteral("Запусков не было."));
    RunsPanel->raise();
    RunsPanel->show();
}

void TDocForm::ActionModelingPauseExecute()
{
    if (CommandTable->ActionModelingPause->isChecked())
        ExecTimer->stop();
    else
        ExecTimer->start();
}

void TDocForm::ActionModelingEndExecute()
{
    // A state panel the user has hidden stays hidden.
    if (CommandTable->ActionViewNetState->isChecked())
        Execute(CommandTable->ActionViewNetState);
    {
        const QSignalBlocker blocker(CommandTable->ActionModelingPause);
        CommandTable->ActionModelingPause->setChecked(false);
    }
    ExecTimer->stop();
    // The rows and items refer to state nodes that the net is about to destroy.
    StatePanel->Clear();
    if (Net->CurrentState && Net->CurrentState->Parent) {
        const auto answer = Prompter().MessageBox(this, QStringLiteral("Вернуться в начальное состояние?"),
                                                  DocTexts::AppTitle(), QMessageBox::Yes | QMessageBox::No,
                                                  QMessageBox::Question, QMessageBox::Yes);
        if (answer == QMessageBox::Yes) {
            Net->GoToState(Net->RootState.get());
            CanvasPart->RepaintCanvas();
        }
    }
    Net->EndModelling();
    CanvasPart->RepaintCanvas();
    UpdateInspector();
    if (CanvasPart->Instrument() != TInstrument::Selection)
        CanvasPart->SetCanvasHints(false);
    RunsPanel->hide();
    SetInfoPanelStyle(false);
    InfoPanel->SetCaption(Net->NetName);
}

void TDocForm::ExecTimerTimer()
{
    // With no enabled transition, or a choice of several, the run waits.
    if (!HasDoc() || !Net->Modelling || StatePanel->EnabledCount() != 1)
        return;
    for (TTransfer *t : Net->Transitions)
        if (t->IsEnabled()) {
            // The net notifies the firing; the window follows from there.
            t->Fire();
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

void TDocForm::ShowStateInfo(const TNetStateTreeNode *node)
{
    SetInfoPanelStyle(false);
    const int enabled = StatePanel->EnabledCount();
    if (enabled == 0) {
        SetInfoPanelStyle(true);
        InfoPanel->SetCaption(QStringLiteral("Тупиковое состояние."));
    } else if (node->Parent) {
        InfoPanel->SetCaption(QStringLiteral("Готово к запуску: ") + QString::number(enabled));
    } else {
        InfoPanel->SetCaption(QStringLiteral("Исходное состояние."));
    }
    if (node->Parent)
        RunsPanel->SetCaption(QStringLiteral("Последовательность запусков: ") + StatePanel->FiringPath(node));
    else
        RunsPanel->SetCaption(QStringLiteral("Запусков не было."));
}
