#include "NetFixtures.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <functional>

// Pictures of places, transitions, arcs and the whole sheet, rendered into
// images and checked pixel by pixel, and the XOR feedback drawings.

namespace {

constexpr QRgb White = 0xffffffff;
constexpr QRgb Black = 0xff000000;
constexpr QRgb Grey = 0xff808080;
constexpr QRgb Blue = 0xff0000ff;
constexpr QRgb LightBlue = 0xff5eaeff;
constexpr QRgb Silver = 0xffc0c0c0;
constexpr QRgb Lime = 0xff00ff00;
constexpr QRgb Red = 0xffff0000;
constexpr QRgb LightRed = 0xffff8080;
constexpr QRgb Backdrop = 0xffc8c8c8;

// Paints onto a fresh image; text is drawn without smoothing so its pixels
// carry exactly the text colour.
QImage Paint(const std::function<void(QPainter &)> &paint, QRgb background = White, QSize size = {320, 320})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter canvas(&image);
    canvas.setRenderHint(QPainter::TextAntialiasing, false);
    paint(canvas);
    return image;
}

void PaintOnto(QImage &image, const std::function<void(QPainter &)> &paint)
{
    QPainter canvas(&image);
    paint(canvas);
}

QRect BoundsOf(const QImage &image, const std::function<bool(int, int)> &hit)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (hit(x, y))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QRect ColourBounds(const QImage &image, QRgb colour)
{
    return BoundsOf(image, [&](int x, int y) { return image.pixel(x, y) == colour; });
}

int CountColour(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

QString Hex(QRgb c)
{
    return QString::number(c, 16);
}

#define QCOMPARE_PIXEL(image, x, y, colour) \
    QVERIFY2((image).pixel((x), (y)) == (colour), \
             qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4") \
                            .arg(x).arg(y).arg(Hex((image).pixel((x), (y))), Hex(colour))))

} // namespace

class TDrawingTest : public QObject
{
    Q_OBJECT

private slots:
    void elementFontCellHeight_data();
    void elementFontCellHeight();
    void placeLook_data();
    void placeLook();
    void transitionLook_data();
    void transitionLook();
    void highlight();
    void tokenNumber_data();
    void tokenNumber();
    void arrowHead_data();
    void arrowHead();
    void noArrowHeadWhenNeighbourOnTarget();
    void selectedArcLook();
    void bendHandle();
    void multiplicityLabel_data();
    void multiplicityLabel();
    void noLabelForWeightOne();
    void sheetFrameAndClipping();
    void drawOrder();
    void outlinesTraceTheBody();
    void feedbackDrawnTwiceRestores();
    void rubberBandHead_data();
    void rubberBandHead();
    void sampleDocumentShowsEveryLook();
};

void TDrawingTest::elementFontCellHeight_data()
{
    QTest::addColumn<int>("cell");
    for (int cell : {6, 11, 12, 13, 20, 32})
        QTest::addRow("%d", cell) << cell;
}

void TDrawingTest::elementFontCellHeight()
{
    // The largest font whose cell fits: one pixel more would not.
    QFETCH(int, cell);
    QFont font = ElementFont(cell);
    QVERIFY(QFontMetrics(font).height() <= cell);
    font.setPixelSize(font.pixelSize() + 1);
    QVERIFY(QFontMetrics(font).height() > cell);
}

void TDrawingTest::placeLook_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QRgb>("body");
    QTest::addColumn<QRgb>("pen");
    QTest::newRow("plain") << false << Blue << Black;
    QTest::newRow("selected") << true << LightBlue << Grey;
}

void TDrawingTest::placeLook()
{
    QFETCH(bool, selected);
    QFETCH(QRgb, body);
    QFETCH(QRgb, pen);
    auto net = MakeNet();
    TPosition *place = net->AddPlace(100, 100);
    place->Selected = selected;
    QCOMPARE(place->NodeRect(), QRect(88, 88, 24, 24));

    const QImage image = Paint([&](QPainter &c) { place->Draw(c); });
    QCOMPARE_PIXEL(image, 100, 100, body);
    // The ellipse fills exactly the node rectangle, right and bottom excluded.
    QCOMPARE_PIXEL(image, 88, 100, pen);
    QCOMPARE_PIXEL(image, 111, 100, pen);
    QCOMPARE_PIXEL(image, 100, 88, pen);
    QCOMPARE_PIXEL(image, 100, 111, pen);
    QCOMPARE(BoundsOf(image, [&](int x, int y) { return image.pixel(x, y) != White; }), QRect(88, 88, 24, 24));
}

