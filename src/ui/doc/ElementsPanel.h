#pragma once

#include <QObject>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QTimer;
class TFocusFrames;
class TGKPanel;
class TGKSpeedButton;
class TGKToolBar;
class TNetElement;
class TElementListModel;
class TPetryNet;
struct TWindowColorMaps;

// The net inspector's content: the element list and the editors of the
// element its current row stands for (count, name, description). It reads
// and writes the net it is given; what it changes is reported, so that the
// window repaints the canvas and refreshes its commands.
class TElementsPanel : public QObject
{
    Q_OBJECT
public:
    TElementsPanel(TGKPanel *content, const TWindowColorMaps &maps, TFocusFrames &frames);
    ~TElementsPanel() override;

    // A new net (or none) empties the list until the next rebuild.
    void SetNet(TPetryNet *net);
    // The inspector's toolbar commands.
    void SetToolBarActions(const QList<QAction *> &actions);

    // Lists the net's elements under their headers again; row 1 becomes current.
    void RebuildList();
    // The net's last selected element in list order becomes the current row;
    // with nothing selected the current row stays.
    void FollowSelection();
    // Shows the editors of the inspected element, or hides them when there
    // is none; without a net the list is emptied.
    void Refresh();

    // The element the inspector shows, or none.
    TNetElement *InspectedElement() const;
    // The element of a row of the element list; none for a header.
    TNetElement *ElementOfRow(int row) const;
    // Whether a row is a kind's header.
    bool IsHeaderRow(int row) const;
    // The row the user was last on, the direction in which headers are skipped.
    int LastElementIndex() const { return LastRow; }
    // Stores a new token count (place) or multiplicity (arc) into the inspected element.
    void ApplyCount(qint32 value);
    // One step of the counter, up or down; false when the value is at a limit.
    bool CounterStep(bool up);
    // Stores an edited name or description when the focus leaves its editor.
    void ControlLeft(QWidget *control);

signals:
    // The user chose another row: the inspector and the commands follow.
    void RowChosen();
    // A value went into the net; with canvas the picture shows it.
    void Changed(bool canvas);

private:
    void Build(TGKPanel *content, const TWindowColorMaps &maps, TFocusFrames &frames);
    void SetCurrentRow(int row);
    void ElementsClick();
    void StoreName();
    void StoreDescription();
    void CntBtnMouseDown(bool up);
    void CounterTimer();
    void ShowEditors(const TNetElement *element);
    void HideEditors();

    int CurrentRow() const;
    int RowCount() const;

    TPetryNet *Net = nullptr;
    int LastRow = 0;
    bool CountUp = false;
    bool RebuildingElements = false;
    TGKPanel *InspectorScrollPanel = nullptr;
    QListView *Elements = nullptr;
    TElementListModel *Rows = nullptr;
    TGKToolBar *NIToolBar = nullptr;
    QLabel *CountLabel = nullptr, *NameEditLabel = nullptr, *DescriptionLabel = nullptr;
    QWidget *CntShape = nullptr, *NEShape = nullptr, *DEShape = nullptr;
    QLineEdit *CountEdit = nullptr;
    TGKSpeedButton *CntUpBtn = nullptr, *CntDownBtn = nullptr;
    QLineEdit *NameEdit = nullptr;
    QPlainTextEdit *Description = nullptr;
    QTimer *Counter = nullptr;
};
