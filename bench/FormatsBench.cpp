// Benchmarks of the interchange formats: PNML export and import of generated
// nets of 1,000 to 1,000,000 elements, and the automatic layout of nets that
// carry no positions.

#include "BenchNets.h"
#include "NetUnit.h"
#include "Pnml.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <memory>

namespace {

void SizeArgs(benchmark::internal::Benchmark *b)
{
    for (int n : {1000, 10000, 100000})
        b->Arg(n);
}

// The document of a net of 1,000,000 elements (163 MB) is larger than import
// accepts, so import stops at 500,000 (82 MB).
void ExportSizeArgs(benchmark::internal::Benchmark *b)
{
    SizeArgs(b);
    b->Arg(1000000);
}

void ImportSizeArgs(benchmark::internal::Benchmark *b)
{
    SizeArgs(b);
    b->Arg(500000);
}

void BM_PnmlExport(benchmark::State &state)
{
    auto net = BuildNet(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray doc = ExportPnml(*net);
        bytes = doc.size();
        benchmark::DoNotOptimize(doc.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_PnmlExport)->Apply(ExportSizeArgs)->Unit(benchmark::kMillisecond);

void BM_PnmlImport(benchmark::State &state)
{
    const QByteArray doc = ExportPnml(*BuildNet(int(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        auto net = std::make_unique<TPetryNet>();
        state.ResumeTiming();
        if (!ImportPnml(doc, *net))
            state.SkipWithError("document refused");
        state.PauseTiming();
        net.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * doc.size());
    state.counters["bytes"] = double(doc.size());
}
BENCHMARK(BM_PnmlImport)->Apply(ImportSizeArgs)->Unit(benchmark::kMillisecond);

// Qt's XML reader alone on the same documents, fed from a plain buffer. Import
// feeds it through a device that spares it a fresh allocation per element
// (PnmlSource.h), so import may read faster than this.
void BM_XmlTokenise(benchmark::State &state)
{
    const QByteArray doc = ExportPnml(*BuildNet(int(state.range(0))));
    for (auto _ : state) {
        QBuffer buffer;
        buffer.setData(doc);
        buffer.open(QIODevice::ReadOnly);
        QXmlStreamReader xml(&buffer);
        while (!xml.atEnd())
            xml.readNext();
        if (xml.hasError())
            state.SkipWithError("malformed");
    }
    state.SetBytesProcessed(state.iterations() * doc.size());
}
BENCHMARK(BM_XmlTokenise)->Apply(SizeArgs)->Unit(benchmark::kMillisecond);

// A foreign document of the generated net with every position removed (and
// this program's own block, which carries the sheet), so importing it lays
// the whole net out. range(0) is the number of nodes.
void BM_PnmlImportWithLayout(benchmark::State &state)
{
    QString doc = QString::fromUtf8(ExportPnml(*BuildNet(int(state.range(0)) * 2)));
    doc.remove(QRegularExpression(QStringLiteral("<graphics>.*?</graphics>|<toolspecific.*?</toolspecific>"),
                                  QRegularExpression::DotMatchesEverythingOption));
    const QByteArray bytes = doc.toUtf8();
    for (auto _ : state) {
        TPetryNet net;
        bool laidOut = false;
        if (!ImportPnml(bytes, net, nullptr, &laidOut) || !laidOut)
            state.SkipWithError("not laid out");
    }
}
BENCHMARK(BM_PnmlImportWithLayout)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