void TDrawingTest::transitionLook_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("modelling");
    QTest::addColumn<int>("tokens");
    QTest::addColumn<QRgb>("body");
    QTest::addColumn<QRgb>("pen");
    QTest::addColumn<bool>("marker");
    QTest::newRow("editing") << false << false << 1 << Blue << Black << false;
    QTest::newRow("editing, selected") << true << false << 1 << LightBlue << Grey << false;
    QTest::newRow("enabled") << false << true << 1 << Silver << Black << true;
    QTest::newRow("enabled, selected") << true << true << 1 << LightBlue << Grey << true;
    QTest::newRow("not enabled") << false << true << 0 << Blue << Black << false;
    QTest::newRow("not enabled, selected") << true << true << 0 << LightBlue << Grey << false;
}

void TDrawingTest::transitionLook()
{
    QFETCH(bool, selected);
    QFETCH(bool, modelling);
    QFETCH(int, tokens);
    QFETCH(QRgb, body);
    QFETCH(QRgb, pen);
    QFETCH(bool, marker);
    auto net = MakeNet();
    TPosition *place = net->AddPlace(40, 100);
    TTransfer *transition = net->AddTransition(200, 100);
    Connect(*net, place, transition);
    place->Tokens = tokens;
    transition->Selected = selected;
    net->Modelling = modelling;

    const QImage image = Paint([&](QPainter &c) { transition->Draw(c); });
    QCOMPARE(BoundsOf(image, [&](int x, int y) { return image.pixel(x, y) != White; }), QRect(195, 88, 10, 24));
    QCOMPARE_PIXEL(image, 195, 88, pen);
    QCOMPARE_PIXEL(image, 204, 111, pen);
    QCOMPARE_PIXEL(image, 196, 89, body);
    QCOMPARE_PIXEL(image, 203, 110, body);
    // The marker: a 6 by 12 triangle from (197, 90) pointing right.
    QCOMPARE(ColourBounds(image, Lime), marker ? QRect(197, 90, 7, 13) : QRect());
    QCOMPARE_PIXEL(image, 198, 96, marker ? Lime : body);
}

void TDrawingTest::highlight()
{
    auto net = MakeNet();
    TPosition *place = net->AddPlace(100, 100);
    TTransfer *transition = net->AddTransition(200, 100);
    place->Tokens = 5;
    place->Highlighted = true;
    transition->Highlighted = true;

    const QImage image = Paint([&](QPainter &c) {
        place->Draw(c);
        transition->Draw(c);
    });
    // Lime spots inset by 3 (place) and 2 (transition) pixels on every side.
    // (QPainter may leave out the ellipse's top row.)
    const QRect spot = BoundsOf(image, [&](int x, int y) { return x < 150 && image.pixel(x, y) == Lime; });
    QVERIFY(QRect(91, 91, 18, 18).contains(spot));
    QVERIFY(spot.width() >= 17 && spot.height() >= 17);
    QCOMPARE(BoundsOf(image, [&](int x, int y) { return x >= 150 && image.pixel(x, y) == Lime; }),
             QRect(197, 90, 6, 20));
    // A highlighted place hides its tokens.
    place->Tokens = 0;
    QCOMPARE(Paint([&](QPainter &c) {
                 place->Draw(c);
                 transition->Draw(c);
             }),
             image);
}

void TDrawingTest::tokenNumber_data()
{
    QTest::addColumn<int>("tokens");
    QTest::addColumn<bool>("selected");
    QTest::newRow("1") << 1 << false;
    QTest::newRow("7 selected") << 7 << true;
    QTest::newRow("12") << 12 << false;
    QTest::newRow("123 selected") << 123 << true;
    QTest::newRow("0") << 0 << false;
    QTest::newRow("negative") << -4 << false;
}

