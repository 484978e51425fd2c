#include "PetryNet.h"

#include "PetryNetPrivate.h"

#include <QFileInfo>

TPetryNet::TPetryNet()
    : NetName(QStringLiteral("Сеть Петри"))
{
}

TPetryNet::~TPetryNet()
{
    RootState.reset();
    CurrentState = nullptr;
    ReleaseParked(); // while the net they call on still stands
    DropGrid();
    DestroyElements();
}

TPetryNet::TElementLists::~TElementLists()
{
    // Arcs first, so that no node has to search its arc list for them.
    while (!Arcs.isEmpty())
        delete Arcs.takeLast();
    while (!Places.isEmpty())
        delete Places.takeLast();
    while (!Transitions.isEmpty())
        delete Transitions.takeLast();
}

void TPetryNet::DestroyElements()
{
    DropSelectionAccount();
    // Destroying from the back keeps every self-removal O(1).
    while (!Arcs.isEmpty())
        delete Arcs.last();
    while (!Places.isEmpty())
        delete Places.last();
    while (!Transitions.isEmpty())
        delete Transitions.last();
}

void TPetryNet::InstallElements(TElementLists &lists)
{
    MarkAllDirty();
    DropGrid();
    DestroyElements();
    Places = std::exchange(lists.Places, {});
    Transitions = std::exchange(lists.Transitions, {});
    Arcs = std::exchange(lists.Arcs, {});
    PlaceCounter += PlaceCount();
    TransitionCounter += TransitionCount();
    ArcCounter += ArcCount();
}

QString TPetryNet::GetTitle() const
{
    return QFileInfo(FileName).completeBaseName();
}

TSides TPetryNet::GetSheetRect() const
{
    return {SheetLeft + 4, SheetTop + 4, SheetLeft + SheetWidth - 5, SheetTop + SheetHeight - 5};
}

void TPetryNet::NotifyChange()
{
    if (OnChange)
        OnChange(this);
}

void TPetryNet::NotifySelectionChange()
{
    if (OnSelectionChange)
        OnSelectionChange(this);
}

void TPetryNet::NotifyStateChange()
{
    if (OnStateChange)
        OnStateChange(this);
}

QString TPetryNet::NextNumber(quint8 kind)
{
    switch (kind) {
    case KindPlace: return QString::number(++PlaceCounter);
    case KindTransition: return QString::number(++TransitionCounter);
    case KindArc: return QString::number(++ArcCounter);
    default: return {};
    }
}

void TPetryNet::DetachElement(TNetElement *element)
{
    if (DetachingNothing)
        return;
    switch (element->Kind) {
    case KindPlace: RemoveElement(Places, element); break;
    case KindTransition: RemoveElement(Transitions, element); break;
    case KindArc: RemoveElement(Arcs, element); break;
    default: break;
    }
}

void TPetryNet::SetNetName(const QString &value)
{
    if (NetName != value) {
        NetName = value;
        MarkChanged();
    }
}

void TPetryNet::SetAuthor(const QString &value)
{
    if (Author != value) {
        Author = value;
        MarkChanged();
    }
}

void TPetryNet::SetDescription(const QString &value)
{
    if (Description != value) {
        Description = value;
        MarkChanged();
    }
}

// ---- Element access

TPosition *TPetryNet::Place(int i) const
{
    return i >= 0 && i < Places.size() ? Places.at(i) : nullptr;
}

TTransfer *TPetryNet::Transition(int i) const
{
    return i >= 0 && i < Transitions.size() ? Transitions.at(i) : nullptr;
}

TArc *TPetryNet::Arc(int i) const
{
    return i >= 0 && i < Arcs.size() ? Arcs.at(i) : nullptr;
}

TNetElement *TPetryNet::Element(int i) const
{
    if (i < 0)
        return nullptr;
    if (i < TransitionCount())
        return Transitions.at(i);
    i -= TransitionCount();
    if (i < PlaceCount())
        return Places.at(i);
    return Arc(i - PlaceCount());
}

int TPetryNet::IndexOfElement(const TNetElement *element) const
{
    if (!element)
        return -1;
    switch (element->Kind) {
    case KindPlace: return IndexOf(Places, element);
    case KindTransition: return IndexOf(Transitions, element);
    case KindArc: return IndexOf(Arcs, element);
    default: return -1;
    }
}

