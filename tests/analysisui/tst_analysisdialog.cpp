#include "AnalysisDialog.h"
#include "InvariantsPage.h"
#include "NetFixtures.h"
#include "StateGraphPage.h"
#include "StateGraphScene.h"

#include <QElapsedTimer>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace Qt::StringLiterals;

namespace {

// A net from a short text: "A=1 B | t1 t2 | A>t1 t1>B:2 ..." gives places with
// their tokens, transitions, and arcs with their weights.
std::unique_ptr<TPetryNet> NetOf(const QString &text)
{
    auto net = MakeNet();
    const QStringList parts = text.split(u'|');
    QHash<QString, TStaticNetElement *> nodes;
    int x = 20;
    for (const QString &place : parts.value(0).split(u' ', Qt::SkipEmptyParts)) {
        // Appended without AddPlace's undo snapshot, which would make large nets quadratic.
        auto *p = new TPosition(net.get());
        p->SetCanvasX(x += 40);
        p->SetCanvasY(40);
        net->Places.append(p);
        p->Name = place.section(u'=', 0, 0);
        p->Tokens = place.section(u'=', 1, 1).toInt();
        nodes.insert(p->Name, p);
    }
    for (const QString &name : parts.value(1).split(u' ', Qt::SkipEmptyParts)) {
        TTransfer *t = net->AddTransition(x += 40, 140);
        t->Name = name;
        nodes.insert(name, t);
    }
    for (const QString &arc : parts.value(2).split(u' ', Qt::SkipEmptyParts)) {
        const QString ends = arc.section(u':', 0, 0);
        const int weight = arc.contains(u':') ? arc.section(u':', 1, 1).toInt() : 1;
        Connect(*net, nodes.value(ends.section(u'>', 0, 0)), nodes.value(ends.section(u'>', 1, 1)), weight);
    }
    return net;
}

// k independent two-state switches: 2^k states, a long search for k past 20.
QString Switches(int k)
{
    QString places, transitions, arcs;
    for (int i = 0; i < k; ++i) {
        places += u"P%1=1 Q%1 "_s.arg(i);
        transitions += u"a%1 b%1 "_s.arg(i);
        arcs += u"P%1>a%1 a%1>Q%1 Q%1>b%1 b%1>P%1 "_s.arg(i);
    }
    return places + u'|' + transitions + u'|' + arcs;
}

const QString Chain = u"A=1 B C | t1 t2 | A>t1 t1>B B>t2 t2>C"_s;
const QString Cycle = u"A=1 B | t1 t2 | A>t1 t1>B B>t2 t2>A"_s;

TAnalysisDialog *RunToEnd(QWidget *window, const TPetryNet &net, TAnalysisView view = TAnalysisView::Properties)
{
    TAnalysisDialog *dialog = ShowNetAnalysis(window, net, view);
    if (dialog && dialog->IsRunning()) {
        QSignalSpy finished(dialog, &TAnalysisDialog::AnalysisFinished);
        finished.wait(20'000);
    }
    return dialog;
}

int StateItems(const QGraphicsScene *scene)
{
    int n = 0;
    for (const QGraphicsItem *item : scene->items())
        n += item->type() == StateItemType;
    return n;
}

QGraphicsItem *StateItem(const QGraphicsScene *scene, int state)
{
    for (QGraphicsItem *item : scene->items())
        if (item->type() == StateItemType && item->data(StateKey).toInt() == state)
            return item;
    return nullptr;
}

} // namespace

class TestAnalysisDialog : public QObject
{
    Q_OBJECT
private slots:
    void properties_data();
    void properties();
    void pictureExport();
    void invariantTables();
    void showInModelling();
    void reuseAndRerun();
    void cancel_data();
    void cancel();
};

void TestAnalysisDialog::properties_data()
{
    QTest::addColumn<QString>("net");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("nodes");
    QTest::addColumn<bool>("deadlockButton");
    QTest::newRow("chain to a deadlock") << Chain
        << QStringList{u"Безопасность да"_s, u"Тупики есть"_s, u"t1, t2"_s, u"(0, 0, 1)"_s, u"Живость нет"_s}
        << 3 << true;
    QTest::newRow("live cycle") << Cycle
        << QStringList{u"Тупики нет"_s, u"Живость да"_s, u"Обратимость да"_s, u"Ограниченность да"_s}
        << 2 << false;
    QTest::newRow("two tokens, not safe") << u"A=2 B | t1 | A>t1 t1>B"_s
        << QStringList{u"Безопасность нет"_s, u"«A» (до 2)"_s, u"t1, t1"_s}
        << 3 << true;
    QTest::newRow("unbounded: coverability") << u"A=1 B | t1 | A>t1 t1>A t1>B"_s
        << QStringList{u"Ограниченность нет"_s, u"Неограниченные позиции: «B»"_s, u"Граф покрытия"_s}
        << 2 << false;
    QTest::newRow("dead transition") << u"A=1 B | t1 t2 | A>t1 t1>A B>t2"_s
        << QStringList{u"Мёртвые переходы есть"_s, u"«t2»"_s, u"Живость нет"_s}
        << 1 << false;
    // 896 firings: laid out by the tree of first firings in well under a second.
    QTest::newRow("dense graph of 128 states") << Switches(7)
        << QStringList{u"Тупики нет"_s, u"Обратимость да"_s} << 128 << false;
    // Too wide to draw: the figures only.
    QString manyPlaces;
    for (int i = 0; i < 1'000; ++i)
        manyPlaces += u"P%1=%2 "_s.arg(i).arg(i % 3);
    QTest::newRow("1 000 places, no transitions") << manyPlaces + u"| |"_s
        << QStringList{u"Тупики есть"_s, u"пустая последовательность"_s, u"«P2» (до 2)"_s}
        << 0 << true;
}

void TestAnalysisDialog::properties()
{
    QFETCH(QString, net);
    QFETCH(QStringList, texts);
    QFETCH(int, nodes);
    QFETCH(bool, deadlockButton);
    QWidget window;
    const auto petriNet = NetOf(net);
    TAnalysisDialog *dialog = RunToEnd(&window, *petriNet);
    QVERIFY(dialog && !dialog->IsRunning());
    // One line per row of the table: cells joined by blanks.
    const QString text = dialog->findChild<QTextBrowser *>(u"PropertiesText"_s)->toPlainText().simplified();
    for (const QString &expected : texts)
        QVERIFY2(text.contains(expected), qPrintable(expected + u" not in: "_s + text));
    QCOMPARE(StateItems(dialog->GraphPage()->Scene()), nodes);
    QCOMPARE(dialog->findChild<QPushButton *>(u"ShowDeadlockButton"_s)->isEnabled(), deadlockButton);
}

void TestAnalysisDialog::pictureExport()
{
    QWidget window;
    const auto net = NetOf(Chain);
    TAnalysisDialog *dialog = RunToEnd(&window, *net, TAnalysisView::Graph);
    QVERIFY(dialog);
    TStateGraphPage *page = dialog->GraphPage();
    QTemporaryDir dir;
    const QString svg = dir.filePath(u"граф.svg"_s), png = dir.filePath(u"граф.png"_s);
    QVERIFY(page->SavePicture(svg));
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(file.readAll());
    // Texts stay texts: markings and transition names are searchable in the SVG.
    for (const QString &text : {u"(1, 0, 0)"_s, u"(0, 0, 1)"_s, u"t2"_s})
        QVERIFY2(content.contains(text), qPrintable(text));
    QVERIFY(page->SavePicture(png));
    const QImage image(png);
    QVERIFY(!image.isNull() && image.width() > 20);

    // A failed save is reported, never claimed.
    QString error;
    QVERIFY(!page->SavePicture(dir.filePath(u"нет/граф.png"_s), &error));
    QVERIFY(error.contains(u"нет/граф.png"_s));

    page->Zoom(2);
    QCOMPARE(page->ZoomFactor(), 2.0);
    page->Zoom(100);
    QCOMPARE(page->ZoomFactor(), 8.0);
}

void TestAnalysisDialog::invariantTables()
{
    QWidget window;
    const auto net = NetOf(Cycle);
    TAnalysisDialog *dialog = RunToEnd(&window, *net, TAnalysisView::Invariants);
    QVERIFY(dialog);
    auto header = [dialog](const QString &table, Qt::Orientation orientation, int section) {
        return dialog->findChild<QTableView *>(table)->model()->headerData(section, orientation).toString();
    };
    auto model = [dialog](const QString &table) { return dialog->findChild<QTableView *>(table)->model(); };
    // Incidence: places as rows, transitions as columns.
    QCOMPARE(header(u"IncidenceTable"_s, Qt::Vertical, 1), u"B"_s);
    QCOMPARE(header(u"IncidenceTable"_s, Qt::Horizontal, 0), u"t1"_s);
    QCOMPARE(model(u"IncidenceTable"_s)->index(0, 0).data().toString(), u"-1"_s);
    // One P-invariant A + B and one T-invariant t1 + t2, one row each.
    QCOMPARE(header(u"PInvariantsTable"_s, Qt::Horizontal, 0), u"A"_s);
    QCOMPARE(model(u"PInvariantsTable"_s)->rowCount(), 1);
    QCOMPARE(model(u"PInvariantsTable"_s)->index(0, 1).data().toString(), u"1"_s);
    QCOMPARE(header(u"TInvariantsTable"_s, Qt::Horizontal, 1), u"t2"_s);
    QCOMPARE(model(u"TInvariantsTable"_s)->rowCount(), 1);
}

void TestAnalysisDialog::showInModelling()
{
    QWidget window;
    const auto net = NetOf(Chain);
    TAnalysisDialog *dialog = RunToEnd(&window, *net);
    QVERIFY(dialog);
    QSignalSpy spy(dialog, &TAnalysisDialog::ShowInModelling);
    auto *deadlock = dialog->findChild<QPushButton *>(u"ShowDeadlockButton"_s);
    QTest::mouseClick(deadlock, Qt::LeftButton);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy[0][0].value<QList<int>>(), (QList<int>{0, 1}));

    // From the graph: the path to the chosen state.
    auto *show = dialog->findChild<QPushButton *>(u"ShowStateButton"_s);
    QVERIFY(!show->isEnabled());
    QGraphicsItem *middle = StateItem(dialog->GraphPage()->Scene(), 1);
    QVERIFY(middle);
    dialog->ShowView(TAnalysisView::Graph);
    auto *view = dialog->findChild<QGraphicsView *>(u"StateGraphView"_s);
    QTRY_VERIFY(view->isVisible());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(middle->scenePos()));
    QVERIFY(middle->isSelected());
    QVERIFY(show->isEnabled());
    show->click();
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy[1][0].value<QList<int>>().size(), 1);
    // A double click on a state does the same.
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->mapFromScene(StateItem(dialog->GraphPage()->Scene(), 2)->scenePos()));
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy[2][0].value<QList<int>>(), (QList<int>{0, 1}));

    // Once the net changed, its old paths are no longer offered.
    dialog->Cancel();
    QVERIFY(!deadlock->isEnabled() && !show->isEnabled());
}