void TDrawingTest::tokenNumber()
{
    QFETCH(int, tokens);
    QFETCH(bool, selected);
    auto net = MakeNet();
    TPosition *place = net->AddPlace(100, 100);
    place->Selected = selected;
    const QImage empty = Paint([&](QPainter &c) { place->Draw(c); });
    place->Tokens = tokens;
    const QImage image = Paint([&](QPainter &c) { place->Draw(c); });

    const QRect changed = BoundsOf(image, [&](int x, int y) { return image.pixel(x, y) != empty.pixel(x, y); });
    if (tokens <= 0) {
        QVERIFY(changed.isNull());
        return;
    }
    // Centred across; its top half a text height below the node's top.
    const QFontMetrics metrics(ElementFont(12));
    const QString text = QString::number(tokens);
    const int w = metrics.horizontalAdvance(text);
    const int h = metrics.height();
    const QRect box(88 + (24 - w) / 2, 88 + h / 2, w, h);
    QVERIFY2(box.contains(changed), qPrintable(QStringLiteral("text at %1,%2 %3x%4")
                                                   .arg(changed.x()).arg(changed.y())
                                                   .arg(changed.width()).arg(changed.height())));
    // Glyphs may be smoothed: their core pixels come close to the ink colour.
    const int ink = selected ? 0 : 255;
    const QRect inked = BoundsOf(image, [&](int x, int y) {
        const QRgb c = image.pixel(x, y);
        return c != empty.pixel(x, y) && qAbs(qRed(c) - ink) < 64 && qAbs(qGreen(c) - ink) < 64
            && qAbs(qBlue(c) - ink) < 64;
    });
    QVERIFY(!inked.isNull());
    QVERIFY(box.contains(inked));
    // The very pixels of the count drawn as plain text, on a picture and
    // (a second, cached time) shifted by a translation.
    QImage expected = empty;
    PaintOnto(expected, [&](QPainter &c) {
        c.setRenderHint(QPainter::TextAntialiasing, false);
        c.fillRect(box, selected ? QColor(94, 174, 255) : QColor(0, 0, 255));
        c.setFont(ElementFont(12));
        c.setPen(selected ? Qt::black : Qt::white);
        c.drawText(box.x(), box.y() + metrics.ascent(), text);
    });
    QCOMPARE(image, expected);
    QCOMPARE(Paint([&](QPainter &c) {
                 c.translate(7, -3);
                 place->Draw(c);
             }),
             Paint([&](QPainter &c) { c.drawImage(7, -3, image); }));
}

void TDrawingTest::arrowHead_data()
{
    QTest::addColumn<bool>("fromPlace");
    QTest::addColumn<QPoint>("placeCentre");
    QTest::addColumn<QPoint>("transitionCentre");
    QTest::addColumn<QList<QPoint>>("bends");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<QPoint>("tip");
    QTest::addColumn<QPoint>("barb1");
    QTest::addColumn<QPoint>("barb2");
    const QList<QPoint> none;
    QTest::newRow("horizontal") << true << QPoint(100, 100) << QPoint(200, 100) << none << false
                                << QPoint(195, 100) << QPoint(175, 96) << QPoint(175, 104);
    QTest::newRow("inverted") << true << QPoint(100, 100) << QPoint(200, 100) << none << true
                              << QPoint(112, 100) << QPoint(132, 104) << QPoint(132, 96);
    QTest::newRow("vertical") << true << QPoint(100, 50) << QPoint(100, 150) << none << false
                              << QPoint(100, 138) << QPoint(104, 118) << QPoint(96, 118);
    // Drawn from the transition and inverted: the head sits at the start node.
    QTest::newRow("into the start node") << false << QPoint(100, 100) << QPoint(200, 100) << none << true
                                         << QPoint(195, 100) << QPoint(175, 96) << QPoint(175, 104);
    QTest::newRow("from a bend point") << true << QPoint(100, 100) << QPoint(200, 200)
                                       << QList<QPoint>{{200, 100}} << false
                                       << QPoint(200, 188) << QPoint(204, 168) << QPoint(196, 168);
}

