// What large nets rely on in the window: a scrolled canvas draws only the
// strip that came into view, a change composes only the area it touched, and
// the element list maps rows to elements by its sections. All must look
// exactly as the full versions did.
#include "UiFixtures.h"

#include "NetUnit.h"

#include <QActionGroup>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A window of 700 × 500 over a sheet of 1300 × 1000, scrolled to its middle,
// with dense rows of places with token counts, transitions and arcs between
// them, some selected, so that every strip or area edge cuts through drawings.
TCanvasController &ShowDenseNet(TDocForm *doc)
{
    doc->resize(700, 500);
    doc->show();
    TPetryNet &net = *doc->GetNet();
    net.SheetWidth = 1300;
    net.SheetHeight = 1000;
    TCanvasController &canvas = doc->Canvas();
    canvas.LayoutSheet(canvas.Area()->width(), canvas.Area()->height());
    TStaticNetElement *previous = nullptr;
    for (int y = 30; y < 950; y += 53) {
        for (int x = 30; x < 1250; x += 61) {
            TStaticNetElement *node = (x / 61 + y / 53) % 3 ? static_cast<TStaticNetElement *>(
                                                                  net.AddPlace(net.OriginX() + x, net.OriginY() + y))
                                                            : net.AddTransition(net.OriginX() + x, net.OriginY() + y);
            if (!node)
                continue;
            if (node->Kind == KindPlace)
                static_cast<TPosition *>(node)->Tokens = (x * 7 + y) % 12;
            if (previous && previous->Kind != node->Kind)
                net.Arcs.append(TArc::CreateBetween(&net, previous, node));
            node->SetSelected((x + y) % 5 == 0);
            previous = node;
        }
    }
    canvas.ScrollCanvasBy(300, 250);
    canvas.RedrawCanvas();
    return canvas;
}

// The n-th element of a kind (list order) whose centre lies well inside the
// canvas; for an arc, the middle of its first segment.
TNetElement *InView(TDocForm *doc, quint8 kind, int n = 0)
{
    const QRect inner = doc->Canvas().Area()->rect().adjusted(60, 60, -60, -60);
    TPetryNet &net = *doc->GetNet();
    for (int i = 0; i < net.ElementCount(); ++i) {
        TNetElement *e = net.Element(i);
        if (e->Kind != kind)
            continue;
        QPoint at;
        if (kind == KindArc) {
            const QList<QPoint> line = static_cast<TArc *>(e)->Polyline();
            at = (line[0] + line[1]) / 2;
        } else {
            at = static_cast<TStaticNetElement *>(e)->CanvasCenter();
        }
        if (inner.contains(at) && n-- == 0)
            return e;
    }
    return nullptr;
}

QPoint PointOf(const TNetElement *e)
{
    if (e->Kind == KindArc) {
        const QList<QPoint> line = static_cast<const TArc *>(e)->Polyline();
        return (line[0] + line[1]) / 2;
    }
    return static_cast<const TStaticNetElement *>(e)->CanvasCenter();
}

// What the window shows of the canvas, as last painted (not painted anew),
// and the picture it should show, inside the border and the scroll bars.
bool ShowsScreen(TCanvasController &canvas)
{
    QCoreApplication::processEvents();
    QWidget *area = canvas.Area();
    QWidget *top = area->window();
    const QPoint at = area->mapTo(top, QPoint());
    const QRect inner(1, 1, area->width() - 22, area->height() - 22);
    const QImage shown = top->screen()
                             ->grabWindow(top->winId(), at.x() + inner.x(), at.y() + inner.y(), inner.width(),
                                          inner.height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    return shown == canvas.CanvasScreen().copy(inner).convertToFormat(QImage::Format_RGB32);
}

enum TChange {
    ClickSelect,
    CtrlClick,
    Band,
    TokenClick,
    WeightClick,
    Drag,
    BendPoint,
    AddPlace,
    AddArc,
    Delete,
    Rename,
    Firing,
    Undo,
};

} // namespace

class TCanvasViewTest : public QObject
{
    Q_OBJECT
private slots:
    void scrollMatchesFullComposition_data();
    void scrollMatchesFullComposition();
    void changeMatchesFullComposition_data();
    void changeMatchesFullComposition();
    void listRowsFollowSections_data();
    void listRowsFollowSections();
};

void TCanvasViewTest::scrollMatchesFullComposition_data()
{
    QTest::addColumn<QList<QPoint>>("steps");
    QTest::newRow("one pixel right") << QList<QPoint>{{1, 0}};
    QTest::newRow("ten down") << QList<QPoint>{{0, 10}};
    QTest::newRow("back and forth") << QList<QPoint>{{37, 0}, {-36, 0}, {0, -13}, {0, 12}};
    QTest::newRow("diagonal") << QList<QPoint>{{7, -5}, {-3, 9}};
    QTest::newRow("against the sheet's edge") << QList<QPoint>{{-5000, -5000}, {3, 3}};
    QTest::newRow("more than the view") << QList<QPoint>{{900, 700}};
}

