// Benchmarks of the net model over generated nets of 100 to 1,000,000
// elements: document load and save, drawing, hit testing, selection, a drag
// step, one firing, undo, and the memory an element takes.

#include "BenchNets.h"
#include "NetUnit.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <malloc.h>

#include <memory>
#include <vector>

namespace {

void SizeArgs(benchmark::internal::Benchmark *b)
{
    for (int n : {100, 1000, 10000, 100000, 1000000})
        b->Arg(n);
}

// The net's middle under a canvas of 1920 x 1080, as a window scrolled there shows it.
void CentreSheet(TPetryNet &net)
{
    net.SheetLeft = 960 - net.SheetWidth / 2;
    net.SheetTop = 540 - net.SheetHeight / 2;
}

void BM_SaveDocument(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray doc = net->SaveToBytes();
        bytes = doc.size();
        benchmark::DoNotOptimize(doc.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_SaveDocument)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

void BM_LoadDocument(benchmark::State &state)
{
    const QByteArray doc = BuildNet(int(state.range(0)))->SaveToBytes();
    for (auto _ : state) {
        state.PauseTiming();
        auto net = std::make_unique<TPetryNet>();
        state.ResumeTiming();
        if (!net->LoadFromBytes(doc))
            state.SkipWithError("document refused");
        state.PauseTiming();
        net.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * doc.size());
}
BENCHMARK(BM_LoadDocument)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// The whole net drawn into a full-HD picture, as the window repaints it.
void BM_Draw(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::lightGray);
        QPainter painter(&image);
        net->Draw(painter, false);
    }
}
BENCHMARK(BM_Draw)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// What a window of 1920 x 1080 repaints: only the elements in sight.
void BM_DrawVisible(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    CentreSheet(*net);
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    const QRect visible = image.rect();
    for (auto _ : state) {
        image.fill(Qt::lightGray);
        QPainter painter(&image);
        net->Draw(painter, false, visible);
    }
}
BENCHMARK(BM_DrawVisible)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

void BM_ElementAt(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    QRandomGenerator rng(1);
    std::vector<QPoint> points(1024);
    for (QPoint &p : points)
        p = QPoint(rng.bounded(net->SheetWidth), rng.bounded(net->SheetHeight));
    size_t i = 0;
    for (auto _ : state) {
        const QPoint p = points[i++ % points.size()];
        benchmark::DoNotOptimize(net->ElementAt(p.x(), p.y()));
    }
}
BENCHMARK(BM_ElementAt)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

void BM_SelectAll(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    for (auto _ : state)
        net->SelectAll();
}
BENCHMARK(BM_SelectAll)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// A rubber band over the left half of the sheet.
void BM_SelectInRectHalf(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    const TSides r{0, 0, net->SheetWidth / 2, net->SheetHeight};
    for (auto _ : state)
        benchmark::DoNotOptimize(net->SelectInRect(r));
    state.counters["selected"] = net->SelectedCount();
}
BENCHMARK(BM_SelectInRectHalf)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// A rubber band over a tenth of the sheet (a strip at its left side).
void BM_SelectInRectTenth(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    const TSides r{0, 0, net->SheetWidth / 10, net->SheetHeight};
    for (auto _ : state)
        benchmark::DoNotOptimize(net->SelectInRect(r));
    state.counters["selected"] = net->SelectedCount();
}
BENCHMARK(BM_SelectInRectTenth)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// One mouse move while 100 selected nodes are dragged (50 in the net of 100),
// feedback inverted onto a full-HD canvas.
void BM_DragStep(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    CentreSheet(*net);
    const int nodes = std::min(100, (net->PlaceCount() + net->TransitionCount()) / 2);
    for (int i = 0; i < nodes / 2; ++i) {
        net->Places[i]->Selected = true;
        net->Transitions[i]->Selected = true;
    }
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    const TPosition *grip = net->Place(0);
    const QPoint start = grip->CanvasCenter();
    if (!net->BeginDrag(start.x(), start.y(), painter))
        state.SkipWithError("the drag did not start");
    int step = 0;
    for (auto _ : state) { // back and forth, so the nodes stay where they are
        const bool away = ++step % 2 != 0;
        net->DragTo(start.x() + (away ? Cell / 2 : 0), start.y() + (away ? Cell / 4 : 0), painter);
    }
    net->EndDrag(painter);
}
BENCHMARK(BM_DragStep)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

void BM_CancelSelection(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        net->SelectAll();
        state.ResumeTiming();
        net->CancelSelection();
    }
}
BENCHMARK(BM_CancelSelection)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// One firing of a transition with one input and 10 output places while
// modelling, with its one undo snapshot (or none, to see the firing alone).
void BM_FireTenOutputs(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    if (state.range(1) == 0)
        net->UndoStack.UndoDepth = 0;
    auto *input = new TPosition(net.get());
    input->Tokens = 1 << 30;
    net->Places.append(input);
    auto *t = new TTransfer(net.get());
    net->Transitions.append(t);
    net->Arcs.append(TArc::CreateBetween(net.get(), input, t));
    for (int k = 0; k < 10; ++k) {
        auto *out = new TPosition(net.get());
        net->Places.append(out);
        net->Arcs.append(TArc::CreateBetween(net.get(), t, out));
    }
    net->StartModelling();
    // The first snapshot records every element (as SaveUndo below
    // measures); every later one compares the places' counts with it and
    // shares the rest.
    t->Fire();
    int fired = 0;
    for (auto _ : state) {
        t->Fire();
        // Recording a state no longer grows with the chain before it; the
        // tree is started afresh now and then only to bound its memory.
        if (++fired % 200000 == 0) {
            state.PauseTiming();
            net->EndModelling();
            net->StartModelling();
            t->Fire();
            state.ResumeTiming();
        }
    }
    state.counters["snapshots"] = net->UndoStack.Count();
}
BENCHMARK(BM_FireTenOutputs)
    ->ArgsProduct({{100, 1000, 10000, 100000, 1000000}, {1, 0}})
    ->ArgNames({"n", "snapshot"})
    ->Unit(benchmark::kMillisecond);

