#include "UndoClipboard.h"

#include "PetryNet.h"
#include "PetryNetPrivate.h"

#include <QHash>

TNetClipboad NetClipboard;

namespace {

void PushBounded(std::vector<TSnapshotPtr> &stack, TSnapshotPtr snapshot, qint32 depth)
{
    if (depth <= 0)
        return;
    while (stack.size() >= size_t(depth))
        stack.erase(stack.begin());
    stack.push_back(std::move(snapshot));
}

TSnapshotPtr PopNewest(std::vector<TSnapshotPtr> &stack)
{
    if (stack.empty())
        return nullptr;
    TSnapshotPtr top = std::move(stack.back());
    stack.pop_back();
    return top;
}

} // namespace

void TUndoStack::Push(TSnapshotPtr snapshot)
{
    PushBounded(Snapshots, std::move(snapshot), UndoDepth);
}

TSnapshotPtr TUndoStack::Pop()
{
    return PopNewest(Snapshots);
}

void TUndoStack::PushRedo(TSnapshotPtr snapshot)
{
    PushBounded(RedoSnapshots, std::move(snapshot), UndoDepth);
}

TSnapshotPtr TUndoStack::PopRedo()
{
    return PopNewest(RedoSnapshots);
}

void TNetClipboad::SetData(std::unique_ptr<TNetMemoryStream> stream)
{
    Data = std::move(stream);
}

TNetMemoryStream *TNetClipboad::GetData()
{
    if (Data)
        Data->SetPosition(0);
    return Data.get();
}

// ---- Undo

TPetryNet::TUndoGroup::TUndoGroup(TPetryNet &net)
    : Net(net)
{
    if (Net.UndoGroupDepth++ == 0)
        Net.UndoGroupTaken = false;
}

TPetryNet::TUndoGroup::~TUndoGroup()
{
    --Net.UndoGroupDepth;
}

TSnapshotPtr TPetryNet::TakeSnapshot() const
{
    SnapshotRecords = TakeNetSnapshot(*this, SnapshotRecords.get(), Parking.get());
    return SnapshotRecords;
}

void TPetryNet::SaveUndo()
{
    if (UndoGroupDepth > 0) {
        if (UndoGroupTaken)
            return;
        UndoGroupTaken = true;
    }
    if (UndoStack.UndoDepth > 0) // a stack that keeps nothing needs no copy
        UndoStack.Push(TakeSnapshot());
    UndoStack.ClearRedo();
    // Every snapshot precedes a change to what the file holds.
    Saved = false;
}

void TPetryNet::Undo()
{
    TSnapshotPtr snapshot = UndoStack.Pop();
    if (!snapshot)
        return;
    TSnapshotPtr current = TakeSnapshot();
    if (RestoreSnapshot(snapshot, current))
        UndoStack.PushRedo(std::move(current));
}

void TPetryNet::Redo()
{
    TSnapshotPtr snapshot = UndoStack.PopRedo();
    if (!snapshot)
        return;
    TSnapshotPtr current = TakeSnapshot();
    if (RestoreSnapshot(snapshot, current))
        UndoStack.Push(std::move(current));
}

bool TPetryNet::RestoreSnapshot(const TSnapshotPtr &snapshot, const TSnapshotPtr &current)
{
    const TNetSnapshot &s = *snapshot;
    if (RestoreInPlace(snapshot, current)) {
        // The same elements, some perhaps parked or back from the parking
        // lot: the lists, the spatial index and every pointer to a remaining
        // element stay.
        PlaceCounter += PlaceCount();
        TransitionCounter += TransitionCount();
        ArcCounter += ArcCount();
        SnapshotRecords = snapshot;
    } else {
        // The snapshot names elements the net no longer has: the lists are
        // built again from the records, through the same reading as a
        // document's.
        TNetMemoryStream stream;
        WriteSnapshotElements(s, stream);
        stream.SetPosition(0);
        TElementLists lists;
        if (!ParseElements(stream, lists))
            return false;
        InstallElements(lists);
        SnapshotRecords.reset(); // the records name the elements just replaced
    }
    NetName = s.NetName;
    Description = s.Description;
    // After the elements, whose index entries were made with the old sizes.
    ApplyNetSizes(*this, {s.Sizes[0], s.Sizes[1], s.Sizes[2], s.Sizes[3], s.Sizes[4], s.Sizes[5]});
    Saved = false;
    NotifyChange();
    return true;
}

