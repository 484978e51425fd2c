#include "UiFixtures.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"
#include "doc/StateViews.h"

#include "NetUnit.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
struct TFixture
{
    TFixture()
    {
        // The automatic run ticks fast so that tests do not wait in real time.
        ExecInterval = Drv(Doc).ExecTimer()->interval();
        Drv(Doc).ExecTimer()->setInterval(5);
    }

    TShellFixture App;
    TTestPrompter *Prompts = App.Prompts;
    TDocForm *Doc = App.Doc();
    int ExecInterval = 0;
};

// Producer and consumer: P1 (stock) -> T1 -> P2 (buffer) -> T2 -> P3 (consumed).
struct TProducerConsumer
{
    explicit TProducerConsumer(TDocForm *doc, int stock = 2)
    {
        TPetryNet &net = *doc->GetNet();
        const int x = net.OriginX(), y = net.OriginY();
        P1 = net.AddPlace(x + 60, y + 100);
        T1 = net.AddTransition(x + 140, y + 100);
        P2 = net.AddPlace(x + 220, y + 100);
        T2 = net.AddTransition(x + 300, y + 100);
        P3 = net.AddPlace(x + 380, y + 100);
        for (auto [from, to] : {std::pair<TStaticNetElement *, TStaticNetElement *>{P1, T1}, {T1, P2}, {P2, T2},
                                {T2, P3}})
            net.Arcs << TArc::CreateBetween(&net, from, to);
        P1->Tokens = stock;
        net.NotifyChange();
        net.CancelSelection();
    }
    QList<qint32> Marking() const { return {P1->Tokens, P2->Tokens, P3->Tokens}; }

    TPosition *P1, *P2, *P3;
    TTransfer *T1, *T2;
};

// The tree as indented lines, depth first in display order.
QStringList TreeLines(QTreeWidget *tree)
{
    QStringList lines;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int depth) {
        lines << QString(2 * depth, QLatin1Char(' ')) + item->text(0);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i), 0);
    return lines;
}

QTreeWidgetItem *ItemWithText(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

void ClickTreeItem(TDocForm *d, const QString &text)
{
    QTreeWidgetItem *item = ItemWithText(Drv(d).StateTree(), text);
    QVERIFY2(item, qPrintable(text));
    QTest::mouseClick(Drv(d).StateTree()->viewport(), Qt::LeftButton, {},
                      Drv(d).StateTree()->visualItemRect(item).center());
}

// A click at x within row i of the transition list (the marker strip is x < 10).
void ClickTransfersRow(TDocForm *d, int row, int x)
{
    const QRect r = Drv(d).TransfersInfo()->visualItemRect(Drv(d).TransfersInfo()->item(row));
    QTest::mouseClick(Drv(d).TransfersInfo()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + x, r.center().y()));
}

void ClickCanvas(TDocForm *d, QPoint canvasPoint)
{
    QTest::mouseClick(Drv(d).DocArea(), Qt::LeftButton, {}, canvasPoint);
}

// Firing counts shown in the list: those of each row's state.
QList<int> FireCounts(TDocForm *d)
{
    QList<int> counts;
    for (int i = 0; i < Drv(d).TransfersInfo()->count(); ++i) {
        const auto *state = reinterpret_cast<const TNetStateTreeNode *>(
            Drv(d).TransfersInfo()->item(i)->data(Qt::UserRole).value<quintptr>());
        counts << (state ? state->FireCount(i) : -1);
    }
    return counts;
}

bool InfoBold(TDocForm *d)
{
    return Drv(d).InfoPanel()->font().bold();
}

const QList<const char *> EditingCommands = {
    "ActionNetDoSelection", "ActionNetDoPosition", "ActionNetDoTransfer", "ActionNetDoArc",
    "ActionNetDoPoint",     "ActionNetArcCrate",   "ActionEditSelectAll", "ActionEditUndo"};

