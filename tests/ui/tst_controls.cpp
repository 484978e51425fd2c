#include "controls/ColorMap.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

class TControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void luminanceSteps_data();
    void luminanceSteps();
    void hlsRoundTrip();
    void windowColorMaps();
    void arrowCorners_data();
    void arrowCorners();
    void crossIsTwoPixelDiagonals();
    void clickOnRelease_data();
    void clickOnRelease();
    void leavingCancelsThePress();
    void hoverLook();
    void closeButtonWithoutInactiveFrame();
    void focusControlGetsFocusAndFramedLook();
    void ownColorMapWhenNoneAssigned();
    void panelPaintHandlerReplacesPainting();
    void panelWithoutErasing();

private:
    static QImage Render(QWidget &w)
    {
        return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static void Press(TGKSpeedButton &b, QPoint p)
    {
        QMouseEvent e(QEvent::MouseButtonPress, p, b.mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(&b, &e);
    }
    static void Release(TGKSpeedButton &b, QPoint p)
    {
        QMouseEvent e(QEvent::MouseButtonRelease, p, b.mapToGlobal(p), Qt::LeftButton, Qt::NoButton, {});
        QApplication::sendEvent(&b, &e);
    }
    static void Enter(TGKSpeedButton &b)
    {
        QEnterEvent e(QPointF(1, 1), QPointF(1, 1), b.mapToGlobal(QPointF(1, 1)));
        QApplication::sendEvent(&b, &e);
    }
    static void Leave(TGKSpeedButton &b)
    {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(&b, &e);
    }
};

void TControlsTest::luminanceSteps_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QColor>("expected");
    // Greys: L = ((2v) * 240 + 255) / 510, back as L * 255 / 240.
    QTest::newRow("grey up 10") << QColor(128, 128, 128) << 10 << QColor(138, 138, 138);
    QTest::newRow("grey down 10") << QColor(128, 128, 128) << -10 << QColor(116, 116, 116);
    QTest::newRow("white clamps") << QColor(255, 255, 255) << 30 << QColor(255, 255, 255);
    QTest::newRow("black clamps") << QColor(0, 0, 0) << -5 << QColor(0, 0, 0);
    QTest::newRow("white to black") << QColor(255, 255, 255) << -240 << QColor(0, 0, 0);
    QTest::newRow("pure red lighter") << QColor(255, 0, 0) << 60 << QColor(255, 128, 128);
    QTest::newRow("pure red darker") << QColor(255, 0, 0) << -60 << QColor(128, 0, 0);
}

void TControlsTest::luminanceSteps()
{
    QFETCH(QColor, color);
    QFETCH(int, steps);
    QFETCH(QColor, expected);
    const QColor got = steps >= 0 ? lighten(color, steps) : darken(color, -steps);
    QCOMPARE(got.rgb(), expected.rgb());
}

void TControlsTest::hlsRoundTrip()
{
    // Hue and saturation survive a luminance change of zero steps within rounding.
    for (const QColor c : {QColor(10, 36, 106), QColor(182, 189, 210), QColor(212, 208, 200), QColor(0, 128, 64)}) {
        const QColor back = lighten(c, 0);
        QVERIFY2(qAbs(back.red() - c.red()) <= 2 && qAbs(back.green() - c.green()) <= 2 &&
                     qAbs(back.blue() - c.blue()) <= 2,
                 qPrintable(c.name() + QStringLiteral(" -> ") + back.name()));
    }
    QCOMPARE(ColorToHls(QColor(255, 0, 0)), (THls{0, 120, 240}));
    QCOMPARE(ColorToHls(QColor(0, 0, 255)), (THls{160, 120, 240}));
}

void TControlsTest::windowColorMaps()
{
    const TWindowColorMaps maps = MakeWindowColorMaps();
    QCOMPARE(maps.XPColorMap.Color, lighten(ButtonFaceColor(), 5));
    QCOMPARE(maps.XPColorMap.BtnFrameColor, QColor(10, 36, 106));
    QCOMPARE(maps.XPColorMap.SelectedColor, QColor(182, 189, 210));
    QCOMPARE(maps.XPColorMap.UnusedColor, darken(maps.XPColorMap.Color, 10));
    QCOMPARE(maps.LPXPColorMap.Color, lighten(maps.XPColorMap.Color, 30));
    QCOMPARE(maps.LPXPColorMap.BtnFrameColor, maps.XPColorMap.BtnFrameColor);
    QCOMPARE(maps.LPXPColorMap.SelectedColor, maps.XPColorMap.SelectedColor);
}