// ---- Clipboard

void TPetryNet::CopySelection()
{
    if (!HasSelectedNodes())
        return;
    auto stream = std::make_unique<TNetMemoryStream>();
    const TSides rect = GetSelectionRect();
    stream->WriteInteger(rect.Left);
    stream->WriteInteger(rect.Top);
    // Copied arcs name their ends by position among the copied nodes.
    QHash<const TStaticNetElement *, int> index;
    auto writeNodes = [&](const auto &list) {
        int n = 0;
        for (const TNetElement *e : list)
            n += e->Selected;
        stream->WriteInteger(n);
        int i = 0;
        for (const auto *node : list)
            if (node->Selected) {
                node->SaveToStream(*stream);
                index.insert(node, i++);
            }
    };
    writeNodes(Places);
    writeNodes(Transitions);
    QList<const TArc *> arcs;
    for (const TArc *arc : Arcs)
        if (arc->Selected && arc->BothEndsSelected())
            arcs.append(arc);
    stream->WriteInteger(qint32(arcs.size()));
    for (const TArc *arc : arcs)
        arc->WriteRecord(*stream, index.value(arc->StartNode), index.value(arc->EndNode));
    NetClipboard.SetData(std::move(stream));
}

void TPetryNet::CutSelection()
{
    if (!HasSelectedNodes())
        return;
    SaveUndo();
    CopySelection();
    DeleteSelection();
}

// Where a pasted group lands. The group keeps its shape; every node and bend
// point is moved by one offset (each clamped to the sheet by its ShiftBy):
// - PasteAt(x, y) puts the group's top-left corner (as GetSelectionRect would
//   report it) at the canvas point (x, y), the point of the popup click;
// - Paste() puts it PasteStep pixels below and right of where it was copied
//   (same net coordinates), so a copy pasted into its own net never hides the
//   original.
namespace {
constexpr int PasteStep = 10;
}

void TPetryNet::Paste()
{
    PasteWithOffset(false, 0, 0);
}

void TPetryNet::PasteAt(int x, int y)
{
    PasteWithOffset(true, x, y);
}

void TPetryNet::PasteWithOffset(bool atPoint, int x, int y)
{
    TNetMemoryStream *data = NetClipboard.GetData();
    if (!data)
        return;
    TElementLists lists;
    try {
        data->ReadInteger(); // origin of the group in the source window, not needed here
        data->ReadInteger();
    } catch (const TNetStreamError &) {
        return;
    }
    if (!ParseElements(*data, lists) || lists.IsEmpty())
        return;
    SaveUndo();
    ClearSelection();

    int dx = PasteStep, dy = PasteStep;
    if (atPoint) {
        int left = MaxCoordinate * 4, top = MaxCoordinate * 4;
        auto take = [&](const auto &list) {
            for (const TNetElement *e : list) {
                left = std::min(left, e->GetLeft());
                top = std::min(top, e->GetTop());
            }
        };
        take(lists.Places);
        take(lists.Transitions);
        take(lists.Arcs);
        dx = x - left;
        dy = y - top;
    }
    auto place = [dx, dy](const auto &list) {
        for (TNetElement *e : list) {
            e->ShiftBy(dx, dy);
            e->SetSelected(true);
            e->AssignDefaultName();
        }
    };
    place(lists.Places);
    place(lists.Transitions);
    place(lists.Arcs);
    Places.append(std::exchange(lists.Places, {}));
    Transitions.append(std::exchange(lists.Transitions, {}));
    Arcs.append(std::exchange(lists.Arcs, {}));
    NotifyChange();
}