void TDrawingTest::arrowHead()
{
    QFETCH(bool, fromPlace);
    QFETCH(QPoint, placeCentre);
    QFETCH(QPoint, transitionCentre);
    QFETCH(QList<QPoint>, bends);
    QFETCH(bool, invert);
    QFETCH(QPoint, tip);
    QFETCH(QPoint, barb1);
    QFETCH(QPoint, barb2);
    auto net = MakeNet();
    TPosition *place = net->AddPlace(placeCentre.x(), placeCentre.y());
    TTransfer *transition = net->AddTransition(transitionCentre.x(), transitionCentre.y());
    TArc *arc = fromPlace ? Connect(*net, place, transition) : Connect(*net, transition, place);
    for (const QPoint &p : bends)
        arc->BendPoints.append(p - QPoint(net->OriginX(), net->OriginY()));
    if (invert)
        arc->InvertDirection();

    const QImage image = Paint([&](QPainter &c) { arc->Draw(c); });
    QCOMPARE_PIXEL(image, tip.x(), tip.y(), Black);
    QCOMPARE_PIXEL(image, barb1.x(), barb1.y(), Black);
    QCOMPARE_PIXEL(image, barb2.x(), barb2.y(), Black);
    const QRect fill = ColourBounds(image, Red);
    QVERIFY(!fill.isNull());
    QVERIFY(QPolygon({tip, barb1, barb2}).boundingRect().contains(fill));
}

void TDrawingTest::noArrowHeadWhenNeighbourOnTarget()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(200, 100));
    arc->BendPoints.append(QPoint(200, 100) - QPoint(net->OriginX(), net->OriginY()));
    const QImage image = Paint([&](QPainter &c) { arc->Draw(c); });
    QCOMPARE(CountColour(image, Red), 0);
    QCOMPARE_PIXEL(image, 150, 100, Black);
}

void TDrawingTest::selectedArcLook()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(200, 200));
    arc->BendPoints.append(QPoint(150, 100) - QPoint(net->OriginX(), net->OriginY()));
    arc->Selected = true;
    const QImage image = Paint([&](QPainter &c) { arc->Draw(c); });
    QCOMPARE_PIXEL(image, 120, 100, Grey);
    QCOMPARE(CountColour(image, Black), 0);
    QCOMPARE(CountColour(image, Red), 0);
    QVERIFY(CountColour(image, LightRed) > 0);
    QCOMPARE(ColourBounds(image, Lime), QRect(148, 98, 4, 4));
    QCOMPARE_PIXEL(image, 147, 97, Grey);
}

void TDrawingTest::bendHandle()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(200, 200));
    arc->BendPoints.append(QPoint(150, 100) - QPoint(net->OriginX(), net->OriginY()));
    const QImage image = Paint([&](QPainter &c) { arc->Draw(c); });
    // 6 by 6 pixels from (147, 97): outline in the line's colour, lime inside.
    QCOMPARE(ColourBounds(image, Lime), QRect(148, 98, 4, 4));
    QCOMPARE(CountColour(image, Lime), 16);
    QCOMPARE_PIXEL(image, 147, 97, Black);
    QCOMPARE_PIXEL(image, 152, 97, Black);
    QCOMPARE_PIXEL(image, 147, 102, Black);
    QCOMPARE_PIXEL(image, 152, 102, Black);
    QCOMPARE_PIXEL(image, 146, 96, White);
    QCOMPARE_PIXEL(image, 153, 103, White);
}

void TDrawingTest::multiplicityLabel_data()
{
    // The text's top-left corner is K + (wFactor * W + halfW * (W div 2) + 1,
    // -H + halfH * (H div 2) + 1), with W and H the text's size.
    QTest::addColumn<QPoint>("placeCentre");
    QTest::addColumn<QPoint>("transitionCentre");
    QTest::addColumn<QPoint>("tickStart");
    QTest::addColumn<QPoint>("k");
    QTest::addColumn<int>("wFactor");
    QTest::addColumn<int>("halfW");
    QTest::addColumn<int>("halfH");
    QTest::newRow("horizontal") << QPoint(100, 100) << QPoint(200, 100) << QPoint(150, 106) << QPoint(150, 94)
                                << -1 << -1 << 0;
    QTest::newRow("vertical") << QPoint(100, 50) << QPoint(100, 150) << QPoint(106, 100) << QPoint(94, 100)
                              << -1 << 0 << 1;
    QTest::newRow("falling") << QPoint(100, 100) << QPoint(200, 150) << QPoint(147, 130) << QPoint(153, 120)
                             << 0 << -1 << 0;
    QTest::newRow("rising") << QPoint(100, 150) << QPoint(200, 100) << QPoint(153, 130) << QPoint(147, 120)
                            << -1 << 1 << 0;
}

