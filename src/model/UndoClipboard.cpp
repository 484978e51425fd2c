#include "UndoClipboard.h"

#include "PetryNet.h"
#include "PetryNetPrivate.h"

#include <QHash>
#include <QtEndian>

TNetClipboad NetClipboard;

namespace {

void PushBounded(std::vector<std::unique_ptr<TNetMemoryStream>> &stack, std::unique_ptr<TNetMemoryStream> stream,
                 qint32 depth)
{
    if (depth <= 0)
        return;
    while (stack.size() >= size_t(depth))
        stack.erase(stack.begin());
    stream->SetPosition(0);
    stack.push_back(std::move(stream));
}

std::unique_ptr<TNetMemoryStream> PopNewest(std::vector<std::unique_ptr<TNetMemoryStream>> &stack)
{
    if (stack.empty())
        return nullptr;
    std::unique_ptr<TNetMemoryStream> top = std::move(stack.back());
    stack.pop_back();
    return top;
}

} // namespace

void TUndoStack::Push(std::unique_ptr<TNetMemoryStream> stream)
{
    PushBounded(Snapshots, std::move(stream), UndoDepth);
}

std::unique_ptr<TNetMemoryStream> TUndoStack::Pop()
{
    return PopNewest(Snapshots);
}

void TUndoStack::PushRedo(std::unique_ptr<TNetMemoryStream> stream)
{
    PushBounded(RedoSnapshots, std::move(stream), UndoDepth);
}

std::unique_ptr<TNetMemoryStream> TUndoStack::PopRedo()
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

bool TPetryNet::TokenSnapshotFits() const
{
    const TTokenSnapshot &s = *TokenSnapshot;
    const std::array<qint32, 6> sizes{SheetWidth, SheetHeight, PlaceWidth, PlaceHeight, TransitionWidth, TransitionHeight};
    return s.NetName == NetName && s.Description == Description && s.Sizes == sizes
        && s.Lists[0] == Places.constData() && s.Lists[1] == Transitions.constData() && s.Lists[2] == Arcs.constData()
        && s.Counts[0] == Places.size() && s.Counts[1] == Transitions.size() && s.Counts[2] == Arcs.size();
}

std::unique_ptr<TNetMemoryStream> TPetryNet::TakeSnapshot() const
{
    if (!Modelling)
        TokenSnapshot.reset();
    if (TokenSnapshot && TokenSnapshotFits()) {
        QByteArray bytes = TokenSnapshot->Bytes;
        char *data = bytes.data(); // the one copy
        for (int k = 0; k < PlaceCount(); ++k)
            qToLittleEndian<qint32>(Places[k]->Tokens, data + TokenSnapshot->TokenOffsets[size_t(k)]);
        return std::make_unique<TNetMemoryStream>(std::move(bytes));
    }
    auto stream = std::make_unique<TNetMemoryStream>();
    stream->WriteString(NetName);
    stream->WriteString(Description);
    WriteNetSizes(*this, *stream);
    if (!Modelling) {
        WriteElements(*stream);
        return stream;
    }
    TokenSnapshot = std::make_unique<TTokenSnapshot>();
    WriteElementsNoting(*stream, &TokenSnapshot->TokenOffsets);
    TokenSnapshot->Bytes = stream->Data();
    TokenSnapshot->NetName = NetName;
    TokenSnapshot->Description = Description;
    TokenSnapshot->Sizes = {SheetWidth, SheetHeight, PlaceWidth, PlaceHeight, TransitionWidth, TransitionHeight};
    TokenSnapshot->Lists[0] = Places.constData();
    TokenSnapshot->Lists[1] = Transitions.constData();
    TokenSnapshot->Lists[2] = Arcs.constData();
    TokenSnapshot->Counts[0] = Places.size();
    TokenSnapshot->Counts[1] = Transitions.size();
    TokenSnapshot->Counts[2] = Arcs.size();
    return stream;
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
    std::unique_ptr<TNetMemoryStream> snapshot = UndoStack.Pop();
    if (!snapshot)
        return;
    std::unique_ptr<TNetMemoryStream> current = TakeSnapshot();
    if (RestoreSnapshot(*snapshot))
        UndoStack.PushRedo(std::move(current));
}

void TPetryNet::Redo()
{
    std::unique_ptr<TNetMemoryStream> snapshot = UndoStack.PopRedo();
    if (!snapshot)
        return;
    std::unique_ptr<TNetMemoryStream> current = TakeSnapshot();
    if (RestoreSnapshot(*snapshot))
        UndoStack.Push(std::move(current));
}

bool TPetryNet::RestoreSnapshot(TNetMemoryStream &snapshot)
{
    TElementLists lists;
    QString netName, description;
    TNetSizes sizes;
    try {
        netName = snapshot.ReadString();
        description = snapshot.ReadString();
        sizes = TNetSizes::Read(snapshot);
    } catch (const TNetStreamError &) {
        return false;
    }
    if (!ParseElements(snapshot, lists))
        return false;
    NetName = netName;
    Description = description;
    ApplyNetSizes(*this, sizes);
    InstallElements(lists);
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
