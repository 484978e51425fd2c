#pragma once

#include <QList>
#include <QObject>

#include <functional>
#include <map>

class QAction;
class QActionGroup;
class QWidget;
class TGKToolBar;

// What the command table asks of the window whose commands it holds.
class TCommandHost
{
public:
    virtual ~TCommandHost() = default;
    // Called when a command is triggered, before its rule is asked.
    virtual void PrepareCommand(QAction *action) = 0;
    // Runs the handler of an enabled command and then refreshes the window.
    virtual void RunCommand(const std::function<void()> &handler) = 0;
};

// The window's commands: one action each, with its caption, hint, shortcuts
// and image, its handler and its enabling rule. The window places the actions
// in its menus, toolbars and popups and names the rules and handlers; the
// table runs a command only when its rule allows it.
class TDocCommands : public QObject
{
    Q_OBJECT
public:
    using TRule = std::function<bool()>;

    TDocCommands(QWidget *window, TCommandHost &host);
    ~TDocCommands() override;

    // Every command of the window, in table order.
    const QList<QAction *> &All() const { return ActionManager; }
    // The handler of a command; it runs only while the command's rule allows it.
    void Handle(QAction *action, std::function<void()> handler);
    void SetRule(QAction *action, TRule rule);
    // A command that shows and hides a toolbar; its check mark follows the bar.
    void BindToolBar(QAction *action, TGKToolBar *bar);
    // Refreshes a command's enabled state from its rule; answers it.
    bool RefreshRule(QAction *action);
    // Refreshes every command's enabled state and check mark.
    void UpdateAll();
    // Runs a command the way a user would: refresh its rule, then trigger it if enabled.
    void Execute(QAction *action);
    // Triggers a command once as if it had no rule.
    void TriggerUnruled(QAction *action);

    // The commands by name
    QAction *ActionFileNew = nullptr, *ActionFileOpen = nullptr, *ActionFileSave = nullptr,
            *ActionFileSaveAs = nullptr, *ActionFileSaveAll = nullptr, *ActionNetProperties = nullptr,
            *ActionFileExit = nullptr;
    QAction *ActionEditUndo = nullptr, *ActionEditRedo = nullptr, *ActionEditCopy = nullptr, *ActionEditPaste = nullptr,
            *ActionEditCut = nullptr, *ActionEditDelete = nullptr, *ActionEditSelectAll = nullptr,
            *ActionEditCancSel = nullptr, *ActionEditCreateDescr = nullptr, *ActionEditDelDescr = nullptr,
            *ActionEditInvDirection = nullptr, *ActionEditArcAddPoint = nullptr, *ActionEditArcDelPoint = nullptr,
            *ActionEditInvDirC = nullptr, *ActionEditArcAddPointC = nullptr, *ActionEditArcDelPointC = nullptr;
    QAction *ActionNetDoSelection = nullptr, *ActionNetDoPosition = nullptr, *ActionNetDoTransfer = nullptr,
            *ActionNetDoArc = nullptr, *ActionNetDoPoint = nullptr, *ActionNetArcCrate = nullptr,
            *ActionNetCreatePos = nullptr, *ActionNetCreateTransfer = nullptr;
    QAction *ActionModelingStart = nullptr, *ActionModelingPause = nullptr, *ActionModelingEnd = nullptr;
    QAction *ActionViewStdToolBar = nullptr, *ActionViewNetToolBar = nullptr, *ActionViewModelToolBar = nullptr,
            *ActionViewInspector = nullptr, *ActionViewNetState = nullptr;
    QAction *ActionWindowClose = nullptr, *ActionWindowNext = nullptr, *ActionWindowPrev = nullptr,
            *ActionWindowList = nullptr, *ActionWndMe = nullptr, *ActionAbout = nullptr;
    QAction *ActionFileExport = nullptr, *ActionFilePrint = nullptr;
    QAction *ActionAnalysisProperties = nullptr, *ActionAnalysisGraph = nullptr, *ActionAnalysisInvariants = nullptr;
    // The six canvas instruments, exclusive; each action's data is its TInstrument.
    QActionGroup *InstrumentGroup = nullptr;

private:
    void CreateActions(QWidget *window);

    TCommandHost &Host;
    QList<QAction *> ActionManager;
    std::map<QAction *, TRule> Rules;
    std::map<QAction *, TGKToolBar *> ToolBarCommands;
};