// ---- Hit testing

TNetElement *TPetryNet::ElementAt(int x, int y) const
{
    // Drawing order backwards: transitions, places, then arcs, each from the
    // last, so the element drawn on top wins.
    const std::vector<TNetElement *> near = ElementsIn(QRect(x, y, 1, 1));
    for (auto it = near.rbegin(); it != near.rend(); ++it)
        if ((*it)->ContainsPoint(x, y))
            return *it;
    return nullptr;
}

TStaticNetElement *TPetryNet::NodeAt(int x, int y) const
{
    TNetElement *e = ElementAt(x, y);
    if (e && (e->Kind == KindPlace || e->Kind == KindTransition))
        return static_cast<TStaticNetElement *>(e);
    return nullptr;
}

bool TPetryNet::CanPlace(int x, int y, quint8 kind) const
{
    int w, h;
    if (kind == KindPlace) {
        w = PlaceWidth;
        h = PlaceHeight;
    } else if (kind == KindTransition) {
        w = TransitionWidth;
        h = TransitionHeight;
    } else {
        return true;
    }
    const int left = x - w / 2, top = y - h / 2;
    const TSides sheet = GetSheetRect();
    return left >= sheet.Left && top >= sheet.Top && left + w <= sheet.Right && top + h <= sheet.Bottom;
}

// ---- Editing

namespace {

template <class TNode>
TNode *AddNode(TPetryNet *net, QList<TNode *> &list, int x, int y)
{
    auto *node = new TNode(net);
    node->SetCanvasX(x);
    node->SetCanvasY(y);
    net->SaveUndo(); // the snapshot holds the net without the new node
    node->AssignDefaultName();
    list.append(node);
    net->Saved = false;
    net->NotifyChange();
    node->SetSelected(true);
    return node;
}

// Moves the elements that doomed picks out of the list, keeping the order of both.
template <class T, class TPredicate>
QList<T *> TakeOut(QList<T *> &list, TPredicate doomed)
{
    QList<T *> taken, kept;
    kept.reserve(list.size());
    for (T *e : list)
        (doomed(e) ? taken : kept).append(e);
    list = std::move(kept);
    return taken;
}

} // namespace

TPosition *TPetryNet::AddPlace(int x, int y)
{
    return AddNode(this, Places, x, y);
}

TTransfer *TPetryNet::AddTransition(int x, int y)
{
    return AddNode(this, Transitions, x, y);
}

void TPetryNet::DeleteSelection()
{
    SaveUndo();
    // Taken out of the lists one by one, each element would search its list
    // and close the gap it leaves: quadratic over a large selection. So the
    // survivors are sorted out first, one pass per list: the selected nodes,
    // and the arcs selected or touching one of them.
    auto selected = [](const TNetElement *e) { return e->Selected; };
    const QList<TPosition *> places = TakeOut(Places, selected);
    const QList<TTransfer *> transitions = TakeOut(Transitions, selected);
    auto withNode = [](const TArc *a) { return a->StartNode->Selected || a->EndNode->Selected; };
    const QList<TArc *> arcs = TakeOut(Arcs, [withNode](const TArc *a) { return a->Selected || withNode(a); });
    // A large part of the net leaves the spatial index to be rebuilt once at
    // the next look-up rather than emptied cell by cell.
    const qsizetype gone = places.size() + transitions.size() + arcs.size();
    if (gone * 16 > ElementCount())
        DropGrid();
    // Every selected element goes: the selection is empty, and an account
    // that was in step stays so.
    const bool known = SelectionInStep();
    DropSelectionAccount();
    SelectedCounts = {};
    SelectionKnown = known;
    // Kept by the snapshot just taken while an undo may bring them back.
    std::vector<TNetElement *> parked(arcs.begin(), arcs.end());
    parked.insert(parked.end(), places.begin(), places.end());
    parked.insert(parked.end(), transitions.begin(), transitions.end());
    ParkElements(std::move(parked), UndoStack.IsEmpty() ? nullptr : UndoStack.Snapshots.back().get());
    NotifyChange();
}