QStringList EnabledEditingCommands(TDocForm *d)
{
    d->UpdateActions();
    QStringList enabled;
    for (const char *name : EditingCommands)
        if (d->findChild<QAction *>(QLatin1String(name))->isEnabled())
            enabled << QLatin1String(name);
    return enabled;
}

QStringList AllEditingCommands()
{
    QStringList names;
    for (const char *name : EditingCommands)
        names << QLatin1String(name);
    return names;
}
} // namespace

class TModellingUiTest : public QObject
{
    Q_OBJECT

private slots:
    void tokenGame();
    void endingReturnsOrKeepsMarking();
    void startTexts_data();
    void startTexts();
    void hiddenStatePanelStaysHidden();
    void transfersInfoDrawing();
    void stateRowPixels_data();
    void stateRowPixels();
    void stateBranchesAsBaseView_data();
    void stateBranchesAsBaseView();
    void captionsFollowFirings();
    void closingWhileRunning();
};

void TModellingUiTest::tokenGame()
{
    TFixture f;
    TDocForm *d = f.Doc;
    TProducerConsumer net(d);
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QCOMPARE(f.ExecInterval, 500);
    QVERIFY(!Drv(d).ExecTimer()->isActive());
    QCOMPARE(EnabledEditingCommands(d), AllEditingCommands());

    // Inspect the first place: the row below the "Позиции:" header.
    QTest::mouseClick(Drv(d).Elements()->viewport(), Qt::LeftButton, {},
                      Drv(d).ElementRowRect(1).center());
    QCOMPARE(d->InspectedElement(), net.P1);
    QVERIFY(Drv(d).CountEdit()->isEnabled());

    // Start: paused at the root, panel shown, editing locked.
    d->Execute(d->Commands().ActionModelingStart);
    QVERIFY(d->GetNet()->Modelling);
    QVERIFY(d->Commands().ActionModelingPause->isChecked());
    QVERIFY(!Drv(d).ExecTimer()->isActive());
    QVERIFY(Drv(d).NetState()->isVisible());
    QVERIFY(Drv(d).RunsPanel()->isVisible());
    QCOMPARE(EnabledEditingCommands(d), QStringList());
    // The inspector shows a place but cannot change it.
    QCOMPARE(d->InspectedElement(), net.P1);
    QVERIFY(!Drv(d).CountEdit()->isEnabled());
    QVERIFY(!Drv(d).CntUpBtn()->isEnabled());
    QVERIFY(Drv(d).NameEdit()->isReadOnly());
    QVERIFY(Drv(d).Description()->isReadOnly());
    QVERIFY(d->Commands().ActionModelingStart->isEnabled());
    QVERIFY(d->Commands().ActionModelingEnd->isEnabled());
    QCOMPARE(TreeLines(Drv(d).StateTree()), QStringList{u"(2, 0, 0) - начальное состояние"_s});
    QCOMPARE(Drv(d).InfoPanel()->Caption(), u"Исходное состояние."_s);
    QCOMPARE(Drv(d).RunsPanel()->Caption(), u"Запусков не было."_s);
    QCOMPARE(Drv(d).TransfersInfo()->count(), 2);
    QCOMPARE(Drv(d).TransfersInfo()->item(0)->text(), u"Переход1"_s);
    QCOMPARE(Drv(d).TransfersInfo()->currentRow(), 0);
    QCOMPARE(FireCounts(d), QList<int>({0, 0}));

    // A click on the marker of a disabled transition does nothing.
    ClickTransfersRow(d, 1, 5);
    QCOMPARE(net.Marking(), QList<qint32>({2, 0, 0}));
    // Fire T1 from its marker.
    ClickTransfersRow(d, 0, 5);
    QCOMPARE(net.Marking(), QList<qint32>({1, 1, 0}));
    QCOMPARE(TreeLines(Drv(d).StateTree()),
             QStringList({u"(2, 0, 0) - начальное состояние"_s, u"  (1, 1, 0) - Переход1"_s}));
    QCOMPARE(Drv(d).StateTree()->currentItem()->text(0), u"(1, 1, 0) - Переход1"_s);
    QCOMPARE(Drv(d).InfoPanel()->Caption(), u"Готово к запуску: 2"_s);
    QCOMPARE(Drv(d).RunsPanel()->Caption(), u"Последовательность запусков: 1"_s);
    QCOMPARE(FireCounts(d), QList<int>({1, 0}));

    // A click beside the marker only selects the row, which later firings keep.
    ClickTransfersRow(d, 1, 40);
    QCOMPARE(TreeLines(Drv(d).StateTree()).size(), 2);
    QCOMPARE(Drv(d).TransfersInfo()->currentRow(), 1);

    // Running with two transitions enabled: the timer waits for the user.
    d->Execute(d->Commands().ActionModelingStart);
    QVERIFY(!d->Commands().ActionModelingPause->isChecked());
    QVERIFY(Drv(d).ExecTimer()->isActive());
    QVERIFY(!d->Commands().ActionModelingStart->isEnabled());
    QTest::qWait(60);
    QCOMPARE(net.Marking(), QList<qint32>({1, 1, 0}));

    // Fire T2 on the canvas; from there the timer runs on to the dead end.
    ClickCanvas(d, net.T2->CanvasCenter());
    QTRY_COMPARE(Drv(d).InfoPanel()->Caption(), u"Тупиковое состояние."_s);
    QCOMPARE(net.Marking(), QList<qint32>({0, 0, 2}));
    QVERIFY(InfoBold(d));
    QCOMPARE(Drv(d).InfoPanel()->FontColor(), QColor(255, 0, 0));
    QCOMPARE(Drv(d).RunsPanel()->Caption(), u"Последовательность запусков: 1, 2, 1, 2"_s);
    QCOMPARE(TreeLines(Drv(d).StateTree()), QStringList({u"(2, 0, 0) - начальное состояние"_s,
                                                   u"  (1, 1, 0) - Переход1"_s,
                                                   u"    (1, 0, 1) - Переход2"_s,
                                                   u"      (0, 1, 1) - Переход1"_s,
                                                   u"        (0, 0, 2) - Переход2"_s}));
    QCOMPARE(Drv(d).TransfersInfo()->currentRow(), 1);
    QCOMPARE(FireCounts(d), QList<int>({2, 2}));
    // The run keeps waiting at the dead end.
    QVERIFY(Drv(d).ExecTimer()->isActive());

    // Picking an earlier state loads its marking and pauses the run.
    ClickTreeItem(d, u"(2, 0, 0) - начальное состояние"_s);
    QVERIFY(d->Commands().ActionModelingPause->isChecked());
    QVERIFY(!Drv(d).ExecTimer()->isActive());
    QCOMPARE(net.Marking(), QList<qint32>({2, 0, 0}));
    QCOMPARE(Drv(d).InfoPanel()->Caption(), u"Исходное состояние."_s);
    QVERIFY(!InfoBold(d));
    QCOMPARE(Drv(d).InfoPanel()->FontColor(), d->XPColorMap().FontColor);
    QCOMPARE(Drv(d).RunsPanel()->Caption(), u"Запусков не было."_s);
    QCOMPARE(FireCounts(d), QList<int>({0, 0}));

    // The same firing from the same state revisits its child.
    ClickTransfersRow(d, 0, 5);
    QCOMPARE(TreeLines(Drv(d).StateTree()).size(), 5);
    QCOMPARE(Drv(d).StateTree()->currentItem()->text(0), u"(1, 1, 0) - Переход1"_s);
    // A different firing branches; siblings are ordered by text, not by firing.
    ClickTransfersRow(d, 0, 5);
    QCOMPARE(TreeLines(Drv(d).StateTree()), QStringList({u"(2, 0, 0) - начальное состояние"_s,
                                                   u"  (1, 1, 0) - Переход1"_s,
                                                   u"    (0, 2, 0) - Переход1"_s,
                                                   u"    (1, 0, 1) - Переход2"_s,
                                                   u"      (0, 1, 1) - Переход1"_s,
                                                   u"        (0, 0, 2) - Переход2"_s}));
    QCOMPARE(Drv(d).StateTree()->currentItem()->text(0), u"(0, 2, 0) - Переход1"_s);
    QCOMPARE(Drv(d).RunsPanel()->Caption(), u"Последовательность запусков: 1, 1"_s);
    QCOMPARE(Drv(d).InfoPanel()->Caption(), u"Готово к запуску: 1"_s);
    QCOMPARE(FireCounts(d), QList<int>({2, 0}));
    // Still paused: firing by hand does not resume the run.
    QVERIFY(d->Commands().ActionModelingPause->isChecked());

    // End and return to the initial marking.
    f.Prompts->Answers = {QMessageBox::Yes};
    d->Execute(d->Commands().ActionModelingEnd);
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QCOMPARE(f.Prompts->Asked[0].Text, u"Вернуться в начальное состояние?"_s);
    QCOMPARE(f.Prompts->Asked[0].Caption, u"Сети Петри"_s);
    QCOMPARE(f.Prompts->Asked[0].Buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(f.Prompts->Asked[0].Icon, QMessageBox::Question);
    QCOMPARE(net.Marking(), QList<qint32>({2, 0, 0}));
    QVERIFY(!d->GetNet()->Modelling);
    QVERIFY(!d->Commands().ActionModelingPause->isChecked());
    QCOMPARE(Drv(d).StateTree()->topLevelItemCount(), 0);
    QCOMPARE(Drv(d).TransfersInfo()->count(), 0);
    QVERIFY(!Drv(d).NetState()->isVisible());
    QVERIFY(!Drv(d).RunsPanel()->isVisible());
    QCOMPARE(Drv(d).InfoPanel()->Caption(), d->GetNet()->NetName);
    QVERIFY(!InfoBold(d));
    QCOMPARE(EnabledEditingCommands(d), AllEditingCommands());
    QVERIFY(Drv(d).CountEdit()->isEnabled());
    QVERIFY(Drv(d).CntUpBtn()->isEnabled());
    QVERIFY(!Drv(d).NameEdit()->isReadOnly());
    QVERIFY(!Drv(d).Description()->isReadOnly());
    QVERIFY(!d->Commands().ActionModelingPause->isEnabled());
    QVERIFY(!d->Commands().ActionModelingEnd->isEnabled());
}

void TModellingUiTest::endingReturnsOrKeepsMarking()
{
    TFixture f;
    TDocForm *d = f.Doc;
    TProducerConsumer net(d);

    // From the root nothing is asked and the marking stays.
    d->Execute(d->Commands().ActionModelingStart);
    d->Execute(d->Commands().ActionModelingEnd);
    QVERIFY(f.Prompts->Asked.isEmpty());
    QCOMPARE(net.Marking(), QList<qint32>({2, 0, 0}));

    // Answering No keeps the last marking for editing.
    d->Execute(d->Commands().ActionModelingStart);
    net.T1->Fire();
    QCOMPARE(Drv(d).RunsPanel()->Caption(), u"Последовательность запусков: 1"_s);
    f.Prompts->Answers = {QMessageBox::No};
    d->Execute(d->Commands().ActionModelingEnd);
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QVERIFY(!d->GetNet()->Modelling);
    QCOMPARE(net.Marking(), QList<qint32>({1, 1, 0}));

    // Back at the root after firings: nothing is asked either.
    d->Execute(d->Commands().ActionModelingStart);
    net.T1->Fire();
    d->GetNet()->GoToState(d->GetNet()->RootState.get());
    d->Execute(d->Commands().ActionModelingEnd);
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QCOMPARE(net.Marking(), QList<qint32>({1, 1, 0}));
}

void TModellingUiTest::startTexts_data()
{
    QTest::addColumn<QList<qint32>>("tokens");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("info");
    QTest::addColumn<bool>("bold");
    // The first place feeds the only transition.
    QTest::newRow("one place") << QList<qint32>{3} << u"(3) - начальное состояние"_s
                               << u"Исходное состояние."_s << false;
    QTest::newRow("three places") << QList<qint32>{1, 0, 2} << u"(1, 0, 2) - начальное состояние"_s
                                  << u"Исходное состояние."_s << false;
    QTest::newRow("dead end at the root") << QList<qint32>{0, 4} << u"(0, 4) - начальное состояние"_s
                                          << u"Тупиковое состояние."_s << true;
}

void TModellingUiTest::startTexts()
{
    QFETCH(QList<qint32>, tokens);
    QFETCH(QString, item);
    QFETCH(QString, info);
    QFETCH(bool, bold);
    TFixture f;
    TDocForm *d = f.Doc;
    TPetryNet &net = *d->GetNet();
    for (int i = 0; i < tokens.size(); ++i)
        net.AddPlace(net.OriginX() + 40 + 60 * i, net.OriginY() + 40)->Tokens = tokens[i];
    TTransfer *t = net.AddTransition(net.OriginX() + 40, net.OriginY() + 140);
    net.Arcs << TArc::CreateBetween(&net, net.Place(0), t);

    d->Execute(d->Commands().ActionModelingStart);
    QCOMPARE(TreeLines(Drv(d).StateTree()), QStringList{item});
    QCOMPARE(Drv(d).InfoPanel()->Caption(), info);
    QCOMPARE(InfoBold(d), bold);
    QCOMPARE(Drv(d).InfoPanel()->FontColor(), bold ? QColor(255, 0, 0) : d->XPColorMap().FontColor);
    QCOMPARE(Drv(d).RunsPanel()->Caption(), u"Запусков не было."_s);
}

void TModellingUiTest::hiddenStatePanelStaysHidden()
{
    TFixture f;
    TDocForm *d = f.Doc;
    TProducerConsumer net(d);
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QVERIFY(!d->Commands().ActionViewNetState->isEnabled() || !d->Commands().ActionViewNetState->isChecked());
    d->Execute(d->Commands().ActionModelingStart);
    QVERIFY(d->Commands().ActionViewNetState->isChecked());
    d->Execute(d->Commands().ActionViewNetState);
    QVERIFY(!Drv(d).NetState()->isVisible());
    d->Execute(d->Commands().ActionModelingEnd);
    QVERIFY(!Drv(d).NetState()->isVisible());
    QVERIFY(!d->Commands().ActionViewNetState->isChecked());
    // The next start shows it again.
    d->Execute(d->Commands().ActionModelingStart);
    QVERIFY(Drv(d).NetState()->isVisible());
}

void TModellingUiTest::transfersInfoDrawing()
{
    TFixture f;
    TDocForm *d = f.Doc;
    TProducerConsumer net(d);
    QVERIFY(QTest::qWaitForWindowExposed(d));
    d->Execute(d->Commands().ActionModelingStart);
    // Row 0 (T1) is enabled and selected; row 1 (T2) is not enabled.
    QListWidget *list = Drv(d).TransfersInfo();
    const QImage image = list->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    auto pixel = [&](int x, int y) { return QColor(image.pixel(int(x * ratio), int(y * ratio))); };
    const QRect row0 = list->visualItemRect(list->item(0));
    const QRect row1 = list->visualItemRect(list->item(1));
    const int width = list->viewport()->width();
    const QColor frame(10, 36, 106);
    const QColor window = list->palette().color(QPalette::Base);

    QCOMPARE(pixel(row0.left() + 6, row0.top() + 7), QColor(0, 255, 0)); // inside the triangle
    QCOMPARE(pixel(row0.left() + 14, row0.top() + 8), frame);            // selected row background
    QCOMPARE(pixel(width - 3, row0.top() + 14), frame);                  // its count column
    QCOMPARE(pixel(row1.left() + 5, row1.top() + 2), QColor(255, 0, 0)); // chevron stroke
    QCOMPARE(pixel(row1.left() + 14, row1.top() + 8), window);
    QCOMPARE(pixel(width - 3, row1.top() + 14), darken(window, 20));
    // The shaded column goes on below the last row.
    QCOMPARE(pixel(width - 3, row1.bottom() + 20), darken(window, 20));
    QCOMPARE(pixel(width - 60, row1.bottom() + 20), window);
}

void TModellingUiTest::stateRowPixels_data()
{
    QTest::addColumn<int>("places");
    QTest::newRow("short text, shown whole") << 3;
    QTest::newRow("long text, elided") << 3000;
}

// A state row paints the same pixels as a plain tree row holding the whole
// text, although a long marking reaches the painting cut.
void TModellingUiTest::stateRowPixels()
{
    QFETCH(int, places);
    TFixture f;
    TDocForm *d = f.Doc;
    TPetryNet &net = *d->GetNet();
    for (int i = 0; i < places; ++i)
        net.AddPlace(net.OriginX() + 40 + 60 * (i % 50), net.OriginY() + 40 + 60 * (i / 50))->Tokens = 1 + i % 12;
    TTransfer *t = net.AddTransition(net.OriginX() + 40, net.OriginY() + 4000);
    net.Arcs << TArc::CreateBetween(&net, net.Place(0), t);
    d->Execute(d->Commands().ActionModelingStart);
    t->Fire();
    QVERIFY(QTest::qWaitForWindowExposed(d));

    QTreeWidget *tree = Drv(d).StateTree();
    QStringList tokens{u"0"_s}; // the firing took place 0's token
    for (int i = 1; i < places; ++i)
        tokens << QString::number(1 + i % 12);
    QCOMPARE(tree->currentItem()->text(0), u"("_s + tokens.join(u", "_s) + u") - "_s + t->Name);

    TStateTreeView plain;
    plain.setItemDelegate(new QStyledItemDelegate(&plain));
    plain.setFont(tree->font());
    plain.resize(tree->size());
    auto *root = new QTreeWidgetItem(QStringList{tree->topLevelItem(0)->text(0)});
    plain.addTopLevelItem(root);
    auto *child = new QTreeWidgetItem(QStringList{tree->currentItem()->text(0)});
    root->addChild(child);
    root->setExpanded(true);
    plain.setCurrentItem(child);
    QCOMPARE(tree->viewport()->grab().toImage(), plain.viewport()->grab().toImage());
}

void TModellingUiTest::stateBranchesAsBaseView_data()
{
    QTest::addColumn<QString>("current");
    QTest::newRow("none") << QString();
    QTest::newRow("deep leaf") << u"a2xy"_s;
    QTest::newRow("collapsed parent") << u"a1"_s;
    QTest::newRow("open parent with siblings") << u"a"_s;
}

// The state tree draws only each row's own expander, yet shows the very
// pixels of the base view drawing the branches of every level.
void TModellingUiTest::stateBranchesAsBaseView()
{
    QFETCH(QString, current);
    struct TAllLevels : TStateTreeView
    {
        void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override
        {
            QTreeView::drawBranches(painter, rect, index);
        }
    };
    TStateTreeView own;
    TAllLevels base;
    for (QTreeWidget *tree : {static_cast<QTreeWidget *>(&own), static_cast<QTreeWidget *>(&base)}) {
        tree->resize(300, 200);
        QHash<QString, QTreeWidgetItem *> items;
        auto add = [&](QTreeWidgetItem *parent, const QString &name) {
            auto *item = new QTreeWidgetItem(QStringList{name});
            parent ? parent->addChild(item) : tree->addTopLevelItem(item);
            return items[name] = item;
        };
        QTreeWidgetItem *root = add(nullptr, u"root"_s);
        QTreeWidgetItem *a = add(root, u"a"_s);
        add(add(a, u"a1"_s), u"a1x"_s);
        add(add(add(a, u"a2"_s), u"a2x"_s), u"a2xy"_s);
        add(root, u"b"_s);
        tree->expandAll();
        items[u"a1"_s]->setExpanded(false);
        if (!current.isEmpty())
            tree->setCurrentItem(items[current]);
    }
    QCOMPARE(own.viewport()->grab().toImage(), base.viewport()->grab().toImage());
}

// The count of enabled transitions and the firing path in the captions, kept
// in step with firings, match ones made in full through firings and picks of
// earlier states.
void TModellingUiTest::captionsFollowFirings()
{
    TFixture f;
    TDocForm *d = f.Doc;
    TPetryNet &net = *d->GetNet();
    // A ring of 6 places; transition i takes from places i and i+1 and gives to i+2.
    constexpr int Size = 6;
    for (int i = 0; i < Size; ++i)
        net.AddPlace(net.OriginX() + 40 + 80 * i, net.OriginY() + 40)->Tokens = i % 3;
    for (int i = 0; i < Size; ++i) {
        TTransfer *t = net.AddTransition(net.OriginX() + 40 + 80 * i, net.OriginY() + 160);
        net.Arcs << TArc::CreateBetween(&net, net.Place(i), t) << TArc::CreateBetween(&net, net.Place((i + 1) % Size), t)
                 << TArc::CreateBetween(&net, t, net.Place((i + 2) % Size));
    }
    net.NotifyChange();
    d->Execute(d->Commands().ActionModelingStart);
    QRandomGenerator random(15);
    for (int step = 0; step < 60; ++step) {
        QList<TTransfer *> enabled;
        for (TTransfer *t : net.Transitions)
            if (t->IsEnabled())
                enabled << t;
        const QString expected = enabled.isEmpty()          ? u"Тупиковое состояние."_s
                                 : net.CurrentState->Parent ? u"Готово к запуску: "_s + QString::number(enabled.size())
                                                            : u"Исходное состояние."_s;
        QCOMPARE(Drv(d).InfoPanel()->Caption(), expected);
        QStringList path;
        for (qint32 t : net.CurrentState->Path())
            path << QString::number(t + 1);
        QCOMPARE(Drv(d).RunsPanel()->Caption(), path.isEmpty() ? u"Запусков не было."_s
                                                                : u"Последовательность запусков: "_s + path.join(u", "_s));
        QTreeWidget *tree = Drv(d).StateTree();
        if (enabled.isEmpty() || random.bounded(5) == 0) {
            const QList<QTreeWidgetItem *> items = tree->findItems(u"*"_s, Qt::MatchWildcard | Qt::MatchRecursive);
            tree->setCurrentItem(items[random.bounded(int(items.size()))]);
        } else {
            enabled[random.bounded(int(enabled.size()))]->Fire();
        }
    }
}

void TModellingUiTest::closingWhileRunning()
{
    TFixture f;
    TDocForm *d = f.Doc;
    TProducerConsumer net(d);
    d->GetNet()->Saved = true;
    d->Execute(d->Commands().ActionModelingStart);
    net.T1->Fire();
    d->Execute(d->Commands().ActionModelingStart);
    QVERIFY(Drv(d).ExecTimer()->isActive());
    // Yes to ending modelling, No to returning to the initial marking, No to saving.
    f.Prompts->Answers = {QMessageBox::Yes, QMessageBox::No, QMessageBox::No};
    d->CloseDocument();
    QVERIFY(f.Prompts->Asked.size() >= 2);
    QCOMPARE(f.Prompts->Asked[0].Text, u"Сеть в режиме моделирования.\r\nЗавершить?"_s);
    QCOMPARE(f.Prompts->Asked[1].Text, u"Вернуться в начальное состояние?"_s);
    QVERIFY(d->IsEmptyFrame());
    QVERIFY(!Drv(d).ExecTimer()->isActive());
    QVERIFY(!d->Commands().ActionModelingPause->isChecked());
}

QTEST_MAIN(TModellingUiTest)
#include "tst_modelling_ui.moc"