void TestAnalysisDialog::reuseAndRerun()
{
    QWidget window;
    const auto net = NetOf(Chain);
    TAnalysisDialog *dialog = RunToEnd(&window, *net);
    QVERIFY(dialog);
    // The same net and marking: the dialog is raised, not analysed again.
    QCOMPARE(ShowNetAnalysis(&window, *net, TAnalysisView::Graph), dialog);
    QVERIFY(!dialog->IsRunning());
    // Another marking: analysed anew in the same dialog.
    net->Places[1]->Tokens = 1;
    QCOMPARE(RunToEnd(&window, *net), dialog);
    QVERIFY(dialog->findChild<QTextBrowser *>(u"PropertiesText"_s)->toPlainText().contains(u"(1, 1, 0)"_s));
    // Another net: a dialog of its own.
    const auto other = NetOf(Cycle);
    TAnalysisDialog *second = RunToEnd(&window, *other);
    QVERIFY(second && second != dialog);
}

void TestAnalysisDialog::cancel_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel from the window") << u"cancel"_s;
    QTest::newRow("Прервать") << u"stop"_s;
    QTest::newRow("closed while running (Escape, close box)") << u"close"_s;
}

void TestAnalysisDialog::cancel()
{
    QFETCH(QString, how);
    // Two long searches of two documents at once.
    QWidget first, second;
    const auto netA = NetOf(Switches(23)), netB = NetOf(Switches(22));
    QPointer<TAnalysisDialog> a = ShowNetAnalysis(&first, *netA, TAnalysisView::Properties);
    QPointer<TAnalysisDialog> b = ShowNetAnalysis(&second, *netB, TAnalysisView::Graph);
    QVERIFY(a && b && a != b);
    QTest::qWait(400);
    QVERIFY(a->IsRunning() && b->IsRunning());
    QVERIFY(a->ProgressText().contains(u"состояни"_s));

    QSignalSpy finishedA(a.data(), &TAnalysisDialog::AnalysisFinished);
    QElapsedTimer clock;
    clock.start();
    if (how == u"cancel"_s) {
        a->Cancel();
        b->Cancel();
    } else if (how == u"stop"_s) {
        a->findChild<QPushButton *>(u"StopButton"_s)->click();
        b->findChild<QPushButton *>(u"StopButton"_s)->click();
    }
    if (how == u"close"_s) {
        QTest::keyClick(a, Qt::Key_Escape);
        b->close();
        QTRY_VERIFY_WITH_TIMEOUT(a.isNull() && b.isNull(), 5'000);
    } else {
        QVERIFY(finishedA.wait(5'000) || finishedA.size() == 1);
        QTRY_VERIFY_WITH_TIMEOUT(!b->IsRunning(), 5'000);
        QVERIFY(a->ProgressText().startsWith(u"Анализ прерван"_s));
        a->close();
        b->close();
        QTRY_VERIFY(a.isNull() && b.isNull());
    }
    QVERIFY2(clock.elapsed() < 3'000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_MAIN(TestAnalysisDialog)
#include "tst_analysisdialog.moc"