void TControlsTest::arrowCorners_data()
{
    QTest::addColumn<int>("glyph");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPolygon>("corners");
    QTest::newRow("counter up 16x9") << int(TGKGlyph::UpArrow) << QSize(16, 9)
                                     << QPolygon({QPoint(3, 6), QPoint(7, 2), QPoint(11, 6)});
    QTest::newRow("counter down 16x9") << int(TGKGlyph::DownArrow) << QSize(16, 9)
                                       << QPolygon({QPoint(3, 2), QPoint(7, 6), QPoint(11, 2)});
    QTest::newRow("left 14x14") << int(TGKGlyph::LeftArrow) << QSize(14, 14)
                                << QPolygon({QPoint(8, 3), QPoint(4, 7), QPoint(8, 11)});
    QTest::newRow("right 20x20") << int(TGKGlyph::RightArrow) << QSize(20, 20)
                                 << QPolygon({QPoint(7, 6), QPoint(11, 10), QPoint(7, 14)});
}

void TControlsTest::arrowCorners()
{
    QFETCH(int, glyph);
    QFETCH(QSize, size);
    QFETCH(QPolygon, corners);
    QCOMPARE(TGKSpeedButton::ArrowPolygon(TGKGlyph(glyph), size), corners);
}

void TControlsTest::crossIsTwoPixelDiagonals()
{
    // 20 x 20: x0 = y0 = 6; each line leaves out its end point.
    const QList<QPoint> pixels = TGKSpeedButton::CrossPixels(QSize(20, 20));
    QCOMPARE(pixels.size(), 28);
    QVERIFY(pixels.contains(QPoint(6, 7)));
    QVERIFY(pixels.contains(QPoint(12, 13)));
    QVERIFY(!pixels.contains(QPoint(13, 14)));
    QVERIFY(pixels.contains(QPoint(13, 7)));
    QVERIFY(pixels.contains(QPoint(6, 13)));
    QVERIFY(!pixels.contains(QPoint(5, 14)));
}

void TControlsTest::clickOnRelease_data()
{
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<int>("clicks");
    QTest::newRow("inside") << QPoint(5, 5) << 1;
    QTest::newRow("one pixel below") << QPoint(5, 20) << 1;
    QTest::newRow("two pixels below") << QPoint(5, 21) << 0;
    QTest::newRow("one pixel right") << QPoint(20, 5) << 0;
    QTest::newRow("left of it") << QPoint(-1, 5) << 0;
}

void TControlsTest::clickOnRelease()
{
    QFETCH(QPoint, release);
    QFETCH(int, clicks);
    TGKSpeedButton b;
    QCOMPARE(b.size(), QSize(20, 20));
    QSignalSpy spy(&b, &TGKSpeedButton::Click);
    Enter(b);
    Press(b, QPoint(5, 5));
    QVERIFY(b.Down());
    Release(b, release);
    QCOMPARE(spy.count(), clicks);
    QVERIFY(!b.IsPressed());
}

