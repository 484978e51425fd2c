// The selection in the document window over generated nets: a rubber band
// over a tenth of the sheet, answered as the release of the band answers it
// (one selection batch, then the canvas), and the click on empty canvas that
// cancels a selection of that size. Shown offscreen with a 1920 × 1080
// canvas, like the window benchmarks.

#include "BenchNets.h"
#include "NetUnit.h"
#include "app/MainUnit.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

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

struct TWindow
{
    explicit TWindow(int n)
        : Shell(std::make_unique<TSilentPrompter>())
    {
        Shell.OnEnd = [] {};
        Doc = Shell.DocumentAt(0);
        Doc->show();
        QApplication::processEvents();
        Doc->resize(Doc->size() + QSize(1920, 1080) - Doc->Canvas().Area()->size());
        QApplication::processEvents();
        Doc->GetNet()->LoadFromBytes(BuildNet(n)->SaveToBytes());
        Doc->Canvas().LayoutSheet(Doc->Canvas().Area()->width(), Doc->Canvas().Area()->height());
        QApplication::processEvents();
    }

    void SelectInBand(const TSides &band)
    {
        {
            const TDocForm::TRefreshBatch batch(*Doc);
            Doc->GetNet()->SelectInRect(band);
        }
        Doc->Canvas().RepaintCanvas();
        QApplication::processEvents();
    }

    void CancelSelection()
    {
        {
            const TDocForm::TRefreshBatch batch(*Doc);
            Doc->GetNet()->CancelSelection();
        }
        Doc->Canvas().RepaintCanvas();
        QApplication::processEvents();
    }

    TSides Tenth() const
    {
        const TPetryNet &net = *Doc->GetNet();
        return {net.OriginX(), net.OriginY(), net.OriginX() + net.SheetWidth / 10, net.MaxY()};
    }

    TAppMainForm Shell;
    TDocForm *Doc = nullptr;
};

void SizeArgs(benchmark::internal::Benchmark *b)
{
    for (int n : {1000, 100000, 1000000})
        b->Arg(n);
}

void BM_WindowSelectInRectTenth(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w.CancelSelection();
        state.ResumeTiming();
        w.SelectInBand(w.Tenth());
    }
    state.counters["selected"] = w.Doc->GetNet()->SelectedCount();
}
BENCHMARK(BM_WindowSelectInRectTenth)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

void BM_WindowCancelTenth(benchmark::State &state)
{
    TWindow w(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w.SelectInBand(w.Tenth());
        state.ResumeTiming();
        w.CancelSelection();
    }
}
BENCHMARK(BM_WindowCancelTenth)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

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
