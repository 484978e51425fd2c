// Writes the seed corpora of the fuzz targets:
//   fuzz_make_corpus <dir>   fills <dir>/fuzz_load_document and <dir>/fuzz_paste_clipboard
// Documents and clipboard streams of every shape the editor makes, and a few
// damaged ones, so the fuzzer starts from inputs that get past the headers.

#include "NetUnit.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <functional>
#include <limits>
#include <memory>

namespace {

std::unique_ptr<TPetryNet> NewNet()
{
    auto net = std::make_unique<TPetryNet>();
    net->SheetWidth = 710;
    net->SheetHeight = 510;
    return net;
}

TArc *Connect(TPetryNet &net, TStaticNetElement *from, TStaticNetElement *to, qint32 multiplicity = 1)
{
    TArc *arc = TArc::CreateBetween(&net, from, to);
    arc->Multiplicity = multiplicity;
    net.Arcs.append(arc);
    return arc;
}

void RandomNet(TPetryNet &net, quint32 seed, int places, int transitions, int arcs)
{
    QRandomGenerator rng(seed);
    for (int i = 0; i < places; ++i)
        net.AddPlace(20 + rng.bounded(660), 20 + rng.bounded(460))->Tokens = rng.bounded(4);
    for (int i = 0; i < transitions; ++i)
        net.AddTransition(20 + rng.bounded(660), 20 + rng.bounded(460));
    for (int i = 0; i < arcs; ++i) {
        TStaticNetElement *p = net.Places[rng.bounded(places)];
        TStaticNetElement *t = net.Transitions[rng.bounded(transitions)];
        const bool fromPlace = rng.bounded(2) == 0;
        TStaticNetElement *from = fromPlace ? p : t, *to = fromPlace ? t : p;
        bool duplicate = false;
        for (const TArc *a : from->ArcList)
            duplicate |= a->Joins(from, to) && a->TransitionToPlace == !fromPlace;
        if (duplicate)
            continue;
        TArc *arc = Connect(net, from, to, 1 + rng.bounded(3));
        for (int k = rng.bounded(3); k > 0; --k)
            arc->BendPoints.append(QPoint(rng.bounded(700), rng.bounded(500)));
    }
    net.CancelSelection();
}

// Producer and consumer around a buffer: two transitions enabled at the start.
void ProducerConsumer(TPetryNet &net)
{
    TPosition *ready = net.AddPlace(60, 100);
    ready->Tokens = 1;
    TTransfer *produce = net.AddTransition(160, 100);
    TPosition *buffer = net.AddPlace(260, 100);
    buffer->Tokens = 2;
    TTransfer *consume = net.AddTransition(360, 100);
    TPosition *done = net.AddPlace(460, 100);
    Connect(net, ready, produce);
    Connect(net, produce, ready)->BendPoints = {QPoint(100, 40), QPoint(150, 40)};
    Connect(net, produce, buffer);
    Connect(net, buffer, consume, 2);
    Connect(net, consume, done, 3);
    net.CancelSelection();
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QByteArray Document(const std::function<void(TPetryNet &)> &build)
{
    auto net = NewNet();
    build(*net);
    return net->SaveToBytes();
}

// The clipboard stream of a copy of what select leaves selected.
QByteArray Clipboard(const std::function<void(TPetryNet &)> &build,
                     const std::function<void(TPetryNet &)> &select)
{
    auto net = NewNet();
    build(*net);
    net->ClearSelection();
    select(*net);
    NetClipboard.Clear();
    net->CopySelection();
    return NetClipboard.IsEmpty() ? QByteArray() : NetClipboard.GetData()->Data();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: fuzz_make_corpus <dir>\n", stderr);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString docs = root.filePath(QStringLiteral("fuzz_load_document"));
    const QString clips = root.filePath(QStringLiteral("fuzz_paste_clipboard"));
    if (!QDir().mkpath(docs) || !QDir().mkpath(clips))
        return 1;
    bool ok = true;
    auto doc = [&](const char *name, const QByteArray &bytes) {
        ok &= Write(docs + QLatin1Char('/') + QLatin1StringView(name) + QStringLiteral(".qvx"), bytes);
    };
    auto clip = [&](const char *name, const QByteArray &bytes) {
        ok &= Write(clips + QLatin1Char('/') + QLatin1StringView(name) + QStringLiteral(".clip"), bytes);
    };

    // Documents.
    doc("empty", Document([](TPetryNet &) {}));
    doc("place", Document([](TPetryNet &n) { n.AddPlace(100, 100)->Tokens = 1; }));
    doc("transition", Document([](TPetryNet &n) { n.AddTransition(100, 100); }));
    doc("arc-to-transition", Document([](TPetryNet &n) {
        Connect(n, n.AddPlace(100, 100), n.AddTransition(200, 100));
        n.Place(0)->Tokens = 1;
    }));
    doc("arc-to-place", Document([](TPetryNet &n) { Connect(n, n.AddTransition(100, 100), n.AddPlace(200, 100)); }));
    doc("self-loop", Document([](TPetryNet &n) {
        TPosition *p = n.AddPlace(100, 100);
        TTransfer *t = n.AddTransition(200, 100);
        p->Tokens = 1;
        Connect(n, p, t);
        Connect(n, t, p)->BendPoints = {QPoint(150, 30)};
    }));
    doc("bend-points", Document([](TPetryNet &n) {
        TArc *a = Connect(n, n.AddPlace(100, 100), n.AddTransition(400, 300));
        a->BendPoints = {QPoint(50, 300), QPoint(200, 20), QPoint(390, 10), QPoint(0, 0)};
    }));
    doc("texts", Document([](TPetryNet &n) {
        n.NetName = QStringLiteral("Обедающие философы");
        n.Author = QStringLiteral("Студентка группы ИВТ-21");
        n.Description = QStringLiteral("Пять философов,\r\nпять вилок.");
        TPosition *p = n.AddPlace(100, 100);
        p->Name = QStringLiteral("Вилка");
        p->HasDescription = true;
        p->Description = QStringLiteral("лежит на столе");
        TTransfer *t = n.AddTransition(200, 100);
        t->Name = QStringLiteral("Взять");
        Connect(n, p, t)->Name = QStringLiteral("Дуга ёЁ№");
    }));
    doc("sizes", Document([](TPetryNet &n) {
        n.SheetWidth = 2000;
        n.SheetHeight = 1500;
        n.PlaceWidth = n.PlaceHeight = 40;
        n.TransitionWidth = 6;
        n.TransitionHeight = 50;
        Connect(n, n.AddPlace(1500, 1200), n.AddTransition(1800, 1300));
    }));
    doc("extreme-numbers", Document([](TPetryNet &n) {
        TPosition *full = n.AddPlace(100, 100);
        full->Tokens = std::numeric_limits<qint32>::max();
        TPosition *negative = n.AddPlace(100, 200);
        negative->Tokens = -5;
        TTransfer *t = n.AddTransition(200, 150);
        Connect(n, negative, t, 0);
        Connect(n, t, full, 1);
        TTransfer *u = n.AddTransition(300, 150);
        Connect(n, full, u, std::numeric_limits<qint32>::max());
        Connect(n, u, negative, -3);
    }));
    doc("producer-consumer", Document(ProducerConsumer));
    for (quint32 seed = 1; seed <= 4; ++seed)
        doc(qPrintable(QStringLiteral("random-%1").arg(seed)),
            Document([seed](TPetryNet &n) { RandomNet(n, seed, 3 + int(seed), 2 + int(seed), 4 * int(seed)); }));

    // Damaged documents.
    const QByteArray good = Document(ProducerConsumer);
    doc("damaged-truncated", good.left(good.size() / 2));
    doc("damaged-magic", QByteArray(good).replace(0, 1, "?"));
    QByteArray badIndex = Document([](TPetryNet &n) { Connect(n, n.AddPlace(100, 100), n.AddTransition(200, 100)); });
    badIndex[badIndex.size() - 4 - 4 - 1 - 4] = 9; // start index of the only arc
    doc("damaged-arc-index", badIndex);
    QByteArray badFlag = Document([](TPetryNet &n) { Connect(n, n.AddPlace(100, 100), n.AddTransition(200, 100)); });
    badFlag[badFlag.size() - 4 - 5 - 5 - 4 - 1] = 2; // the arc's direction Boolean
    doc("damaged-boolean", badFlag);

    // Clipboard streams.
    auto all = [](TPetryNet &n) { n.SelectAll(); };
    clip("place", Clipboard([](TPetryNet &n) { n.AddPlace(100, 100)->Tokens = 3; }, all));
    clip("transition", Clipboard([](TPetryNet &n) { n.AddTransition(100, 100); }, all));
    clip("arc-with-bends", Clipboard([](TPetryNet &n) {
        TArc *a = Connect(n, n.AddPlace(100, 100), n.AddTransition(300, 200), 2);
        a->BendPoints = {QPoint(10, 400), QPoint(600, 20)};
    }, all));
    clip("producer-consumer", Clipboard(ProducerConsumer, all));
    clip("part-of-net", Clipboard(ProducerConsumer, [](TPetryNet &n) {
        n.Place(1)->Selected = n.Transition(1)->Selected = n.Place(2)->Selected = true;
        for (TArc *a : n.Arcs)
            a->Selected = true;
    }));
    clip("texts", Clipboard([](TPetryNet &n) {
        TPosition *p = n.AddPlace(100, 100);
        p->Name = QStringLiteral("Буфер");
        p->HasDescription = true;
        p->Description = QStringLiteral("ёмкость 3");
    }, all));
    clip("random", Clipboard([](TPetryNet &n) { RandomNet(n, 9, 6, 5, 14); }, all));

    // Damaged clipboard streams.
    const QByteArray whole = Clipboard(ProducerConsumer, all);
    clip("damaged-truncated", whole.left(whole.size() - 3));
    clip("damaged-origin-only", whole.left(8));
    QByteArray badEnd = Clipboard([](TPetryNet &n) { Connect(n, n.AddPlace(100, 100), n.AddTransition(200, 100)); }, all);
    badEnd[badEnd.size() - 4 - 4] = 5; // end index of the only arc
    clip("damaged-arc-end", badEnd);
    return ok ? 0 : 1;
}