void TDrawingTest::multiplicityLabel()
{
    QFETCH(QPoint, placeCentre);
    QFETCH(QPoint, transitionCentre);
    QFETCH(QPoint, tickStart);
    QFETCH(QPoint, k);
    QFETCH(int, wFactor);
    QFETCH(int, halfW);
    QFETCH(int, halfH);
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(placeCentre.x(), placeCentre.y()),
                        net->AddTransition(transitionCentre.x(), transitionCentre.y()));
    arc->Multiplicity = 12;

    const QImage image = Paint([&](QPainter &c) { arc->Draw(c); }, Backdrop);
    // The label's box may cover the tick's end K, never its start.
    QCOMPARE_PIXEL(image, tickStart.x(), tickStart.y(), Black);
    const QFontMetrics metrics(ElementFont(12));
    const int w = metrics.horizontalAdvance(QStringLiteral("12"));
    const int h = metrics.height();
    const QRect box(k.x() + wFactor * w + halfW * (w / 2) + 1, k.y() - h + halfH * (h / 2) + 1, w, h);
    QCOMPARE(ColourBounds(image, White), box);
    QVERIFY(CountColour(image, Black) > (tickStart - k).manhattanLength() + 1 + 20);
}

void TDrawingTest::noLabelForWeightOne()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(200, 100));
    const QImage image = Paint([&](QPainter &c) { arc->Draw(c); }, Backdrop);
    QCOMPARE(CountColour(image, White), 0);
    QCOMPARE_PIXEL(image, 150, 94, Backdrop);
    QCOMPARE_PIXEL(image, 150, 106, Backdrop);
}

void TDrawingTest::sheetFrameAndClipping()
{
    auto net = MakeNet();
    net->SheetLeft = 10;
    net->SheetTop = 20;
    net->SheetWidth = 300;
    net->SheetHeight = 200; // inner sheet (14, 24) to (305, 215)
    TPosition *place = net->AddPlace(20, 100);
    net->ClearSelection();
    QCOMPARE(place->NodeRect().left(), 8);

    const QImage full = Paint([&](QPainter &c) { net->Draw(c, false); }, Backdrop);
    QCOMPARE_PIXEL(full, 14, 24, Black);
    QCOMPARE_PIXEL(full, 304, 214, Black);
    QCOMPARE_PIXEL(full, 14, 214, Black);
    QCOMPARE_PIXEL(full, 305, 100, Backdrop);
    QCOMPARE_PIXEL(full, 100, 215, Backdrop);
    QCOMPARE_PIXEL(full, 15, 25, White);
    // The place is cut at the frame.
    QCOMPARE_PIXEL(full, 14, 100, Black);
    QCOMPARE_PIXEL(full, 13, 100, Backdrop);
    QCOMPARE_PIXEL(full, 15, 100, Blue);

    const QImage elements = Paint([&](QPainter &c) { net->Draw(c, true); }, Backdrop);
    QCOMPARE_PIXEL(elements, 14, 100, Backdrop);
    QCOMPARE_PIXEL(elements, 15, 100, Blue);
    QCOMPARE_PIXEL(elements, 200, 100, Backdrop);
}

void TDrawingTest::drawOrder()
{
    // Arcs under places under transitions, whatever the list order.
    auto net = MakeNet();
    TTransfer *transition = net->AddTransition(150, 100);
    TPosition *left = net->AddPlace(60, 100);
    TPosition *under = net->AddPlace(150, 100);
    Connect(*net, left, transition);
    net->ClearSelection();
    under->Selected = true;

    const QImage image = Paint([&](QPainter &c) { net->Draw(c, false); });
    QCOMPARE_PIXEL(image, 150, 100, Blue);
    QCOMPARE_PIXEL(image, 141, 100, LightBlue);
    QCOMPARE_PIXEL(image, 100, 100, Black);
}

