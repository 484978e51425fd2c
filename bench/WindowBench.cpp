// Benchmarks of the document window over generated nets of 100 to 1,000,000
// elements, shown offscreen with a 1920 × 1080 canvas: the selection commands
// with the window's whole answer (inspector list, editors, status text,
// command states, canvas), a full canvas repaint, a scroll, a click that
// selects one element, a token click, one step of a drag, a bend point moved,
// a firing while modelling and opening a document.
// Every timed step ends by processing the events it posted, so the paint of
// what changed is measured too.

#include "BenchNets.h"
#include "NetUnit.h"
#include "app/MainUnit.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QApplication>

#include <memory>

namespace {

constexpr QSize CanvasSize(1920, 1080);

// Answers every question with No and every file dialog with Cancel.
class TSilentPrompter : public TPrompter
{
public:
    QMessageBox::StandardButton MessageBox(QWidget *, const QString &, const QString &, QMessageBox::StandardButtons,
                                           QMessageBox::Icon, QMessageBox::StandardButton) override
    {
        return QMessageBox::No;
    }
    QString OpenFileName(QWidget *, const QString &, const QString &) override { return {}; }
    QString SaveFileName(QWidget *, const QString &, const QString &) override { return {}; }
};

// One shown document window holding a generated net of n elements.
struct TWindow
{
    explicit TWindow(int n)
        : Shell(std::make_unique<TSilentPrompter>())
    {
        Shell.OnEnd = [] {};
        Doc = Shell.DocumentAt(0);
        Doc->show();
        QApplication::processEvents();
        // Grow the window until its canvas has the size wanted.
        Doc->resize(Doc->size() + CanvasSize - Doc->Canvas().Area()->size());
        QApplication::processEvents();
        Doc->GetNet()->LoadFromBytes(BuildNet(n)->SaveToBytes());
        Doc->Canvas().LayoutSheet(Doc->Canvas().Area()->width(), Doc->Canvas().Area()->height());
        Settle();
    }

    // Lets the window paint what the last step changed.
    static void Settle() { QApplication::processEvents(); }

    void CancelSelection()
    {
        {
            const TDocForm::TRefreshBatch batch(*Doc);
            Doc->GetNet()->CancelSelection();
        }
        Doc->Canvas().RepaintCanvas();
        Settle();
    }

    // A left click at a canvas point, press and release.
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        Doc->Canvas().DocAreaMouseDown(button, {}, at);
        Doc->Canvas().DocAreaMouseUp(button, {}, at);
        Settle();
    }

    QPoint CentreOf(const TStaticNetElement *node) const
    {
        return {node->X + Doc->GetNet()->OriginX(), node->Y + Doc->GetNet()->OriginY()};
    }

    void Report(benchmark::State &state) const
    {
        state.counters["elements"] = Doc->GetNet()->ElementCount();
        state.counters["selected"] = Doc->GetNet()->SelectedCount();
        const auto *list = Doc->findChild<QAbstractItemView *>(QStringLiteral("Elements"));
        state.counters["rows"] = list && list->model() ? list->model()->rowCount() : -1;
        state.counters["canvas_w"] = Doc->Canvas().Area()->width();
        state.counters["canvas_h"] = Doc->Canvas().Area()->height();
    }

    TAppMainForm Shell;
    TDocForm *Doc = nullptr;
};

void SizeArgs(benchmark::internal::Benchmark *b)
{
    for (int n : {100, 1000, 10000, 100000, 1000000})
        b->Arg(n);
}