void TControlsTest::leavingCancelsThePress()
{
    TGKSpeedButton b;
    QSignalSpy clicks(&b, &TGKSpeedButton::Click);
    QSignalSpy exits(&b, &TGKSpeedButton::MouseExit);
    Enter(b);
    Press(b, QPoint(5, 5));
    Leave(b);
    QCOMPARE(exits.count(), 1);
    QVERIFY(!b.IsPressed());
    Release(b, QPoint(5, 5));
    QCOMPARE(clicks.count(), 0);

    // Moving out with the button held counts as leaving too.
    Enter(b);
    Press(b, QPoint(5, 5));
    QTest::mouseMove(&b, QPoint(40, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 5), b.mapToGlobal(QPointF(40, 5)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&b, &move);
    QVERIFY(!b.IsHovered());
    Release(b, QPoint(5, 5));
    QCOMPARE(clicks.count(), 0);
}

void TControlsTest::hoverLook()
{
    TXPColorMap map;
    map.Color = QColor(200, 200, 200);
    map.SelectedColor = QColor(182, 189, 210);
    map.BtnFrameColor = QColor(10, 36, 106);
    TGKSpeedButton b;
    b.SetColorMap(&map);
    b.SetGlyph(TGKGlyph::UpArrow);
    b.resize(20, 20);
    QImage idle = Render(b);
    QCOMPARE(idle.pixelColor(0, 0), darken(map.Color, 30));
    QCOMPARE(idle.pixelColor(2, 2), map.Color);
    Enter(b);
    QImage hot = Render(b);
    QCOMPARE(hot.pixelColor(0, 0), map.BtnFrameColor);
    QCOMPARE(hot.pixelColor(2, 2), map.SelectedColor);
    Press(b, QPoint(5, 5));
    QImage down = Render(b);
    QCOMPARE(down.pixelColor(2, 2), darken(map.SelectedColor, 40));
    // The arrow turns white while pressed: inside the up arrow at (9, 11).
    QCOMPARE(down.pixelColor(9, 11), QColor(Qt::white));
    b.setEnabled(false);
    QImage disabled = Render(b);
    QCOMPARE(disabled.pixelColor(0, 0), darken(map.Color, 30));
    QCOMPARE(disabled.pixelColor(2, 2), map.Color);
}

void TControlsTest::closeButtonWithoutInactiveFrame()
{
    TXPColorMap map;
    map.SelectedFontColor = QColor(0, 0, 200);
    TGKSpeedButton b;
    b.SetColorMap(&map);
    b.SetShowInactiveFrame(false);
    b.resize(14, 13);
    QImage idle = Render(b);
    QCOMPARE(idle.pixelColor(0, 0), map.Color);
    QCOMPARE(idle.pixelColor(3, 3), map.FontColor); // x0 = 3, y0 = 2: first cross pixel
    Enter(b);
    QImage hot = Render(b);
    QCOMPARE(hot.pixelColor(0, 0), map.BtnFrameColor);
    QCOMPARE(hot.pixelColor(1, 1), map.SelectedColor);
    QCOMPARE(hot.pixelColor(3, 3), map.SelectedFontColor);
}

void TControlsTest::focusControlGetsFocusAndFramedLook()
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *other = new QLineEdit(&window);
    auto *b = new TGKSpeedButton(&window);
    b->move(0, 40);
    TXPColorMap map;
    b->SetColorMap(&map);
    b->SetFocusControl(edit);
    b->SetShowFocusedFrame(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    other->setFocus();
    Enter(*b);
    Press(*b, QPoint(3, 3));
    Release(*b, QPoint(3, 3));
    Leave(*b);
    QTRY_VERIFY(edit->hasFocus());
    const QImage look = Render(*b);
    QCOMPARE(look.pixelColor(0, 0), map.BtnFrameColor);
    QCOMPARE(look.pixelColor(2, 2), map.SelectedColor);
}

void TControlsTest::ownColorMapWhenNoneAssigned()
{
    TXPColorMap map;
    TGKSpeedButton b;
    QVERIFY(b.OwnsColorMap());
    QCOMPARE(b.ColorMap()->Name, QStringLiteral("DefaultColorMap"));
    b.SetColorMap(&map);
    QVERIFY(!b.OwnsColorMap());
    QCOMPARE(b.ColorMap(), &map);
    b.SetColorMap(nullptr);
    QVERIFY(b.OwnsColorMap());
}

void TControlsTest::panelPaintHandlerReplacesPainting()
{
    TGKPanel panel;
    panel.resize(30, 20);
    panel.SetColor(Qt::red);
    QCOMPARE(Render(panel).pixelColor(10, 10), QColor(Qt::red));
    int calls = 0;
    panel.OnPaint = [&calls](TGKPanel *sender) {
        ++calls;
        QVERIFY(sender->Canvas());
        sender->Canvas()->fillRect(sender->rect(), Qt::blue);
    };
    QCOMPARE(Render(panel).pixelColor(10, 10), QColor(Qt::blue));
    QVERIFY(calls >= 1);
    QVERIFY(!panel.Canvas());
}

void TControlsTest::panelWithoutErasing()
{
    TGKPanel panel;
    QVERIFY(panel.EraseBackground());
    panel.SetEraseBackground(false);
    QVERIFY(!panel.EraseBackground());
    QVERIFY(panel.testAttribute(Qt::WA_OpaquePaintEvent));
}

QTEST_MAIN(TControlsTest)
#include "tst_controls.moc"
