#include "DocForm.h"

#include "MenuImages.h"
#include "PetryNet.h"
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
    setMinimumSize(160, 24);
    // The layout's fixed sizes (17-pixel status line, 205-pixel selection
    // panel) are made for a small 8-point font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(639, 341);
    BuildLayout();
    CreateActions();
    BuildMenus();
    BuildToolBars();
    BuildPopups();
    BindRules();
    FormCreate();
}

TDocForm::~TDocForm() = default;

void TDocForm::FormCreate()
{
    MainMenuBar->SetCloseButtonVisible(true);
    CloseByCommand = false;
    NoDocument = false;
    ButtonPressed = false;
    Capturing = false;
    PasteAtPoint = false;
    NeedSaveAs = true;
    LayoutStatusBar();
    RunsPanel->hide();
    CreateNet();
    InfoPanel->SetCaption(Net->NetName);
    InstallCanvasHandlers();
    LayoutSheet(DocArea->width(), DocArea->height());
    Instrument = 0;
    InfoPanel->SetFontColor(XPColorMap().FontColor);
    // The state panel starts hidden: run its command once without its rule,
    // which takes the check mark from set to cleared.
    const TRule rule = Rules[ActionViewNetState];
    Rules.erase(ActionViewNetState);
    ActionViewNetState->setEnabled(true);
    ActionViewNetState->trigger();
    Rules[ActionViewNetState] = rule;
    UpdateInspector();
    UpdateActions();
    DocArea->setFocus();
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
            if (!ActionModelingPause->isChecked())
                Execute(ActionModelingPause);
            const auto answer = Prompter().MessageBox(
                this, QStringLiteral("Сеть в режиме моделирования.\r\nЗавершить?"), DocTexts::AppTitle(),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                return TCloseAction::None;
            Execute(ActionModelingEnd);
        }
        if (!QuerySave())
            return TCloseAction::None;
    }
    if (!CloseByCommand) {
        Shell->ForgetDocument(this);
        Net.reset();
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
    Instrument = 0;
    ActionNetDoSelection->setChecked(true);
    InfoPanel->setEnabled(false);
    InfoPanel->SetCaption(QString());
    SelectionInfo->setEnabled(false);
    SelectionInfo->SetCaption(SelectionText(0, 0, 0, 0, 0));
    UpdateInspector();
    Net.reset();
    MainMenuBar->SetCloseButtonVisible(false);
    DSBPanel->hide();
    RSBPanel->hide();
    RepaintCanvas();
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

void TDocForm::AddWindowEntry(TDocForm *document, const QString &caption)
{
    auto *entry = new QAction(caption, WindowMenu);
    entry->setData(QVariant::fromValue(quintptr(document)));
    connect(entry, &QAction::triggered, this, [this, entry] {
        // One handler for all entries: show the window the entry stands for.
        for (int i = 0; i < Shell->DocumentCount(); ++i)
            if (quintptr(Shell->DocumentAt(i)) == entry->data().value<quintptr>())
                Shell->ShowDocument(Shell->DocumentAt(i));
    });
    WindowMenu->addAction(entry);
}

QList<QAction *> TDocForm::WindowEntries() const
{
    const QList<QAction *> all = WindowMenu->actions();
    const qsizetype me = all.indexOf(ActionWndMe);
    return me < 0 ? QList<QAction *>() : all.mid(me + 1);
}

void TDocForm::RemoveWindowEntry(TDocForm *document)
{
    for (QAction *entry : WindowEntries())
        if (entry->data().value<quintptr>() == quintptr(document)) {
            WindowMenu->removeAction(entry);
            delete entry;
            return;
        }
}

void TDocForm::RenameWindowEntries(TDocForm *document, const QString &caption)
{
    for (QAction *entry : WindowEntries())
        if (entry->data().value<quintptr>() == quintptr(document))
            entry->setText(caption);
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
