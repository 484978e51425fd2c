#pragma once

#include "CanvasController.h"
#include "DocCommands.h"
#include "DocShell.h"
#include "controls/ColorMap.h"
#include "NetFormats.h"

#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QMenu;
class QPainter;
class QScrollBar;
class QSplitter;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTimer;
class QDialog;
class TGKMainMenuBar;
class TGKPanel;
class TGKPopupMenu;
class TGKSpeedButton;
class TGKToolBar;
class TGKGripper;
class TArc;
class TNetElement;
class TPetryNet;
class TCanvasController;
class TDocCommands;
class TFocusFrames;
class TElementsPanel;
class TNetStatePanel;
class TNetStateTreeNode;
class TAnalysisDialog;
class QPrinter;

// The window of one document: menu bar and toolbars, the inspector and state
// panels, the canvas and the status line. Its commands are actions whose
// enabling rules are refreshed whenever the net or the document list changes.
// The window composes its parts, each of which keeps its widgets and state
// to itself: the canvas (CanvasController.h), the net inspector
// (ElementsPanel.h), the state panel (NetStatePanel.h) and the command table
// (DocCommands.h). The parts report what the user did; the net's
// notifications reach them only through the window (DocNotifications.cpp).
// The window's own code is split by concern: DocForm.cpp (life cycle,
// status), DocLayout.cpp, DocMenus.cpp, DocActions.cpp (handlers and rules),
// DocCanvasCommands.cpp, DocFileCommands.cpp, DocModelling.cpp,
// DocSidePanels.cpp and DocScrolling.cpp.
class TDocForm : public QMainWindow, private TCanvasHost, private TCommandHost
{
    Q_OBJECT
public:
    explicit TDocForm(TDocShell *shell, QWidget *parent = nullptr);
    ~TDocForm() override;

    // Offered to the shell
    void CloseDocument();
    bool QuerySave();
    bool SaveDocument();
    void HideFloatingBars();
    void ShowFloatingBars();
    // Loads a document into this window: into a fresh window or into the
    // empty frame. On failure the user is told, the window leaves the
    // document list, and an empty frame stays empty.
    bool LoadDocument(const QString &path);
    // The document's title, or empty in the empty frame.
    QString DocumentTitle() const;
    // Shows the name the document list gives this window in its title and as
    // its own entry of the Окно menu; empty when the window is not in the list.
    void ShowDocumentName(const QString &name);
    // Gives an untitled document its name and the file name it is saved under.
    void NameUntitled(const QString &name);
    // Whether the document has changes not yet saved.
    bool HasUnsavedChanges() const;
    // Whether the document is stored in its file as it is.
    bool IsSaved() const;
    // The entries of the Окно menu that stand for the other documents, built
    // afresh from the document list (as when the menu opens).
    QList<QAction *> WindowEntries();
    // Refreshes the enabled and checked state of every command.
    void UpdateActions();
    // The menu bar's own menus, in order.
    QList<QMenu *> Menus() const;
    // Set while the application ends: the window closes without questions.
    void SetClosingForExit() { ClosingForExit = true; }

    // The status line text for a selection.
    static QString SelectionText(int selected, int total, int places, int transitions, int arcs);

    // Window state
    // The document's net; null in the empty frame.
    TPetryNet *GetNet() const { return Net.get(); }
    bool IsEmptyFrame() const { return NoDocument; }
    // Whether Save must ask for a file name (an untitled document).
    bool NeedsSaveAs() const { return NeedSaveAs; }
    void SetNeedsSaveAs(bool value) { NeedSaveAs = value; }
    // The file the document is stored in; empty for an untitled document and the empty frame.
    QString DocumentFile() const;
    // The document as Save would write it in the editor's own format; empty in the empty frame.
    QByteArray DocumentBytes() const;
    // Takes over a recovered copy just loaded into this window: the document
    // stands for fileName (untitled when empty, then titled `title`), is
    // saved in that file's format, and counts as unsaved.
    void AdoptRecovered(const QString &fileName, const QString &title);
    // Whether the close command is closing the window (it then keeps an empty frame).
    bool ClosingByCommand() const { return CloseByCommand; }
    // Until the first activation the side panels' scroll buttons are not laid out.
    bool FirstActivationPending() const { return FirstActivation; }
    const TXPColorMap &XPColorMap() const { return ColorMaps.XPColorMap; }
    const TXPColorMap &LPXPColorMap() const { return ColorMaps.LPXPColorMap; }

    // The commands: their actions, handlers and enabling rules.
    TDocCommands &Commands() const { return *CommandTable; }

    // Runs a command the way a user would: refresh its rule, then trigger it if enabled.
    void Execute(QAction *action);

    // Life cycle (DocForm.cpp)
    void FormActivate();

    // File commands (DocFileCommands.cpp). Modal dialogs of the window run
    // through RunDialog, which tests replace to answer them without a modal loop.
    std::function<int(QDialog &)> RunDialog;

    // Net notifications and the refresh of the parts (DocNotifications.cpp)
    void NetChange();
    void NetSelectionChange();
    void UpdateInspector();

