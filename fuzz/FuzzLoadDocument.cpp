// Loads a document from arbitrary bytes. A refused document must leave the
// net untouched; an accepted one must survive the editing steps a user takes
// right after opening it: save and reload, copy and paste, delete, undo, and
// a round of the token game.

#include "FuzzCheck.h"

#include "NetUnit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    NetClipboard.Clear();
    TPetryNet net;
    net.SheetWidth = 710;
    net.SheetHeight = 510;
    const QByteArray empty = net.SaveToBytes();
    int changes = 0;
    net.OnChange = [&changes](TPetryNet *) { ++changes; };

    if (!net.LoadFromBytes(bytes)) {
        FUZZ_CHECK(net.SaveToBytes() == empty);
        FUZZ_CHECK(changes == 0);
        return 0;
    }
    FUZZ_CHECK(changes == 1);
    FUZZ_CHECK(net.SelectedCount() == 0);

    // What was accepted saves as a document that loads back to the same bytes.
    const QByteArray saved = net.SaveToBytes();
    {
        TPetryNet again;
        FUZZ_CHECK(again.LoadFromBytes(saved));
        FUZZ_CHECK(again.SaveToBytes() == saved);
    }

    // Copy everything and paste it next to the original; undo takes it back.
    net.SelectAll();
    FUZZ_CHECK(net.SelectedCount() == net.ElementCount());
    net.CopySelection();
    const int before = net.ElementCount();
    net.PasteAt(size > 0 ? data[0] : 0, size > 1 ? data[1] : 0);
    if (net.HasSelectedNodes()) {
        FUZZ_CHECK(net.ElementCount() > before);
        TPetryNet pasted;
        FUZZ_CHECK(pasted.LoadFromBytes(net.SaveToBytes()));
        net.Undo();
    }
    FUZZ_CHECK(net.SaveToBytes() == saved);
    NetClipboard.Clear();

    // Delete a selection picked by the input's bits; undo brings it back.
    for (int i = 0; i < net.ElementCount(); ++i)
        net.Element(i)->SetSelected(data[size_t(i) % size] & 1);
    net.DeleteSelection();
    for (const TArc *arc : net.Arcs)
        FUZZ_CHECK(net.IndexOfElement(arc->StartNode) >= 0 && net.IndexOfElement(arc->EndNode) >= 0);
    net.Undo();
    FUZZ_CHECK(net.SaveToBytes() == saved);

    // One round of the token game over a net that may hold any numbers.
    net.StartModelling();
    if (net.Modelling) {
        for (int t = 0; t < net.TransitionCount(); ++t)
            if (net.Transition(t)->IsEnabled())
                net.Transition(t)->Fire();
        net.EndModelling();
    }
    while (net.CanUndo())
        net.Undo();
    return 0;
}
