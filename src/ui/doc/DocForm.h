#pragma once

#include "DocShell.h"
#include "controls/ColorMap.h"

#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPoint>

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
class QTreeWidgetItem;
class TNetStateTreeNode;
class TOwnerDrawList;
class TStateTreeView;
class QPainter;

// The window of one document: menu bar and toolbars, the inspector and state
// panels, the canvas and the status line. Its commands are actions whose
// enabling rules are refreshed whenever the net or the document list changes.
// The implementation is split by concern: DocForm.cpp (life cycle, status),
// DocLayout.cpp, DocActions.cpp, DocCanvas.cpp, DocElements.cpp,
// DocFileCommands.cpp and DocModelling.cpp.
class TDocForm : public QMainWindow
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
    // Entries of the Окно menu that stand for other documents.
    void AddWindowEntry(TDocForm *document, const QString &caption);
    void RemoveWindowEntry(TDocForm *document);
    void RenameWindowEntries(TDocForm *document, const QString &caption);
    QList<QAction *> WindowEntries() const;
    // Refreshes the enabled and checked state of every command.
    void UpdateActions();
    // The menu bar's own menus, in order.
    QList<QMenu *> Menus() const;
    // Set while the application ends: the window closes without questions.
    void SetClosingForExit() { ClosingForExit = true; }

    // The status line text for a selection.
    static QString SelectionText(int selected, int total, int places, int transitions, int arcs);

    // Window state
    std::unique_ptr<TPetryNet> Net;
    bool NoDocument = false;
    bool CloseByCommand = false;
    bool NeedSaveAs = true;
    bool FirstActivation = true;
    QIcon DocumentIcon;
    quint8 Instrument = 0;
    int LastElementIndex = 0;
    bool Capturing = false;
    bool ButtonPressed = false;
    bool PasteAtPoint = false;
    bool CountUp = false;
    bool SyncingStateTree = false;
    QPoint ClickPoint;
    QPoint TrackPoint;
    TWindowColorMaps ColorMaps;
    const TXPColorMap &XPColorMap() const { return ColorMaps.XPColorMap; }
    const TXPColorMap &LPXPColorMap() const { return ColorMaps.LPXPColorMap; }

    // Top strip
    TGKToolBar *MainMenuBand = nullptr;
    TGKMainMenuBar *MainMenuBar = nullptr;
    TGKToolBar *StandartToolBar = nullptr;
    TGKToolBar *NetToolBar = nullptr;
    TGKToolBar *ModelToolBar = nullptr;
    QMenu *FileMenu = nullptr, *EditMenu = nullptr, *ViewMenu = nullptr, *ToolBarsMenu = nullptr,
          *NetMenu = nullptr, *ModelingMenu = nullptr, *WindowMenu = nullptr, *HelpMenu = nullptr;
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

    // Canvas
    TGKPanel *DocArea = nullptr;
    TGKPanel *DSBPanel = nullptr;
    QScrollBar *DownScrollBar = nullptr;
    TGKPanel *RSBPanel = nullptr;
    QScrollBar *RightScrollBar = nullptr;
    TGKSpeedButton *PropCall = nullptr;

    // Status line
    TGKPanel *StatusBar = nullptr;
    TGKPanel *InfoPanel = nullptr;
    TGKPanel *SelectionInfo = nullptr;
    TGKPanel *RunsPanel = nullptr;
    TGKGripper *Gripper = nullptr;

    QTimer *ScrollTimer = nullptr;
    QTimer *Counter = nullptr;
    QTimer *ExecTimer = nullptr;

    // Commands
    QAction *ActionFileNew = nullptr, *ActionFileOpen = nullptr, *ActionFileSave = nullptr,
            *ActionFileSaveAs = nullptr, *ActionFileSaveAll = nullptr, *ActionNetProperties = nullptr,
            *ActionFileExit = nullptr;
    QAction *ActionEditUndo = nullptr, *ActionEditCopy = nullptr, *ActionEditPaste = nullptr,
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
    QActionGroup *InstrumentGroup = nullptr;
    // Every command of the window, in table order.
    QList<QAction *> ActionManager;

    // Runs a command the way a user would: refresh its rule, then trigger it if enabled.
    void Execute(QAction *action);

    // Life cycle (DocForm.cpp)
    void FormActivate();

    // File commands (DocFileCommands.cpp). Modal dialogs of the window run
    // through RunDialog, which tests replace to answer them without a modal loop.
    std::function<int(QDialog &)> RunDialog;

    // Net notifications and inspector (DocElements.cpp)
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
    // The element of a row of the element list; none for a header.
    TNetElement *ElementOfRow(int row) const;
    // Stores a new token count (place) or multiplicity (arc) into the inspected element.
    void ApplyCount(qint32 value);
    // One step of the counter, up or down; false when the value is at a limit.
    bool CounterStep(bool up);
    // Focus frames: a control of this window registered here gets a frame on its
    // parent panel while it has the focus, and entering it makes the selection
    // instrument current.
    void WatchFocus(QWidget *control);
    // Draws the frames of the watched controls that lie on the panel.
    void DrawFocusFrames(TGKPanel *panel);

    // Inspector widgets (DocElementsLayout.cpp)
    TGKPanel *InspectorScrollPanel = nullptr;
    QListWidget *Elements = nullptr;
    TGKToolBar *NIToolBar = nullptr;
    QLabel *CountLabel = nullptr, *NameEditLabel = nullptr, *DescriptionLabel = nullptr;
    QWidget *CntShape = nullptr, *NEShape = nullptr, *DEShape = nullptr;
    QLineEdit *CountEdit = nullptr;
    TGKSpeedButton *CntUpBtn = nullptr, *CntDownBtn = nullptr;
    QLineEdit *NameEdit = nullptr;
    QPlainTextEdit *Description = nullptr;

    // Canvas (DocCanvas.cpp, DocCanvasMouse.cpp, DocHints.cpp)
    void LayoutSheet(int width, int height);
    void RepaintCanvas();
    // Scrolls the sheet by one step per axis (-1, 0, 1); answers the steps taken.
    QPoint ScrollCanvasBy(int dx, int dy);
    void DownScrollBarScroll(int position);
    void RightScrollBarScroll(int position);
    void DocAreaMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p);
    void DocAreaMouseMove(QPoint p);
    void DocAreaMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p);
    // Ends a drag, rubber band or arc in progress; its release is then ignored.
    void EndCanvasGesture();
    // The picture the canvas shows; gesture feedback is inverted onto it.
    const QImage &CanvasScreen() const { return Screen; }
    // Shows a canvas popup at a global point and waits until it closes;
    // tests replace it to see which popup opens where.
    std::function<void(QMenu *popup, QPoint globalPos)> ShowCanvasPopup;
    bool CanvasHints() const { return HintsOn; }
    // The hint of the element at a canvas point; empty where none is shown.
    QString CanvasHintText(QPoint p) const;
    // Milliseconds between two compositions of a shown hint.
    int CanvasHintInterval() const;
    // Scroll buttons of the side panels (DocScrolling.cpp)
    TGKSpeedButton *InspectorUpButton = nullptr, *InspectorDownButton = nullptr;
    TGKSpeedButton *NetStateUpButton = nullptr, *NetStateDownButton = nullptr;

    // Modelling (DocModelling.cpp) and the state panel (DocStatePanel.cpp).
    // Starting and ending modelling refresh the inspector with UpdateInspector,
    // which locks its editors while the net is Modelling.
    void NetStateChange();
    bool ModellingRunning() const;
    // The item that shows node within the subtree that starts at item, or none.
    QTreeWidgetItem *FindStateItem(const TNetStateTreeNode *node, QTreeWidgetItem *item) const;
    // Writes the two status-bar texts that describe a state.
    void ShowStateInfo(const TNetStateTreeNode *node);
    // "(" marking ") - " caption
    QString StateItemText(const TNetStateTreeNode *node) const;
    TGKPanel *NetStateScrollPanel = nullptr;
    TStateTreeView *StateTree = nullptr;
    TOwnerDrawList *TransfersInfo = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    QMenu *createPopupMenu() override { return nullptr; }

