// What large nets rely on in the window: a scrolled canvas draws only the
// strip that came into view, and the element list maps rows to elements by
// its sections. Both must look exactly as the full versions did.
#include "UiFixtures.h"

#include "NetUnit.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class TCanvasViewTest : public QObject
{
    Q_OBJECT
private slots:
    void scrollMatchesFullComposition_data();
    void scrollMatchesFullComposition();
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
    TPetryNet &net = *doc->GetNet();
    net.SheetWidth = 1300;
    net.SheetHeight = 1000;
    TCanvasController &canvas = doc->Canvas();
    canvas.LayoutSheet(canvas.Area()->width(), canvas.Area()->height());
    // Dense rows of places with token counts, transitions and arcs between
    // them, some selected, so every strip edge cuts through drawings.
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
    canvas.RepaintCanvas();
    for (const QPoint step : steps) {
        canvas.ScrollCanvasBy(step.x(), step.y());
        const QImage scrolled = canvas.CanvasScreen().copy();
        canvas.RepaintCanvas();
        QCOMPARE(scrolled, canvas.CanvasScreen());
    }
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
