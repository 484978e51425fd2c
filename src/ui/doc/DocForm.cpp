#include "DocForm.h"

#include "DocCommands.h"

#include "CanvasController.h"
#include "FocusFrames.h"
#include "ElementsPanel.h"
#include "NetStatePanel.h"
#include "PetryNet.h"
#include "controls/MenuImages.h"
#include "controls/GKActnCtrls.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>

TDocForm::TDocForm(TDocShell *shell, QWidget *parent)
    : QMainWindow(parent)
    , ColorMaps(MakeWindowColorMaps())
    , Shell(shell)
{
    InitUiResources();
    setWindowTitle(QStringLiteral("- Сеть Петри"));
    setWindowIcon(DocumentImage());
    DocumentIcon = windowIcon();
    setMinimumSize(160, 24);
    // The layout's fixed sizes (17-pixel status line, 205-pixel selection
    // panel) are made for a small 8-point font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(639, 341);
    BuildLayout();
    TCommandHost &host = *this;
    CommandTable = std::make_unique<TDocCommands>(this, host);
    BindCommands();
    BuildMenus();
    BuildToolBars();
    BuildPopups();
    BindRules();
    InspectorPart->SetToolBarActions({CommandTable->ActionEditDelete, CommandTable->ActionEditCreateDescr, CommandTable->ActionEditDelDescr});
    FormCreate();
}

TDocForm::~TDocForm() = default;

void TDocForm::FormCreate()
{
    MainMenuBar->SetCloseButtonVisible(true);
    CloseByCommand = false;
    NoDocument = false;
    NeedSaveAs = true;
    LayoutStatusBar();
    RunsPanel->hide();
    CreateNet();
    InfoPanel->SetCaption(Net->NetName);
    InstallPanelScrolling();
    InstallGestureBreaks();
    CanvasPart->LayoutSheet(CanvasPart->Area()->width(), CanvasPart->Area()->height());
    CanvasPart->SetInstrument(TInstrument::Selection);
    InfoPanel->SetFontColor(XPColorMap().FontColor);
    // The state panel starts hidden: run its command once without its rule,
    // which takes the check mark from set to cleared.
    CommandTable->TriggerUnruled(CommandTable->ActionViewNetState);
    UpdateInspector();
    UpdateActions();
    CanvasPart->Area()->setFocus();
}

void TDocForm::CreateNet()
{
    Net = std::make_unique<TPetryNet>();
    Net->OnChange = [this](TPetryNet *) { NetChange(); };
    Net->OnSelectionChange = [this](TPetryNet *) { NetSelectionChange(); };
    Net->OnStateChange = [this](TPetryNet *) { NetStateChange(); };
    Net->SheetLeft = 0;
    Net->SheetTop = 0;
    Net->SheetWidth = 710;
    Net->SheetHeight = 510;
    CanvasPart->SetNet(Net.get());
    InspectorPart->SetNet(Net.get());
    StatePanel->SetNet(Net.get());
}

void TDocForm::ReleaseNet()
{
    CloseAnalysis();
    CanvasPart->SetNet(nullptr);
    InspectorPart->SetNet(nullptr);
    StatePanel->SetNet(nullptr);
    Net.reset();
}

QString TDocForm::DocumentTitle() const
{
    return Net ? Net->GetTitle() : QString();
}

void TDocForm::ShowDocumentName(const QString &name)
{
    setWindowTitle(name.isEmpty() ? DocTexts::AppTitle() : name + DocTexts::TitleSuffix());
    CommandTable->ActionWndMe->setText(name.isEmpty() ? QStringLiteral("Нет") : name);
}

void TDocForm::NameUntitled(const QString &name)
{
    Net->FileName = name + DocTexts::Extension();
    ShowDocumentName(name);
}

bool TDocForm::HasUnsavedChanges() const
{
    return Net && !Net->Saved;
}

bool TDocForm::IsSaved() const
{
    return Net && Net->Saved && !NeedSaveAs;
}

void TDocForm::FormActivate()
{
    ShowFloatingBars();
    Shell->DocumentActivated(this);
    if (FirstActivation) {
        UpdatePanelScrollButtons(NetState);
        UpdatePanelScrollButtons(NetInspector);
        FirstActivation = false;
    }
    UpdateActions();
}

void TDocForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TDocForm::ShowFloatingBars()
{
    for (TGKToolBar *bar : {MainMenuBand, StandartToolBar, NetToolBar, ModelToolBar})
        if (bar->isFloating() && bar->isHidden() && bar->isEnabled())
            bar->show();
}