void TCanvasViewTest::scrollMatchesFullComposition()
{
    QFETCH(QList<QPoint>, steps);
    TShellFixture app;
    app.Prompts->Unscripted = QMessageBox::No;
    TDocForm *doc = app.Doc();
    doc->resize(700, 500);
    doc->show();
    TCanvasController &canvas = ShowDenseNet(doc);
    for (const QPoint step : steps) {
        canvas.ScrollCanvasBy(step.x(), step.y());
        const QImage scrolled = canvas.CanvasScreen().copy();
        canvas.RedrawCanvas();
        QCOMPARE(scrolled, canvas.CanvasScreen());
    }
}

void TCanvasViewTest::changeMatchesFullComposition_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("click selects") << int(ClickSelect);
    QTest::newRow("ctrl+click adds") << int(CtrlClick);
    QTest::newRow("rubber band") << int(Band);
    QTest::newRow("token clicks") << int(TokenClick);
    QTest::newRow("weight click") << int(WeightClick);
    QTest::newRow("drag of two nodes") << int(Drag);
    QTest::newRow("bend point moved") << int(BendPoint);
    QTest::newRow("place added") << int(AddPlace);
    QTest::newRow("arc drawn") << int(AddArc);
    QTest::newRow("node deleted") << int(Delete);
    QTest::newRow("renamed in the inspector") << int(Rename);
    QTest::newRow("firing") << int(Firing);
    QTest::newRow("undo of a drag") << int(Undo);
}

// Each kind of change made through the window leaves the canvas exactly as a
// composition of the whole picture shows the same net.
void TCanvasViewTest::changeMatchesFullComposition()
{
    QFETCH(int, change);
    TShellFixture app;
    app.Prompts->Unscripted = QMessageBox::No;
    TDocForm *doc = app.Doc();
    TCanvasController &canvas = ShowDenseNet(doc);
    canvas.ShowCanvasPopup = [](QMenu *, QPoint) {};
    TPetryNet &net = *doc->GetNet();
    QWidget *area = canvas.Area();
    auto use = [doc](TInstrument instrument) {
        doc->Execute(doc->Commands().InstrumentGroup->actions().at(int(instrument)));
    };
    auto click = [area](QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QTest::mousePress(area, b, m, p);
        QTest::mouseRelease(area, b, m, p);
    };
    // Mid-gesture, the window shows the feedback as the picture holds it.
    bool midGestureShown = true;
    auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(area, Qt::LeftButton, {}, from);
        QTest::mouseMove(area, from);
        QTest::mouseMove(area, (from + to) / 2);
        midGestureShown = midGestureShown && ShowsScreen(canvas);
        QTest::mouseMove(area, to);
        QTest::mouseRelease(area, Qt::LeftButton, {}, to);
    };
    TNetElement *place = InView(doc, KindPlace, 3);
    TNetElement *transition = InView(doc, KindTransition, 2);
    TNetElement *arc = InView(doc, KindArc, 4);
    QVERIFY(place && transition && arc);
    // One element selected near the others, so that every change stays in
    // a small area and is composed there alone.
    net.CancelSelection();
    InView(doc, KindPlace, 2)->SetSelected(true);
    canvas.RedrawCanvas();
    if (change == BendPoint) {
        static_cast<TArc *>(arc)->AddPoint(0, 0, true);
        canvas.RedrawCanvas();
    } else if (change == Firing) {
        // The transition's input places get tokens enough, then modelling starts.
        auto *t = static_cast<TTransfer *>(transition);
        for (int i = 0; TArc *in = t->IncomingArc(i); ++i)
            in->Place()->Tokens = 5;
        doc->Execute(doc->Commands().ActionModelingStart);
        QVERIFY(t->IsEnabled());
        canvas.RedrawCanvas();
    } else if (change == Rename) {
        click(PointOf(place));
    }
    QCoreApplication::processEvents();
    const QImage before = canvas.CanvasScreen().copy();

    switch (TChange(change)) {
    case ClickSelect: click(PointOf(place)); break;
    case CtrlClick:
        click(PointOf(place));
        click(PointOf(arc), Qt::LeftButton, Qt::ControlModifier);
        break;
    case Band: drag(PointOf(place) + QPoint(20, 20), PointOf(transition) + QPoint(-90, 70)); break;
    case TokenClick:
        use(TInstrument::Tokens);
        click(PointOf(place));
        click(PointOf(InView(doc, KindPlace, 5)), Qt::RightButton);
        break;
    case WeightClick:
        use(TInstrument::Multiplicity);
        click(PointOf(arc));
        break;
    case Drag:
        click(PointOf(place));
        click(PointOf(transition), Qt::LeftButton, Qt::ControlModifier);
        drag(PointOf(place), PointOf(place) + QPoint(37, 45));
        break;
    case BendPoint: drag(static_cast<TArc *>(arc)->GetPoint(0), static_cast<TArc *>(arc)->GetPoint(0) + QPoint(-33, 51)); break;
    case AddPlace:
        use(TInstrument::Place);
        click(PointOf(place) + QPoint(30, 26));
        break;
    case AddArc:
        use(TInstrument::Arc);
        drag(PointOf(place), PointOf(InView(doc, KindTransition, 4)));
        break;
    case Delete:
        click(PointOf(place));
        doc->Execute(doc->Commands().ActionEditDelete);
        break;
    case Rename:
        Drv(doc).NameEdit()->setText(u"Склад"_s);
        QTest::keyClick(Drv(doc).NameEdit(), Qt::Key_Return);
        QCOMPARE(place->Name, u"Склад"_s);
        break;
    case Firing: click(PointOf(transition)); break;
    case Undo:
        click(PointOf(place));
        drag(PointOf(place), PointOf(place) + QPoint(40, 0));
        doc->Execute(doc->Commands().ActionEditUndo);
        break;
    }
    QCoreApplication::processEvents();
    const QImage shown = canvas.CanvasScreen().copy();
    // The change shows (only a name, which the canvas does not draw, leaves
    // the picture as it was) ...
    QCOMPARE(shown == before, change == Rename);
    QVERIFY(midGestureShown);
    QVERIFY(ShowsScreen(canvas));
    // ... and the picture is the one a full composition gives.
    canvas.RedrawCanvas();
    QCOMPARE(shown, canvas.CanvasScreen());
}