void BM_Undo(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        net->SaveUndo();
        state.ResumeTiming();
        net->Undo();
    }
}
BENCHMARK(BM_Undo)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// Undo of one added place and of one changed token count (the snapshot
// before each edit is not timed).
void BM_UndoEdit(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    const bool add = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (add)
            net->AddPlace(net->OriginX() + 20, net->OriginY() + 20);
        else
            net->Place(0)->SetTokens(net->Place(0)->Tokens + 1);
        state.ResumeTiming();
        net->Undo();
    }
}
BENCHMARK(BM_UndoEdit)
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1}})
    ->ArgNames({"n", "add"})
    ->Unit(benchmark::kMillisecond);

// Undo (redo = 0) or Redo (redo = 1) of a delete: of one place with its arcs
// (many = 0) or of the elements in 1 % of the sheet (many = 1). The timed
// step ends with a hit test, which a repaint after it makes, so that a spatial
// index left to be rebuilt is paid for here. The delete itself is not timed.
void BM_UndoDelete(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    const bool many = state.range(1) != 0, redo = state.range(2) != 0;
    int next = 0, deleted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int before = net->ElementCount();
        if (many) {
            net->SelectInRect(TSides{0, 0, net->SheetWidth / 10, net->SheetHeight / 10});
        } else {
            net->CancelSelection();
            net->Place(next++ % net->PlaceCount())->SetSelected(true);
        }
        net->DeleteSelection();
        deleted = before - net->ElementCount();
        benchmark::DoNotOptimize(net->ElementAt(0, 0));
        if (redo) {
            net->Undo();
            benchmark::DoNotOptimize(net->ElementAt(0, 0));
        }
        state.ResumeTiming();
        redo ? net->Redo() : net->Undo();
        benchmark::DoNotOptimize(net->ElementAt(0, 0));
        state.PauseTiming();
        if (redo)
            net->Undo();
        state.ResumeTiming();
    }
    state.counters["deleted"] = deleted;
}
BENCHMARK(BM_UndoDelete)
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1}, {0, 1}})
    ->ArgNames({"n", "many", "redo"})
    ->Unit(benchmark::kMillisecond);

// Heap an undo snapshot takes per element: the first of a session, and one
// after a token count changed (a quarter of the elements are places).
void BM_SnapshotMemory(benchmark::State &state)
{
    const int n = int(state.range(0));
    double first = 0, next = 0;
    for (auto _ : state) {
        auto net = BuildNet(n);
        net->UndoStack.Snapshots.clear();
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        net->SaveUndo();
        // A snapshot is taken before its change, so the second one holds the first change.
        net->Place(0)->SetTokens(net->Place(0)->Tokens + 1);
        const size_t middle = mallinfo2().uordblks;
        net->Place(0)->SetTokens(net->Place(0)->Tokens + 1);
        const size_t after = mallinfo2().uordblks;
        first = double(middle - before) / net->ElementCount();
        next = double(after - middle) / net->ElementCount();
    }
    state.counters["first_bytes_per_element"] = first;
    state.counters["next_bytes_per_element"] = next;
}
BENCHMARK(BM_SnapshotMemory)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Snapshot taken before an edit of a large net (every edit pays this once).
void BM_SaveUndo(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    for (auto _ : state)
        net->SaveUndo();
}
BENCHMARK(BM_SaveUndo)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// Deleting half the net (selected by a rubber band) and then all of it.
void BM_DeleteSelection(benchmark::State &state)
{
    const bool all = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto net = BuildNet(int(state.range(0)));
        if (all)
            net->SelectAll();
        else
            net->SelectInRect(TSides{0, 0, net->SheetWidth / 2, net->SheetHeight});
        net->UndoStack.UndoDepth = 0; // the snapshot is measured apart
        state.ResumeTiming();
        net->DeleteSelection();
        state.PauseTiming();
        net.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteSelection)
    ->ArgsProduct({{100, 1000, 10000, 100000, 1000000}, {0, 1}})
    ->ArgNames({"n", "all"})
    ->Unit(benchmark::kMillisecond);

// Heap taken per element by a net loaded from a document (no undo snapshots)
// once its spatial index has been built by a first hit test.
void BM_MemoryPerElement(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QByteArray doc = BuildNet(n)->SaveToBytes();
    double perElement = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        auto net = std::make_unique<TPetryNet>();
        net->LoadFromBytes(doc);
        benchmark::DoNotOptimize(net->ElementAt(0, 0));
        const size_t after = mallinfo2().uordblks;
        perElement = double(after - before) / net->ElementCount();
    }
    state.counters["bytes_per_element"] = perElement;
}
BENCHMARK(BM_MemoryPerElement)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Drawing needs fonts; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