void TDocForm::HideFloatingBars()
{
    if (MainMenuBand->isFloating())
        MainMenuBand->hide();
    for (TGKToolBar *bar : {StandartToolBar, NetToolBar, ModelToolBar})
        if (bar->isFloating() && bar->isEnabled())
            bar->hide();
}

void TDocForm::CloseDocument()
{
    CloseByCommand = true;
    close();
    CloseByCommand = false;
}

bool TDocForm::QuerySave()
{
    if (!Net || Net->Saved)
        return true;
    const auto answer = Prompter().MessageBox(
        this, QStringLiteral("Сохранить изменения в документе ") + Net->GetTitle() + QStringLiteral("?    "),
        DocTexts::AppTitle(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning,
        QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return SaveDocument();
    return answer == QMessageBox::No;
}

TDocForm::TCloseAction TDocForm::FormClose()
{
    if (!NoDocument) {
        if (Net->Modelling) {
            if (!CommandTable->ActionModelingPause->isChecked())
                Execute(CommandTable->ActionModelingPause);
            const auto answer = Prompter().MessageBox(
                this, QStringLiteral("Сеть в режиме моделирования.\r\nЗавершить?"), DocTexts::AppTitle(),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                return TCloseAction::None;
            Execute(CommandTable->ActionModelingEnd);
        }
        if (!QuerySave())
            return TCloseAction::None;
    }
    if (!CloseByCommand) {
        Shell->ForgetDocument(this);
        ReleaseNet();
        if (Shell->RemoveDocument(this))
            Shell->ExitApplication();
        return TCloseAction::Free;
    }
    CloseByCommand = false;
    if (!Shell->RemoveDocument(this)) {
        Shell->ForgetDocument(this);
        return TCloseAction::Free;
    }
    MakeEmptyFrame();
    return TCloseAction::Keep;
}

void TDocForm::closeEvent(QCloseEvent *event)
{
    if (ClosingForExit) {
        event->accept();
        return;
    }
    if (FormClose() == TCloseAction::Free) {
        event->accept();
        deleteLater();
    } else {
        event->ignore();
    }
}

void TDocForm::MakeEmptyFrame()
{
    NoDocument = true;
    NeedSaveAs = true;
    CanvasPart->SetInstrument(TInstrument::Selection);
    CommandTable->ActionNetDoSelection->setChecked(true);
    InfoPanel->setEnabled(false);
    InfoPanel->SetCaption(QString());
    SelectionInfo->setEnabled(false);
    SelectionInfo->SetCaption(SelectionText(0, 0, 0, 0, 0));
    ReleaseNet();
    UpdateInspector();
    MainMenuBar->SetCloseButtonVisible(false);
    CanvasPart->SetScrollBarsVisible(false);
    CanvasPart->RepaintCanvas();
    DocumentIcon = windowIcon();
    setWindowIcon(AppImage());
    UpdateActions();
}

QString TDocForm::SelectionText(int selected, int total, int places, int transitions, int arcs)
{
    return QString::number(selected) + QStringLiteral(" из ") + QString::number(total) + QLatin1Char('(') +
           QString::number(places) + QStringLiteral(", ") + QString::number(transitions) + QStringLiteral(", ") +
           QString::number(arcs) + QStringLiteral(") элементов выбрано.");
}

void TDocForm::RebuildWindowMenu()
{
    // The entries after the window's own one stand for the other documents,
    // in the document list's order.
    const QList<QAction *> all = WindowMenu->actions();
    for (QAction *entry : all.mid(all.indexOf(CommandTable->ActionWndMe) + 1)) {
        WindowMenu->removeAction(entry);
        delete entry;
    }
    for (int i = 0; i < Shell->DocumentCount(); ++i) {
        TDocForm *document = Shell->DocumentAt(i);
        if (document == this)
            continue;
        auto *entry = new QAction(document->DocumentTitle(), WindowMenu);
        connect(entry, &QAction::triggered, this, [this, document] {
            // The document may have left the list while the menu was open.
            for (int k = 0; k < Shell->DocumentCount(); ++k)
                if (Shell->DocumentAt(k) == document)
                    Shell->ShowDocument(document);
        });
        WindowMenu->addAction(entry);
    }
}

QList<QAction *> TDocForm::WindowEntries()
{
    RebuildWindowMenu();
    const QList<QAction *> all = WindowMenu->actions();
    return all.mid(all.indexOf(CommandTable->ActionWndMe) + 1);
}

void TDocForm::mouseReleaseEvent(QMouseEvent *event)
{
    // Right release on the free space of the toolbar strip.
    if (event->button() == Qt::RightButton && centralWidget() &&
        event->position().y() < centralWidget()->geometry().top()) {
        ShowBarsPopup(event->globalPosition().toPoint());
        return;
    }
    QMainWindow::mouseReleaseEvent(event);
}