void TDrawingTest::outlinesTraceTheBody()
{
    // Each outline pixel is inverted once: on white the XOR outline is exactly
    // the border of the body picture.
    auto net = MakeNet();
    TPosition *place = net->AddPlace(100, 100);
    TTransfer *transition = net->AddTransition(200, 100);
    net->ClearSelection();
    const QImage bodies = Paint([&](QPainter &c) {
        place->Draw(c);
        transition->Draw(c);
    });
    const QImage outlines = Paint([&](QPainter &c) {
        place->DrawOutline(c);
        transition->DrawOutline(c);
    });
    QCOMPARE(CountColour(outlines, Black), CountColour(bodies, Black));
    QCOMPARE(ColourBounds(outlines, Black), ColourBounds(bodies, Black));
    QCOMPARE_PIXEL(outlines, 100, 100, White);
    QCOMPARE_PIXEL(outlines, 200, 100, White);
}

void TDrawingTest::feedbackDrawnTwiceRestores()
{
    auto net = MakeNet();
    TPosition *p1 = net->AddPlace(60, 60);
    TPosition *p2 = net->AddPlace(60, 220);
    TTransfer *t1 = net->AddTransition(220, 60);
    TTransfer *t2 = net->AddTransition(220, 220);
    TArc *both = Connect(*net, p1, t1);
    both->BendPoints = {{140, 20}, {150, 90}};
    TArc *startOnly = Connect(*net, p1, t2);
    startOnly->BendPoints = {{100, 150}, {180, 170}};
    TArc *endOnly = Connect(*net, t2, p1);
    endOnly->BendPoints = {{240, 140}};
    TArc *neither = Connect(*net, p2, t2);
    neither->BendPoints = {{140, 260}};
    neither->Multiplicity = 3;
    p1->Tokens = 4;
    net->ClearSelection();
    p1->Selected = true;
    t1->Selected = true;
    const QImage background = Paint([&](QPainter &c) { net->Draw(c, false); });

    struct TCase
    {
        const char *Name;
        std::function<void(QPainter &)> Paint;
        bool Visible = true;
    };
    const QList<TCase> cases = {
        {"place outline", [&](QPainter &c) { p2->DrawOutline(c); }},
        {"transition outline", [&](QPainter &c) { t2->DrawOutline(c); }},
        {"arc with both ends dragged", [&](QPainter &c) { both->DrawDragFeedback(7, -3, false, c); }},
        {"arc with its start dragged", [&](QPainter &c) { startOnly->DrawDragFeedback(0, 0, false, c); }},
        {"arc with its end dragged", [&](QPainter &c) { endOnly->DrawDragFeedback(0, 0, false, c); }},
        {"arc with no end dragged", [&](QPainter &c) { neither->DrawDragFeedback(0, 0, false, c); }, false},
        {"first bend point", [&](QPainter &c) { startOnly->DrawPointDragFeedback(0, 0, 0, false, c); }},
        {"last bend point", [&](QPainter &c) { startOnly->DrawPointDragFeedback(1, 0, 0, false, c); }},
        {"only bend point", [&](QPainter &c) { endOnly->DrawPointDragFeedback(0, 0, 0, false, c); }},
        {"all drag feedback", [&](QPainter &c) {
             for (TArc *arc : net->Arcs)
                 arc->DrawDragFeedback(0, 0, false, c);
             p1->DrawOutline(c);
             t1->DrawOutline(c);
         }},
    };
    for (const TCase &test : cases) {
        QImage image = background;
        {
            // Later painting must not invert: the mode is restored.
            QPainter canvas(&image);
            test.Paint(canvas);
            QVERIFY2(canvas.compositionMode() == QPainter::CompositionMode_SourceOver, test.Name);
        }
        QVERIFY2((image != background) == test.Visible, test.Name);
        PaintOnto(image, test.Paint);
        QVERIFY2(image == background, test.Name);
    }

    const QList<std::pair<TStaticNetElement *, TRubberLine>> bands = {
        {nullptr, {60, 60, 130, 150}},
        {nullptr, {60, 60, 10, 300}},
        {t2, {60, 60, 220, 220}},
        {p2, {220, 60, 60, 220}},
        {nullptr, {60, 60, 60, 200}}, // vertical
        {t1, {220, 60, 220, 60}},     // length 0
        {nullptr, {300, 300, 400, 400}}, // partly off the canvas
    };
    for (const auto &[target, line] : bands) {
        QImage image = background;
        {
            QPainter canvas(&image);
            net->DrawRubberArc(canvas, line, target);
            QCOMPARE(canvas.compositionMode(), QPainter::CompositionMode_SourceOver);
        }
        QVERIFY(image != background);
        PaintOnto(image, [&](QPainter &c) { net->DrawRubberArc(c, line, target); });
        QVERIFY2(image == background, qPrintable(QStringLiteral("band %1,%2 to %3,%4")
                                                     .arg(line.X1).arg(line.Y1).arg(line.X2).arg(line.Y2)));
    }
}