    // The net notifies a selection change once per element whose flag it sets,
    // so answering each one would cost a bulk selection the element count
    // squared. While a batch lives, a notification only marks the inspector,
    // status text and commands stale; the outermost batch refreshes them once
    // when it ends. Window commands and canvas gestures run inside a batch;
    // outside one (a caller driving the net directly) every notification is
    // answered at once.
    class TRefreshBatch
    {
    public:
        explicit TRefreshBatch(TDocForm &form)
            : Form(form)
        {
            ++Form.RefreshBatchDepth;
        }
        ~TRefreshBatch()
        {
            if (--Form.RefreshBatchDepth == 0)
                Form.FlushPendingRefresh();
        }
        TRefreshBatch(const TRefreshBatch &) = delete;
        TRefreshBatch &operator=(const TRefreshBatch &) = delete;

    private:
        TDocForm &Form;
    };
    // Answers a held-back selection change now. A zero-time timer also runs it,
    // so a modal loop inside a batch shows the current selection.
    void FlushPendingRefresh();
    // The element the inspector shows, or none.
    TNetElement *InspectedElement() const;
    // The parts, for what the window's tests ask of them.
    const TElementsPanel &Inspector() const { return *InspectorPart; }

    // The canvas: its picture, sheet, scrolling, instrument, gestures and hints.
    TCanvasController &Canvas() const { return *CanvasPart; }

    // Modelling (DocModelling.cpp). Starting and ending modelling refresh the
    // inspector with UpdateInspector, which locks its editors while the net
    // is Modelling.
    void NetStateChange();
    bool ModellingRunning() const;
    // Writes the two status-bar texts that describe a state.
    void ShowStateInfo(const TNetStateTreeNode *node);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    QMenu *createPopupMenu() override { return nullptr; }

private:
    bool CloseByCommand = false;
    bool FirstActivation = true;
    QIcon DocumentIcon;
    TWindowColorMaps ColorMaps;

    // The window's own widgets; tests find them by their object names.
    // Top strip
    TGKToolBar *MainMenuBand = nullptr;
    TGKMainMenuBar *MainMenuBar = nullptr;
    TGKToolBar *StandartToolBar = nullptr;
    TGKToolBar *NetToolBar = nullptr;
    TGKToolBar *ModelToolBar = nullptr;
    QMenu *FileMenu = nullptr, *EditMenu = nullptr, *ViewMenu = nullptr, *ToolBarsMenu = nullptr,
          *NetMenu = nullptr, *ModelingMenu = nullptr, *WindowMenu = nullptr, *HelpMenu = nullptr,
          *AnalysisMenu = nullptr;
    TGKPopupMenu *BarsPopup = nullptr;
    TGKPopupMenu *CanvasPopup = nullptr;
    TGKPopupMenu *PlacePopup = nullptr;
    TGKPopupMenu *TransitionPopup = nullptr;

    // Left column
    QWidget *LeftPanel = nullptr;
    QSplitter *SplitterUD = nullptr;
    TGKPanel *NetInspector = nullptr;
    TGKPanel *InspectorCaption = nullptr;
    TGKSpeedButton *CloseInspectorButton = nullptr;
    TGKPanel *InspectorContent = nullptr;
    TGKPanel *NetState = nullptr;
    TGKPanel *NetStateCaption = nullptr;
    TGKSpeedButton *NetStateCloseButton = nullptr;
    TGKPanel *NetStateContent = nullptr;
    QSplitter *Splitter = nullptr;

    // Status line
    TGKPanel *StatusBar = nullptr;
    TGKPanel *InfoPanel = nullptr;
    TGKPanel *SelectionInfo = nullptr;
    TGKPanel *RunsPanel = nullptr;
    TGKGripper *Gripper = nullptr;

    QTimer *ScrollTimer = nullptr;
    QTimer *ExecTimer = nullptr;

    // Scroll buttons of the side panels (DocScrolling.cpp)
    TGKSpeedButton *InspectorUpButton = nullptr, *InspectorDownButton = nullptr;
    TGKSpeedButton *NetStateUpButton = nullptr, *NetStateDownButton = nullptr;

    enum class TCloseAction { None, Free, Keep };

    // DocForm.cpp
    void FormCreate();
    TCloseAction FormClose();
    void CreateNet();
    // Drops the net; the parts forget it first.
    void ReleaseNet();
    void MakeEmptyFrame();
    void RebuildWindowMenu();
    void SetDocumentPresent();
    TPrompter &Prompter() const { return Shell->Prompter(); }

    // DocLayout.cpp
    void BuildLayout();
    void BuildTopStrip();
    void BuildLeftColumn();
    void BuildStatusBar();
    void LayoutStatusBar();
    void InfoPanelPaint(TGKPanel *panel);

