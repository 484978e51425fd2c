// Pastes arbitrary bytes as the net clipboard into a small net. A damaged
// clipboard pastes nothing; whatever is pasted can be saved, loaded and taken
// back by one undo.

#include "FuzzCheck.h"

#include "NetUnit.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

void BuildSmallNet(TPetryNet &net)
{
    net.SheetWidth = 710;
    net.SheetHeight = 510;
    TPosition *p = net.AddPlace(100, 100);
    p->Tokens = 2;
    TTransfer *t = net.AddTransition(200, 100);
    TPosition *q = net.AddPlace(300, 100);
    TArc *in = TArc::CreateBetween(&net, p, t);
    in->BendPoints.append(QPoint(150, 40));
    net.Arcs.append(in);
    net.Arcs.append(TArc::CreateBetween(&net, t, q));
    net.ClearSelection();
    net.Place(0)->Selected = true;
    while (net.CanUndo())
        net.UndoStack.Pop();
}

void PasteAndUndo(const QByteArray &bytes, bool atPoint, int x, int y)
{
    NetClipboard.SetData(std::make_unique<TNetMemoryStream>(bytes));
    TPetryNet net;
    BuildSmallNet(net);
    const QByteArray before = net.SaveToBytes();
    const int elements = net.ElementCount();
    int changes = 0;
    net.OnChange = [&changes](TPetryNet *) { ++changes; };

    if (atPoint)
        net.PasteAt(x, y);
    else
        net.Paste();
    if (!net.CanUndo()) { // refused: nothing changed, not even the selection
        FUZZ_CHECK(changes == 0);
        FUZZ_CHECK(net.SaveToBytes() == before);
        FUZZ_CHECK(net.SelectedCount() == 1 && net.Place(0)->Selected);
        return;
    }
    FUZZ_CHECK(changes == 1);
    FUZZ_CHECK(net.ElementCount() > elements);
    FUZZ_CHECK(net.SelectedCount() == net.ElementCount() - elements);

    const QByteArray after = net.SaveToBytes();
    TPetryNet loaded;
    FUZZ_CHECK(loaded.LoadFromBytes(after));
    FUZZ_CHECK(loaded.SaveToBytes() == after);

    net.Undo();
    FUZZ_CHECK(net.SaveToBytes() == before);
    FUZZ_CHECK(!net.CanUndo());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    PasteAndUndo(bytes, false, 0, 0);
    PasteAndUndo(bytes, true, 40, 60);
    NetClipboard.Clear();
    return 0;
}