void TDrawingTest::rubberBandHead_data()
{
    QTest::addColumn<int>("targetKind");
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<QPoint>("tip");
    QTest::addColumn<QPoint>("wing1");
    QTest::addColumn<QPoint>("wing2");
    QTest::newRow("at the mouse") << 0 << QPoint(200, 100) << QPoint(200, 100) << QPoint(180, 96) << QPoint(180, 104);
    QTest::newRow("on a place") << 1 << QPoint(200, 100) << QPoint(188, 100) << QPoint(168, 96) << QPoint(168, 104);
    QTest::newRow("on a transition") << 2 << QPoint(200, 100) << QPoint(195, 100) << QPoint(175, 96)
                                     << QPoint(175, 104);
    QTest::newRow("leftwards on a place") << 1 << QPoint(20, 100) << QPoint(32, 100) << QPoint(52, 104)
                                          << QPoint(52, 96);
}

void TDrawingTest::rubberBandHead()
{
    QFETCH(int, targetKind);
    QFETCH(QPoint, end);
    QFETCH(QPoint, tip);
    QFETCH(QPoint, wing1);
    QFETCH(QPoint, wing2);
    auto net = MakeNet();
    TStaticNetElement *target = nullptr;
    if (targetKind == KindPlace)
        target = net->AddPlace(end.x(), end.y());
    else if (targetKind == KindTransition)
        target = net->AddTransition(end.x(), end.y());
    const TRubberLine band{100, 100, end.x(), end.y()};

    const QImage image = Paint([&](QPainter &c) { net->DrawRubberArc(c, band, target); });
    // The head is solid: its outline, fill and the line under it are inverted once.
    const QPolygon head({tip, wing1, wing2});
    for (int y = 80; y < 120; ++y)
        for (int x = 0; x < 320; ++x)
            if (head.containsPoint(QPoint(x, y), Qt::OddEvenFill))
                QCOMPARE_PIXEL(image, x, y, Black);
    QCOMPARE_PIXEL(image, tip.x(), tip.y(), Black);
    QCOMPARE_PIXEL(image, wing1.x(), wing1.y(), Black);
    QCOMPARE_PIXEL(image, wing2.x(), wing2.y(), Black);
    QCOMPARE_PIXEL(image, (100 + end.x()) / 2, 100, Black);
    QCOMPARE_PIXEL(image, (100 + end.x()) / 2, 98, White);
    // The line itself runs on to the target's centre.
    QCOMPARE_PIXEL(image, end.x(), end.y(), Black);

    const QImage vertical = Paint([&](QPainter &c) { net->DrawRubberArc(c, {100, 40, 100, 140}, nullptr); });
    QCOMPARE(ColourBounds(vertical, Black), QRect(100, 40, 1, 101));
}

void TDrawingTest::sampleDocumentShowsEveryLook()
{
    const QString path = QFINDTESTDATA("../data/sample.qvx");
    QVERIFY(!path.isEmpty());
    auto net = MakeNet();
    net->FileName = path;
    QVERIFY(net->LoadFromFile());
    net->StartModelling();
    QVERIFY(net->Modelling);
    net->Place(1)->Selected = true;
    net->Transition(1)->Selected = true;
    net->Arc(1)->Selected = true;
    net->Places.last()->Highlighted = true;

    const QImage image = Paint([&](QPainter &c) { net->Draw(c, false); }, Backdrop, {720, 520});
    for (QRgb colour : {Blue, LightBlue, Silver, Lime, Red, LightRed, Grey, White, Black})
        QVERIFY2(CountColour(image, colour) > 0, qPrintable(Hex(colour)));
}

QTEST_MAIN(TDrawingTest)
#include "tst_drawing.moc"