    // DocActions.cpp: the handlers and rules of the commands
    void BindCommands();
    void Handle(QAction *action, std::function<void()> handler);
    void PrepareCommand(QAction *action) override;
    void RunCommand(const std::function<void()> &handler) override;
    // DocMenus.cpp: where the commands appear
    void BuildMenus();
    void BuildToolBars();
    void BuildPopups();
    void BindRules();
    QAction *MenuItem(QAction *source, const QString &caption);
    void ShowBarsPopup(QPoint globalPos);
    void SelectInstrument(QAction *action);
    void ActionEditSelectAllUpdate();
    bool HasDoc() const;
    // What the command rules ask of the selection, counted in one pass.
    struct TSelectionSummary
    {
        int Count = 0;
        bool AnyNode = false;
        bool AnyArc = false;
        TNetElement *First = nullptr;
    };
    // Counted afresh, except while UpdateActions runs: then every rule shares one count.
    TSelectionSummary Selection() const;
    std::optional<TSelectionSummary> SelectionDuringUpdate;

    // DocCanvasCommands.cpp: the commands on the canvas and what the canvas asks of the window.
    void InstallGestureBreaks();
    void ActionNetCreatePosExecute();
    void ActionNetCreateTransferExecute();
    void ActionEditInvDirCExecute();
    void ActionEditArcAddPointCExecute();
    void ActionEditArcDelPointCExecute();
    void ActionEditInvDirectionExecute();
    void ActionEditArcAddPointExecute();
    void ActionEditArcDelPointExecute();
    void ActionEditSelectAllExecute();
    void ActionEditCancSelExecute();
    // The only selected element when it is an arc, else none.
    TArc *SelectedArc() const;
    TNetElement *ElementAtClickPoint() const;
    void AfterCanvasEdit();
    void BeginRefresh() override;
    void EndRefresh() override;
    void CanvasEdited() override;
    void DragStarted() override;
    QMenu *PopupFor(TInstrument instrument) override;
    // DocScrolling.cpp
    void InstallPanelScrolling();
    void ScrollTimerTimer();
    TGKPanel *ClipAreaOf(TGKPanel *panel) const;
    TGKPanel *ScrollPanelOf(TGKPanel *panel) const;

    // DocNotifications.cpp, DocSidePanels.cpp
    void BuildParts();
    void ControlsEnter();
    void InspectorChanged(bool canvas);
    // The answer to a selection change: the last selected row becomes current,
    // then the inspector, status text and commands follow.
    void RefreshSelection();
    int RefreshBatchDepth = 0;
    bool SelectionRefreshPending = false;
    QTimer *SelectionRefreshTimer = nullptr;
    void ActionViewInspectorExecute();
    void ActionViewNetStateExecute();
    void CloseInspectorButtonClick();
    void NetStateCloseButtonClick();
    void UpdateLeftPanel();
    void ActionEditCreateDescrExecute();
    void ActionEditDelDescrExecute();
    void UpdatePanelScrollButtons(TGKPanel *panel);

    // DocFileCommands.cpp
    void ApplyNetProperties(const QString &name, const QString &author, const QString &description);
    void ActionFileNewExecute();
    void ActionFileOpenExecute();
    void ActionFileSaveExecute();
    void ActionFileSaveAsExecute();
    void ActionEditUndoExecute();
    void ActionEditCopyExecute();
    void ActionEditCutExecute();
    void ActionEditPasteExecute();
    void ActionEditDeleteExecute();
    void ActionNetPropertiesExecute();
    // The format the document is read from and saved in.
    TNetFormat DocumentFormat = TNetFormat::Qvx;
    std::unique_ptr<TPetryNet> Net;
    bool NoDocument = false;
    bool NeedSaveAs = true;

    // DocExport.cpp: pictures and printing of the sheet
    void ActionFileExportExecute();
    void ActionFilePrintExecute();
    void PrintSheet(QPrinter *printer);

    // DocAnalysis.cpp: the Анализ menu and the way back into the modelling
    void ShowAnalysis(int view);
    void PlayInModelling(const QList<int> &path);
    // Cancels the analysis once the net it was made of has been edited.
    void CancelAnalysisIfEdited();
    // The document closes: the analysis stops and its dialog goes.
    void CloseAnalysis();
    QPointer<TAnalysisDialog> AnalysisWindow;
    bool AnalysisCancelled = false;
    QList<qint32> AnalysedMarking;

    // DocModelling.cpp
    void ActionModelingStartExecute();
    void ActionModelingPauseExecute();
    void ActionModelingEndExecute();
    void ExecTimerTimer();
    void SetInfoPanelStyle(bool deadEnd);

    // A state the user picked in the state panel.
    void StateTreeChange(TNetStateTreeNode *node);

    TDocShell *Shell;
    bool ClosingForExit = false;
    // The parts go before the widgets they fill, so none of them answers an
    // event of a widget that is being destroyed.
    std::unique_ptr<TFocusFrames> FocusFrames;
    std::unique_ptr<TCanvasController> CanvasPart;
    std::unique_ptr<TDocCommands> CommandTable;
    std::unique_ptr<TElementsPanel> InspectorPart;
    std::unique_ptr<TNetStatePanel> StatePanel;
};
