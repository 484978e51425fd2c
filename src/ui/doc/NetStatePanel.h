#pragma once

#include <QHash>
#include <QObject>

#include <vector>

class QListWidget;
class QPainter;
class QTreeWidget;
class QTreeWidgetItem;
class TFocusFrames;
class TGKPanel;
class TNetStateTreeNode;
class TOwnerDrawList;
class TPetryNet;
class TStaticNetElement;
class TStateTreeView;
struct TXPColorMap;

// The content of the state panel: the tree of visited markings and the list
// of transitions with their firing counts. It shows the net's current state
// when told to; a state the user picks in the tree is reported, not applied,
// and a click on an enabled transition's marker fires it on the net, whose
// notification then brings the panel up to date.
class TNetStatePanel : public QObject
{
    Q_OBJECT
public:
    TNetStatePanel(TGKPanel *content, const TXPColorMap &map, TFocusFrames &frames);
    ~TNetStatePanel() override;

    void SetNet(TPetryNet *net)
    {
        Net = net;
        CountedState = nullptr;
        PathState = nullptr;
    }
    // Shows the net's current state: adds its item under the selected one when
    // it is new, selects it and lists the transitions, the first row selected
    // when no row is.
    void ShowCurrentState();
    // Lists the transitions of a state picked by the user, keeping the selected row.
    void ShowPickedState();
    // Forgets every item and row; they refer to states the net is about to destroy.
    void Clear();
    // How many transitions may fire in the net's current state. After a
    // firing from the state counted last only the transitions joined to the
    // places it changed are checked again; any other state is counted in full.
    int EnabledCount();
    // The numbers of the transitions fired from the root to node ("1, 2, 1"),
    // extended by one number after a firing from the state asked for last.
    QString FiringPath(const TNetStateTreeNode *node);

signals:
    void StatePicked(TNetStateTreeNode *node);

private:
    void Layout();
    QTreeWidgetItem *FindStateItem(const TNetStateTreeNode *node) const;
    void FillTransfersInfo(TNetStateTreeNode *node, bool selectFirst);
    void TransfersInfoDrawItem(QPainter &canvas, int index, const QRect &rect, bool selected, bool focused);
    void TransfersInfoDrawBackground(QPainter &canvas);
    void TransfersInfoMouseUp(QPoint point);

    TPetryNet *Net = nullptr;
    const TXPColorMap &Map;
    TGKPanel *Content;
    TGKPanel *NetStateScrollPanel = nullptr;
    TStateTreeView *StateTree = nullptr;
    TOwnerDrawList *TransfersInfo = nullptr;
    // The item of each state shown, so a state is found without a walk of the tree.
    QHash<const TNetStateTreeNode *, QTreeWidgetItem *> StateItems;
    // The state whose transitions the list shows; every row refers to it.
    TNetStateTreeNode *ShownState = nullptr;
    // The row of each transition, and whether it may fire in CountedState.
    QHash<const TStaticNetElement *, int> TransferRows;
    std::vector<bool> Enabled;
    int EnabledTotal = 0;
    const TNetStateTreeNode *CountedState = nullptr;
    QString PathText; // the path of PathState
    const TNetStateTreeNode *PathState = nullptr;
    // An item was collapsed since a state was last shown.
    bool AncestorCollapsed = false;
};