void TCanvasViewTest::listRowsFollowSections_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<int>("transitions");
    QTest::addColumn<bool>("arcs");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("every kind") << 2 << 1 << true
                                << QStringList{u"Позиции:"_s, u"P1"_s, u"P2"_s, u"Переходы:"_s, u"T1"_s, u"Дуги:"_s,
                                               u"A1"_s};
    QTest::newRow("places only") << 2 << 0 << false << QStringList{u"Позиции:"_s, u"P1"_s, u"P2"_s};
    QTest::newRow("transitions only") << 0 << 2 << false << QStringList{u"Переходы:"_s, u"T1"_s, u"T2"_s};
    QTest::newRow("empty") << 0 << 0 << false << QStringList{};
}

void TCanvasViewTest::listRowsFollowSections()
{
    QFETCH(int, places);
    QFETCH(int, transitions);
    QFETCH(bool, arcs);
    QFETCH(QStringList, rows);
    TShellFixture app;
    app.Prompts->Unscripted = QMessageBox::No;
    TDocForm *doc = app.Doc();
    doc->show();
    TPetryNet &net = *doc->GetNet();
    QList<TNetElement *> elements; // in list order
    for (int i = 0; i < places; ++i)
        elements << net.AddPlace(net.OriginX() + 40 + 60 * i, net.OriginY() + 40);
    for (int i = 0; i < transitions; ++i)
        elements << net.AddTransition(net.OriginX() + 40 + 60 * i, net.OriginY() + 120);
    if (arcs) {
        net.Arcs.append(TArc::CreateBetween(&net, net.Place(0), net.Transition(0)));
        elements << net.Arc(0);
    }
    QStringList names = rows.filter(QRegularExpression(u"[^:]$"_s));
    for (qsizetype i = 0; i < elements.size(); ++i)
        elements[i]->SetName(names.at(i));
    int e = 0;
    net.NotifyChange();
    QCOMPARE(ListRows(Drv(doc).Elements()), rows);
    // Every element row stands for its element, every header for none; the
    // last selected element in list order becomes the current row.
    const TElementsPanel &inspector = doc->Inspector();
    for (int row = 0; row < rows.size(); ++row) {
        const bool header = rows[row].endsWith(u':');
        QCOMPARE(inspector.IsHeaderRow(row), header);
        QCOMPARE(inspector.ElementOfRow(row), header ? nullptr : elements.at(e++));
    }
    QCOMPARE(inspector.ElementOfRow(int(rows.size())), nullptr);
    net.CancelSelection();
    for (qsizetype i = 0; i < elements.size(); i += 2)
        elements[i]->SetSelected(true);
    net.NotifySelectionChange();
    if (!elements.isEmpty()) {
        const TNetElement *last = elements.at((elements.size() - 1) / 2 * 2);
        QCOMPARE(Drv(doc).ElementRowText(Drv(doc).CurrentElementRow()), last->Name);
        QCOMPARE(inspector.InspectedElement(), last);
    }
}

QTEST_MAIN(TCanvasViewTest)
#include "tst_canvasview.moc"