private:
    enum class TCloseAction { None, Free, Keep };
    using TRule = std::function<bool()>;

    // DocForm.cpp
    void FormCreate();
    TCloseAction FormClose();
    void CreateNet();
    void MakeEmptyFrame();
    void SetDocumentPresent();
    TPrompter &Prompter() const { return Shell->Prompter(); }

    // DocLayout.cpp
    void BuildLayout();
    void BuildTopStrip();
    void BuildLeftColumn();
    void BuildCanvas();
    void BuildStatusBar();
    void LayoutCanvasChildren();
    void LayoutStatusBar();
    void InfoPanelPaint(TGKPanel *panel);

    // DocActions.cpp
    void CreateActions();
    void BuildMenus();
    void BuildToolBars();
    void BuildPopups();
    void BindRules();
    void Handle(QAction *action, std::function<void()> handler);
    bool RefreshRule(QAction *action);
    QAction *MenuItem(QAction *source, const QString &caption);
    void ShowBarsPopup(QPoint globalPos);
    void ToolBarCommand(QAction *action, TGKToolBar *bar);
    void SelectInstrument(QAction *action);
    void ActionEditSelectAllUpdate();
    std::map<QAction *, TRule> Rules;
    std::map<QAction *, TGKToolBar *> ToolBarCommands;
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

    // DocCanvas.cpp
    void DocContentPaint(TGKPanel *panel);
    void SetCanvasHints(bool on);
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
    void InstallCanvasHandlers();
    void ComposeCanvas();
    void DrawGestureFeedback(QPainter &canvas);
    void DrawBand(QPainter &canvas);
    void StartCapture();
    void StopCapture();
    // Paints onto Screen (composed first when stale) and shows the result.
    void OnScreen(const std::function<void(QPainter &)> &paint);
    QPainter *ScreenPainter = nullptr;
    void AfterCanvasEdit();
    void ShowCanvasHint(QPoint p, QPoint globalPos);
    void HintTimerTimer();
    QImage Screen;
    bool ScreenStale = true;
    bool BandShown = false;
    bool HintsOn = true;
    QPoint HintPoint;
    QTimer *HintTimer = nullptr;
    QObject *CanvasEvents = nullptr;
    // DocScrolling.cpp
    void InstallPanelScrolling();
    void ScrollTimerTimer();
    TGKPanel *ClipAreaOf(TGKPanel *panel) const;
    TGKPanel *ScrollPanelOf(TGKPanel *panel) const;

    // DocElements.cpp, DocElementsLayout.cpp
    void BuildInspector();
    void InspectorScrollPanelPaint(TGKPanel *panel);
    void ElementsClick();
    void EditorsKeyPress();
    void StoreName();
    void StoreDescription();
    void ControlsEnter(QWidget *control);
    void ControlsExit(QWidget *control);
    void CntBtnMouseDown(bool up);
    void CntBtnMouseUp();
    void CounterTimer();
    void ShowInspectorEditors(const TNetElement *element);
    void HideInspectorEditors();
    bool InspectorEvent(QObject *watched, QEvent *event);
    QObject *InspectorEvents = nullptr;
    // The answer to a selection change: the last selected row becomes current,
    // then the inspector, status text and commands follow.
    void RefreshSelection();
    int RefreshBatchDepth = 0;
    bool SelectionRefreshPending = false;
    QTimer *SelectionRefreshTimer = nullptr;
    QList<QWidget *> FocusWatched;
    bool RebuildingElements = false;
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

    // DocModelling.cpp
    void ActionModelingStartExecute();
    void ActionModelingPauseExecute();
    void ActionModelingEndExecute();
    void ExecTimerTimer();
    void SetInfoPanelStyle(bool deadEnd);

    // DocStatePanel.cpp
    void BuildStatePanel();
    void LayoutStateScrollPanel();
    void StateTreeChange(QTreeWidgetItem *item);
    // Rebuilds the rows for a state, keeping the selected row; with
    // selectFirst a list without selection selects its first row.
    void FillTransfersInfo(TNetStateTreeNode *node, bool selectFirst);
    void TransfersInfoDrawItem(QPainter &canvas, int index, const QRect &rect, bool selected, bool focused);
    void TransfersInfoDrawBackground(QPainter &canvas);
    void TransfersInfoMouseUp(QPoint point);

    TDocShell *Shell;
    bool ClosingForExit = false;
};
