#include "UndoClipboard.h"

#include "PetryNet.h"
#include "PetryNetPrivate.h"

#include <QHash>

TNetClipboad NetClipboard;

void TUndoStack::Push(std::unique_ptr<TNetMemoryStream> stream)
{
    if (UndoDepth <= 0)
        return;
    while (Snapshots.size() >= size_t(UndoDepth))
        Snapshots.erase(Snapshots.begin());
    stream->SetPosition(0);
    Snapshots.push_back(std::move(stream));
}

std::unique_ptr<TNetMemoryStream> TUndoStack::Pop()
{
    if (Snapshots.empty())
        return nullptr;
    std::unique_ptr<TNetMemoryStream> top = std::move(Snapshots.back());
    Snapshots.pop_back();
    return top;
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

void TPetryNet::SaveUndo()
{
    auto stream = std::make_unique<TNetMemoryStream>();
    stream->WriteString(NetName);
    stream->WriteString(Description);
    WriteNetSizes(*this, *stream);
    WriteElements(*stream);
    UndoStack.Push(std::move(stream));
    // Every snapshot precedes a change to what the file holds.
    Saved = false;
}

void TPetryNet::Undo()
{
    std::unique_ptr<TNetMemoryStream> snapshot = UndoStack.Pop();
    if (!snapshot)
        return;
    TElementLists lists;
    QString netName, description;
    TNetSizes sizes;
    try {
        netName = snapshot->ReadString();
        description = snapshot->ReadString();
        sizes = TNetSizes::Read(*snapshot);
    } catch (const TNetStreamError &) {
        return;
    }
    if (!ParseElements(*snapshot, lists))
        return;
    NetName = netName;
    Description = description;
    ApplyNetSizes(*this, sizes);
    InstallElements(lists);
    Saved = false;
    NotifyChange();
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
