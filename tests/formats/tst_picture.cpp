#include "GraphLayout.h"
#include "NetPicture.h"
#include "NetUnit.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Two places and a transition with tokens (drawn as text) and a bent arc.
void BuildNet(TPetryNet &net)
{
    net.SheetWidth = 400;
    net.SheetHeight = 300;
    TPosition *p = net.AddPlace(60, 60);
    p->Tokens = 12;
    TTransfer *t = net.AddTransition(200, 60);
    net.AddPlace(300, 200);
    TArc *arc = TArc::CreateBetween(&net, p, t);
    arc->AddPoint(120, 150, false);
    net.Arcs.append(arc);
    net.ClearSelection();
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPicture : public QObject
{
    Q_OBJECT

private slots:
    void exportFormats_data();
    void exportFormats();
    void documentOnlyUnlessStatesAsked();
    void refusals_data();
    void refusals();
    void paintKeepsAspect();
    void layout_data();
    void layout();
};

void TestPicture::exportFormats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("textMark"); // shows that text stayed text
    QTest::newRow("png") << "net.png" << QByteArray("\x89PNG") << QByteArray();
    QTest::newRow("svg") << "net.SVG" << QByteArray("<?xml") << QByteArray(">12</text>");
    QTest::newRow("pdf") << "net.pdf" << QByteArray("%PDF") << QByteArray("/FontFile");
}

void TestPicture::exportFormats()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, textMark);
    QTemporaryDir dir;
    TPetryNet net;
    BuildNet(net);
    const QString path = dir.filePath(file);
    QString error;
    QVERIFY2(ExportNetPicture(net, path, &error), qPrintable(error));
    const QByteArray bytes = ReadAll(path);
    QVERIFY(bytes.startsWith(start));
    if (!textMark.isEmpty())
        QVERIFY(bytes.contains(textMark));
    if (file.endsWith(u"png"))
        QCOMPARE(QImage(path).size(), QSize(400, 300));
}

void TestPicture::documentOnlyUnlessStatesAsked()
{
    QTemporaryDir dir;
    TPetryNet plain, marked;
    BuildNet(plain);
    BuildNet(marked);
    marked.StartModelling();
    marked.SelectAll();
    marked.Places.first()->Highlighted = true;
    const QString a = dir.filePath(QStringLiteral("a.png")), b = dir.filePath(QStringLiteral("b.png")),
                  c = dir.filePath(QStringLiteral("c.png"));
    QVERIFY(ExportNetPicture(plain, a));
    QVERIFY(ExportNetPicture(marked, b));
    QVERIFY(ExportNetPicture(marked, c, nullptr, true));
    QCOMPARE(QImage(b), QImage(a));
    QVERIFY(QImage(c) != QImage(a));
}

void TestPicture::refusals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("sheetWidth");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown extension") << "net.bmp" << 400 << "формат рисунка";
    QTest::newRow("PNG over 100 megapixels") << "net.png" << 400000 << "100 мегапикселей";
    QTest::newRow("folder missing") << "missing/net.svg" << 400 << "Невозможно сохранить рисунок";
}

void TestPicture::refusals()
{
    QFETCH(QString, file);
    QFETCH(int, sheetWidth);
    QFETCH(QString, message);
    QTemporaryDir dir;
    TPetryNet net;
    BuildNet(net);
    net.SheetWidth = sheetWidth;
    net.SheetHeight = 300;
    QString error;
    QVERIFY(!ExportNetPicture(net, dir.filePath(file), &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(!QFile::exists(dir.filePath(file)));
}

// Printing paints into a page of another shape: the sheet is scaled whole
// and centred, and nothing is painted beside it.
void TestPicture::paintKeepsAspect()
{
    TPetryNet net;
    BuildNet(net);
    QImage image(1000, 300, QImage::Format_RGB32);
    image.fill(Qt::green);
    {
        QPainter painter(&image);
        PaintNetSheet(net, painter, QRectF(0, 0, 1000, 300));
    }
    QCOMPARE(image.pixelColor(295, 150), QColor(Qt::green)); // left of the 400-wide sheet
    QCOMPARE(image.pixelColor(705, 150), QColor(Qt::green)); // right of it
    QCOMPARE(image.pixelColor(500, 150), QColor(Qt::white)); // on the sheet
    QCOMPARE(image.pixelColor(301, 1), QColor(212, 208, 200)); // the sheet's own border band
}

void TestPicture::layout_data()
{
    QTest::addColumn<int>("nodes");
    QTest::addColumn<QList<QPoint>>("edges");
    QTest::addColumn<bool>("leftToRight");
    QTest::newRow("empty") << 0 << QList<QPoint>{} << false;
    QTest::newRow("chain") << 4 << QList<QPoint>{{0, 1}, {1, 2}, {2, 3}} << false;
    QTest::newRow("cycle, self loop, parallel edges")
        << 3 << QList<QPoint>{{0, 1}, {1, 2}, {2, 0}, {1, 1}, {0, 1}} << false;
    QTest::newRow("left to right with labels") << 3 << QList<QPoint>{{0, 1}, {0, 2}, {2, 1}} << true;
}

void TestPicture::layout()
{
    QFETCH(int, nodes);
    QFETCH(QList<QPoint>, edges);
    QFETCH(bool, leftToRight);
    TLayoutGraph g;
    g.LeftToRight = leftToRight;
    for (int i = 0; i < nodes; ++i)
        g.Nodes.append({QSizeF(i % 2 ? 10 : 24, 24), i % 2 ? TLayoutShape::Box : TLayoutShape::Ellipse});
    for (const QPoint &e : edges)
        g.Edges.append({e.x(), e.y(), leftToRight ? QStringLiteral("t%1").arg(e.x()) : QString()});
    const TGraphLayoutResult r = LayoutGraph(g);
    QVERIFY(r.Ok);
    QCOMPARE(r.Centres.size(), nodes);
    QCOMPARE(r.Routes.size(), edges.size());
    auto box = [&](int i) {
        const QSizeF s = g.Nodes[i].Size;
        return QRectF(r.Centres[i] - QPointF(s.width() / 2, s.height() / 2), s);
    };
    const QRectF drawing(QPointF(g.Margin - 1, g.Margin - 1), r.Size - QSizeF(2 * g.Margin - 2, 2 * g.Margin - 2));
    for (int i = 0; i < nodes; ++i) {
        QVERIFY(drawing.contains(box(i)));
        for (int j = 0; j < i; ++j)
            QVERIFY(!box(i).intersects(box(j)));
    }
    for (int k = 0; k < edges.size(); ++k) {
        const QList<QPointF> &route = r.Routes[k];
        QVERIFY(route.size() >= 2);
        QVERIFY(box(edges[k].x()).adjusted(-2, -2, 2, 2).contains(route.first()));
        QVERIFY(box(edges[k].y()).adjusted(-2, -2, 2, 2).contains(route.last()));
        QCOMPARE(r.LabelCentres[k].isNull(), !leftToRight);
    }
    g.Edges.append({0, nodes, {}});
    QVERIFY(!LayoutGraph(g).Ok);
}

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