// A document of n elements loaded into a shown window until it is ready for
// input: the net read, the element list filled, the canvas composed and shown.
void BM_WindowOpenDocument(benchmark::State &state)
{
    TWindow w(100);
    const QByteArray bytes = BuildNet(int(state.range(0)))->SaveToBytes();
    for (auto _ : state) {
        w.Doc->GetNet()->LoadFromBytes(bytes);
        w.Doc->Canvas().LayoutSheet(w.Doc->Canvas().Area()->width(), w.Doc->Canvas().Area()->height());
        TWindow::Settle();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowOpenDocument)->Apply(SizeArgs)->Unit(benchmark::kMillisecond)->Iterations(3);

// A click of the selection instrument on one of two places in turn: one
// element selected, the other unselected, with the window's whole answer.
void BM_WindowSelectOne(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    TPetryNet &net = *w.Doc->GetNet();
    const TPosition *places[2] = {net.Place(0), net.Place(1)};
    int step = 0;
    for (auto _ : state) {
        const TPosition *p = places[++step % 2];
        const QPoint at(p->X + net.OriginX(), p->Y + net.OriginY());
        w.Doc->Canvas().DocAreaMouseDown(Qt::LeftButton, {}, at);
        w.Doc->Canvas().DocAreaMouseUp(Qt::LeftButton, {}, at);
        TWindow::Settle();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowSelectOne)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// The canvas scrolled by 10 pixels, right and back in turn.
void BM_WindowScroll10(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        w.Doc->Canvas().ScrollCanvasBy(++step % 2 ? 10 : -10, 0);
        TWindow::Settle();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowScroll10)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// The Select all command from nothing selected.
void BM_WindowSelectAll(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w.CancelSelection();
        state.ResumeTiming();
        w.Doc->Execute(w.Doc->Commands().ActionEditSelectAll);
        TWindow::Settle();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowSelectAll)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// A rubber band over the left half (or tenth) of the sheet, answered as the
// release of the band answers it: one selection batch, then the canvas.
TSides LeftPart(const TPetryNet &net, int divisor)
{
    return {net.OriginX(), net.OriginY(), net.OriginX() + net.SheetWidth / divisor, net.MaxY()};
}

void SelectInBand(TWindow &w, const TSides &band)
{
    {
        const TDocForm::TRefreshBatch batch(*w.Doc);
        w.Doc->GetNet()->SelectInRect(band);
    }
    w.Doc->Canvas().RepaintCanvas();
    TWindow::Settle();
}

void BM_WindowSelectInRect(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    const TSides band = LeftPart(*w.Doc->GetNet(), int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        w.CancelSelection();
        state.ResumeTiming();
        SelectInBand(w, band);
    }
    w.Report(state);
}
BENCHMARK(BM_WindowSelectInRect)
    ->ArgsProduct({{100, 1000, 10000, 100000, 1000000}, {2, 10}})
    ->ArgNames({"n", "part"})
    ->Unit(benchmark::kMillisecond);

// Cancelling the selection that a rubber band over a tenth of the sheet made.
void BM_WindowCancelTenth(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    const TSides band = LeftPart(*w.Doc->GetNet(), 10);
    for (auto _ : state) {
        state.PauseTiming();
        SelectInBand(w, band);
        state.ResumeTiming();
        w.CancelSelection();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowCancelTenth)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// The Cancel selection command with every element selected.
void BM_WindowCancelSelection(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w.Doc->Execute(w.Doc->Commands().ActionEditSelectAll);
        TWindow::Settle();
        state.ResumeTiming();
        w.Doc->Execute(w.Doc->Commands().ActionEditCancSel);
        TWindow::Settle();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowCancelSelection)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// The whole canvas composed again and shown.
void BM_WindowRepaintCanvas(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    for (auto _ : state) {
        w.Doc->Canvas().RedrawCanvas();
        TWindow::Settle();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowRepaintCanvas)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// One mouse move of a drag of 100 selected nodes (all of them in the smallest
// net), through the canvas mouse handlers.
void BM_WindowDragStep(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    TPetryNet &net = *w.Doc->GetNet();
    // The first nodes of the grid: place and transition alternate, so the
    // first 50 of each list.
    {
        const TDocForm::TRefreshBatch batch(*w.Doc);
        for (int i = 0; i < 50; ++i) {
            if (TPosition *p = net.Place(i))
                p->SetSelected(true);
            if (TTransfer *t = net.Transition(i))
                t->SetSelected(true);
        }
    }
    const TPosition *grip = net.Place(0);
    const QPoint start(grip->X + net.OriginX(), grip->Y + net.OriginY());
    w.Doc->Canvas().DocAreaMouseDown(Qt::LeftButton, {}, start);
    w.Doc->Canvas().DocAreaMouseMove(start);
    if (!net.IsDragging())
        state.SkipWithError("the drag did not start");
    TWindow::Settle();
    int step = 0;
    for (auto _ : state) {
        // Back and forth, so the nodes stay where they are.
        w.Doc->Canvas().DocAreaMouseMove(start + (++step % 2 ? QPoint(Cell / 2, Cell / 4) : QPoint()));
        TWindow::Settle();
    }
    w.Report(state);
    w.Doc->Canvas().DocAreaMouseUp(Qt::LeftButton, {}, start);
}
BENCHMARK(BM_WindowDragStep)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// A click of the tokens instrument on a place: a token added by the left
// button and taken away by the right one in turn.
void BM_WindowTokenClick(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    w.Doc->Execute(w.Doc->Commands().InstrumentGroup->actions().at(4));
    const QPoint at = w.CentreOf(w.Doc->GetNet()->Place(1));
    int step = 0;
    for (auto _ : state)
        w.Click(at, ++step % 2 ? Qt::LeftButton : Qt::RightButton);
    w.Report(state);
}
BENCHMARK(BM_WindowTokenClick)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// One mouse move of a drag of three selected nodes followed by its release,
// which shows the nodes in their new place.
void BM_WindowDragFew(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    TPetryNet &net = *w.Doc->GetNet();
    // Not the first place, which the ring's last arc joins from the far end.
    {
        const TDocForm::TRefreshBatch batch(*w.Doc);
        net.Place(1)->SetSelected(true);
        net.Transition(1)->SetSelected(true);
        net.Place(2)->SetSelected(true);
    }
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Back and forth, so the nodes stay where they are.
        const QPoint from = w.CentreOf(net.Place(1));
        const QPoint to = from + (++step % 2 ? QPoint(Cell / 4, Cell / 8) : QPoint(-Cell / 4, -Cell / 8));
        w.Doc->Canvas().DocAreaMouseDown(Qt::LeftButton, {}, from);
        w.Doc->Canvas().DocAreaMouseMove(from);
        TWindow::Settle();
        state.ResumeTiming();
        w.Doc->Canvas().DocAreaMouseMove(to);
        w.Doc->Canvas().DocAreaMouseUp(Qt::LeftButton, {}, to);
        TWindow::Settle();
    }
    w.Report(state);
}
BENCHMARK(BM_WindowDragFew)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// A bend point dragged by a quarter cell and released, right and back in
// turn: the press (with its undo snapshot), one move and the release.
void BM_WindowBendPointMove(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    TPetryNet &net = *w.Doc->GetNet();
    TArc *arc = net.Arc(0); // every fifth arc has a bend point
    int step = 0;
    for (auto _ : state) {
        const QPoint from = arc->GetPoint(0);
        const QPoint to = from + QPoint(++step % 2 ? Cell / 4 : -Cell / 4, 0);
        w.Doc->Canvas().DocAreaMouseDown(Qt::LeftButton, {}, from);
        w.Doc->Canvas().DocAreaMouseMove(from);
        w.Doc->Canvas().DocAreaMouseMove(to);
        w.Doc->Canvas().DocAreaMouseUp(Qt::LeftButton, {}, to);
        TWindow::Settle();
    }
    if (!arc->Selected)
        state.SkipWithError("the bend point was not dragged");
    w.Report(state);
}
BENCHMARK(BM_WindowBendPointMove)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// A click that fires an enabled transition in view while modelling, with
// the state tree, the marking and the canvas following it.
void BM_WindowFiring(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    TPetryNet &net = *w.Doc->GetNet();
    w.Doc->Execute(w.Doc->Commands().ActionModelingStart);
    TWindow::Settle();
    if (!net.Modelling)
        state.SkipWithError("modelling did not start");
    // Tokens run along the ring of places; the first transitions are in view
    // (the first place, joined by the ring's last arc from the far end, is left out).
    const int inView = std::min(net.TransitionCount(), 64);
    for (auto _ : state) {
        state.PauseTiming();
        TTransfer *enabled = nullptr;
        for (int round = 0; round < 2 && !enabled; ++round) {
            for (int i = 1; i < inView && !enabled; ++i)
                if (net.Transition(i)->IsEnabled())
                    enabled = net.Transition(i);
            if (!enabled) {
                net.GoToState(net.RootState.get());
                w.Doc->Canvas().RedrawCanvas();
                TWindow::Settle();
            }
        }
        state.ResumeTiming();
        if (enabled)
            w.Click(w.CentreOf(enabled));
    }
    w.Report(state);
}
BENCHMARK(BM_WindowFiring)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

namespace {

// A firing by click at the end of a run of depth states, each new: one
// transition moves a token round a loop and adds one to a counting place,
// so the state tree is one chain that grows by a state per firing.
void BM_WindowFiringChain(benchmark::State &state)
{
    TWindow w(100);
    TPetryNet &net = *w.Doc->GetNet();
    net.LoadFromBytes(TPetryNet().SaveToBytes());
    TPosition *loop = net.AddPlace(net.OriginX() + 100, net.OriginY() + 100);
    TPosition *count = net.AddPlace(net.OriginX() + 300, net.OriginY() + 100);
    TTransfer *t = net.AddTransition(net.OriginX() + 200, net.OriginY() + 200);
    loop->Tokens = 1;
    net.Arcs.append(TArc::CreateBetween(&net, loop, t));
    net.Arcs.append(TArc::CreateBetween(&net, t, loop));
    net.Arcs.append(TArc::CreateBetween(&net, t, count));
    w.Doc->Execute(w.Doc->Commands().ActionModelingStart);
    TWindow::Settle();
    for (int i = 0; i < state.range(0); ++i) {
        t->Fire();
        if (i % 64 == 0)
            TWindow::Settle();
    }
    TWindow::Settle();
    for (auto _ : state)
        w.Click(w.CentreOf(t));
    state.counters["tokens"] = count->Tokens;
    w.Report(state);
}
BENCHMARK(BM_WindowFiringChain)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
