#include "UiFixtures.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include "NetUnit.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
using TFixture = TShellFixture;

QStringList Captions(const QList<QAction *> &actions)
{
    QStringList texts;
    for (QAction *a : actions)
        texts << (a->isSeparator() ? u"-"_s : a->menu() ? a->menu()->title() : a->text());
    return texts;
}

QString Blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

// Every command of the window, by name.
const QStringList AllActions = {
    u"ActionFileNew"_s, u"ActionFileOpen"_s, u"ActionFileSave"_s, u"ActionFileSaveAs"_s,
    u"ActionFileSaveAll"_s, u"ActionNetProperties"_s, u"ActionFileExit"_s, u"ActionEditUndo"_s,
    u"ActionEditRedo"_s, u"ActionEditCopy"_s, u"ActionEditPaste"_s, u"ActionEditCut"_s, u"ActionEditDelete"_s,
    u"ActionEditSelectAll"_s, u"ActionEditCancSel"_s, u"ActionEditCreateDescr"_s, u"ActionEditDelDescr"_s,
    u"ActionEditInvDirection"_s, u"ActionEditArcAddPoint"_s, u"ActionEditArcDelPoint"_s,
    u"ActionEditInvDirC"_s, u"ActionEditArcAddPointC"_s, u"ActionEditArcDelPointC"_s,
    u"ActionNetDoSelection"_s, u"ActionNetDoPosition"_s, u"ActionNetDoTransfer"_s, u"ActionNetDoArc"_s,
    u"ActionNetDoPoint"_s, u"ActionNetArcCrate"_s, u"ActionNetCreatePos"_s, u"ActionNetCreateTransfer"_s,
    u"ActionModelingStart"_s, u"ActionModelingPause"_s, u"ActionModelingEnd"_s, u"ActionViewStdToolBar"_s,
    u"ActionViewNetToolBar"_s, u"ActionViewModelToolBar"_s, u"ActionViewInspector"_s,
    u"ActionViewNetState"_s, u"ActionWindowClose"_s, u"ActionWindowNext"_s, u"ActionWindowPrev"_s,
    u"ActionWindowList"_s, u"ActionWndMe"_s, u"ActionAbout"_s};

// Enabled in any state of the window.
const QStringList Always = {u"ActionFileNew"_s, u"ActionFileOpen"_s, u"ActionFileExit"_s,
                            u"ActionNetCreatePos"_s, u"ActionNetCreateTransfer"_s, u"ActionViewStdToolBar"_s,
                            u"ActionViewNetToolBar"_s, u"ActionViewModelToolBar"_s, u"ActionViewInspector"_s,
                            u"ActionWindowList"_s, u"ActionWndMe"_s, u"ActionAbout"_s};
const QStringList Instruments = {u"ActionNetDoSelection"_s, u"ActionNetDoPosition"_s, u"ActionNetDoTransfer"_s,
                                 u"ActionNetDoArc"_s, u"ActionNetDoPoint"_s, u"ActionNetArcCrate"_s};
} // namespace

class TDocFormTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { NetClipboard.Clear(); }
    void actionTable_data();
    void actionTable();
    void enablingRules_data();
    void enablingRules();
    void menus_data();
    void menus();
    void toolbarsAndPopups();
    void newWindow();
    void toolbarCommandsFollowEnabledState();
    void editMenuMakesSelectionCurrent();
    void instrumentsAreOneRadioGroup();
    void statusTexts();
    void modellingQuestionOnClose();
    void shortcutRunsCommand();
};

void TDocFormTest::actionTable_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("image");
    auto row = [](const char *name, const QString &caption, const QString &hint, const QString &keys, int image) {
        QTest::newRow(name) << caption << hint << keys << image;
    };
    row("ActionFileNew", u"Созд&ать..."_s, u"Создать"_s, u"Ctrl+N"_s, 3);
    row("ActionFileOpen", u"&Открыть..."_s, u"Открыть"_s, u"Ctrl+O"_s, 4);
    row("ActionFileSave", u"&Сохранить"_s, u"Сохранить"_s, u"Ctrl+S"_s, 8);
    row("ActionFileSaveAs", u"Сохранить &как..."_s, {}, {}, -1);
    row("ActionFileSaveAll", u"Сохранить &все"_s, {}, {}, -1);
    row("ActionNetProperties", u"Св&ойства"_s, {}, u"Ctrl+Return, Ctrl+Enter"_s, 29);
    row("ActionFileExit", u"Вы&ход"_s, {}, u"Alt+F4"_s, -1);
    row("ActionEditUndo", u"&Отменить"_s, u"Отменить"_s, u"Ctrl+Z"_s, 9);
    row("ActionEditRedo", u"&Вернуть"_s, u"Вернуть"_s, u"Ctrl+Y, Ctrl+Shift+Z"_s, 30);
    row("ActionEditCopy", u"&Копировать"_s, u"Копировать"_s, u"Ctrl+C, Ctrl+Ins"_s, 0);
    row("ActionEditPaste", u"Вст&авить"_s, u"Вставить"_s, u"Ctrl+V, Shift+Ins"_s, 5);
    row("ActionEditCut", u"&Вырезать"_s, u"Вырезать"_s, u"Ctrl+X, Shift+Del"_s, 1);
    row("ActionEditDelete", u"&Удалить"_s, u"Удалить"_s, u"Ctrl+Del"_s, 2);
    row("ActionEditSelectAll", u"Вы&брать все"_s, {}, u"Ctrl+A"_s, -1);
    row("ActionEditCancSel", u"От&менить выбор"_s, {}, u"Ctrl+Shift+A"_s, -1);
    row("ActionEditCreateDescr", u"Добавть о&писание"_s, u"Добавть описание"_s, {}, 25);
    row("ActionEditDelDescr", u"Удал&ить описание"_s, u"Удалить описание"_s, {}, 26);
    row("ActionEditInvDirection", u"Изменить направление &дуг"_s, {}, u"Ctrl+Alt+D"_s, 21);
    row("ActionEditArcAddPoint", u"&Создать точку поворота"_s, {}, u"Ctrl+R"_s, 22);
    row("ActionEditArcDelPoint", u"Удалить последнюю &точку  "_s, {}, u"Ctrl+Alt+R"_s, 20);
    row("ActionEditInvDirC", u"Изменить направление &дуги"_s, {}, {}, 21);
    row("ActionEditArcAddPointC", u"&Создать точку поворота"_s, {}, {}, 22);
    row("ActionEditArcDelPointC", u"Удалить &точку поворота"_s, {}, {}, 20);
    row("ActionNetDoSelection", u"&Выбор"_s, u"Выбор"_s, u"F2"_s, 13);
    row("ActionNetDoPosition", u"&Позиция"_s, u"Позиция"_s, u"F3"_s, 15);
    row("ActionNetDoTransfer", u"П&ереход"_s, u"Переход"_s, u"F4"_s, 19);
    row("ActionNetDoArc", u"&Дуга"_s, u"Дуга"_s, u"F5"_s, 16);
    row("ActionNetDoPoint", u"Установка &фишек"_s, u"Установка фишек"_s, u"F6"_s, 14);
    row("ActionNetArcCrate", u"&Установка кратности дуг"_s, u"&Установка кратности дуг"_s, u"F7"_s, 28);
    row("ActionNetCreatePos", u"&Создать позицию"_s, {}, {}, 15);
    row("ActionNetCreateTransfer", u"&Создать переход"_s, {}, {}, 19);
    row("ActionModelingStart", u"&Начать моделирование"_s, u"Начать моделирование"_s, u"F9"_s, 23);
    row("ActionModelingPause", u"&Приостановить моделирование"_s, u"Приостановить моделирование"_s, {}, 27);
    row("ActionModelingEnd", u"&Завершить моделирование"_s, u"Завершить моделирование"_s, u"Alt+F9"_s, 24);
    row("ActionViewStdToolBar", u"&Стандартная"_s, {}, {}, -1);
    row("ActionViewNetToolBar", u"С&оздание сети"_s, {}, {}, -1);
    row("ActionViewModelToolBar", u"&Моделирование"_s, {}, {}, -1);
    row("ActionViewInspector", u"&Инспектор сети"_s, {}, u"Ctrl+Alt+I"_s, -1);
    row("ActionViewNetState", u"Сос&тояния сети"_s, {}, u"Ctrl+Alt+S"_s, -1);
    row("ActionWindowClose", u"&Закрыть"_s, u"Закрыть текущий документ"_s, u"Ctrl+F4"_s, 10);
    row("ActionWindowNext", u"&Следующее"_s, u"Переход к следующему документу"_s, u"Ctrl+F6"_s, 17);
    row("ActionWindowPrev", u"&Предыдущее"_s, u"Перейти к предыдущему документу"_s, u"Shift+F6"_s, 18);
    row("ActionWindowList", u"Список &окон..."_s, u"Список открытых документов"_s, u"Alt+0"_s, 12);
    row("ActionWndMe", u"СетьПетри1"_s, {}, {}, -1);
    row("ActionAbout", u"О программе..."_s, {}, {}, -1);
}

void TDocFormTest::actionTable()
{
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QString, keys);
    QFETCH(int, image);
    TFixture f;
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QAction *a = f.Doc()->findChild<QAction *>(name);
    QVERIFY(a);
    QVERIFY(f.Doc()->Commands().All().contains(a));
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->property("Hint").toString(), hint);
    QStringList shortcuts;
    for (const QKeySequence &k : a->shortcuts())
        shortcuts << k.toString(QKeySequence::PortableText);
    QCOMPARE(shortcuts.join(u", "_s), keys);
    QCOMPARE(a->property("ImageIndex").toInt(), image);
    QCOMPARE(a->icon().isNull(), image < 0);
}

void TDocFormTest::enablingRules_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QStringList>("enabled");
    const QStringList editing = Always + Instruments +
                                QStringList{u"ActionFileSave"_s, u"ActionFileSaveAs"_s, u"ActionNetProperties"_s,
                                            u"ActionWindowClose"_s};
    QTest::newRow("new empty net") << u"empty"_s << editing;
    QTest::newRow("place selected")
        << u"place"_s
        << editing + QStringList{u"ActionFileSaveAll"_s, u"ActionEditCreateDescr"_s, u"ActionEditUndo"_s, u"ActionEditCopy"_s,
                                 u"ActionEditCut"_s, u"ActionEditDelete"_s, u"ActionEditSelectAll"_s,
                                 u"ActionEditCancSel"_s, u"ActionModelingStart"_s};
    QTest::newRow("place with a description")
        << u"described"_s
        << editing + QStringList{u"ActionFileSaveAll"_s, u"ActionEditDelDescr"_s, u"ActionEditUndo"_s,
                                 u"ActionEditCopy"_s, u"ActionEditCut"_s, u"ActionEditDelete"_s,
                                 u"ActionEditSelectAll"_s, u"ActionEditCancSel"_s, u"ActionModelingStart"_s};
    QTest::newRow("arc selected, click on it")
        << u"arc"_s
        << editing + QStringList{u"ActionFileSaveAll"_s, u"ActionEditCreateDescr"_s, u"ActionEditUndo"_s, u"ActionEditDelete"_s,
                                 u"ActionEditSelectAll"_s, u"ActionEditCancSel"_s, u"ActionModelingStart"_s,
                                 u"ActionEditInvDirection"_s, u"ActionEditArcAddPoint"_s,
                                 u"ActionEditInvDirC"_s, u"ActionEditArcAddPointC"_s};
    QTest::newRow("arc with a bend point under the click")
        << u"bend"_s
        << editing + QStringList{u"ActionFileSaveAll"_s, u"ActionEditCreateDescr"_s, u"ActionEditUndo"_s, u"ActionEditDelete"_s,
                                 u"ActionEditSelectAll"_s, u"ActionEditCancSel"_s, u"ActionModelingStart"_s,
                                 u"ActionEditInvDirection"_s, u"ActionEditArcAddPoint"_s,
                                 u"ActionEditArcDelPoint"_s, u"ActionEditInvDirC"_s, u"ActionEditArcAddPointC"_s,
                                 u"ActionEditArcDelPointC"_s};
    QTest::newRow("clipboard filled") << u"paste"_s
                                      << editing + QStringList{u"ActionFileSaveAll"_s, u"ActionEditCreateDescr"_s,
                                                               u"ActionEditUndo"_s,
                                                               u"ActionEditPaste"_s, u"ActionEditSelectAll"_s,
                                                               u"ActionModelingStart"_s};
    QTest::newRow("empty frame") << u"frame"_s << Always;
    QTest::newRow("modelling paused")
        << u"paused"_s
        << Always + QStringList{u"ActionFileSave"_s, u"ActionFileSaveAs"_s, u"ActionFileSaveAll"_s,
                                u"ActionNetProperties"_s, u"ActionWindowClose"_s, u"ActionModelingStart"_s, u"ActionModelingPause"_s, u"ActionModelingEnd"_s,
                                u"ActionViewNetState"_s};
    QTest::newRow("modelling running")
        << u"running"_s
        << Always + QStringList{u"ActionFileSave"_s, u"ActionFileSaveAs"_s, u"ActionFileSaveAll"_s,
                                u"ActionNetProperties"_s, u"ActionWindowClose"_s, u"ActionModelingPause"_s, u"ActionModelingEnd"_s, u"ActionViewNetState"_s};
    QTest::newRow("two documents") << u"two"_s
                                   << editing + QStringList{u"ActionWindowNext"_s, u"ActionWindowPrev"_s};
}

void TDocFormTest::enablingRules()
{
    QFETCH(QString, scenario);
    QFETCH(QStringList, enabled);
    TFixture f;
    TDocForm *doc = f.Doc();
    TPetryNet *net = doc->GetNet();
    if (scenario == u"frame"_s) {
        doc->CloseDocument();
        QVERIFY(doc->IsEmptyFrame());
    } else if (scenario == u"two"_s) {
        f.Shell->NewDocument();
    } else if (scenario != u"empty"_s) {
        TPosition *p = net->AddPlace(100, 100);
        TTransfer *t = net->AddTransition(200, 100);
        QVERIFY(p && t);
        net->CancelSelection();
        p->SetSelected(true);
        if (scenario == u"arc"_s || scenario == u"bend"_s) {
            TArc *arc = TArc::CreateBetween(net, p, t);
            net->Arcs.append(arc);
            net->CancelSelection();
            arc->SetSelected(true);
            doc->Canvas().SetClickPoint(QPoint(150, 100), false);
            if (scenario == u"bend"_s) {
                arc->AddPoint(doc->Canvas().ClickPoint().x(), doc->Canvas().ClickPoint().y(), false);
                QVERIFY(arc->PointIndexAt(doc->Canvas().ClickPoint().x(), doc->Canvas().ClickPoint().y()) >= 0);
            }
        } else if (scenario == u"described"_s) {
            p->SetHasDescription(true);
            QCOMPARE(doc->InspectedElement(), p);
        } else if (scenario == u"paste"_s) {
            net->SelectAll();
            net->CopySelection();
            net->CancelSelection();
        } else if (scenario == u"paused"_s || scenario == u"running"_s) {
            doc->Execute(doc->Commands().ActionModelingStart);
            QVERIFY(net->Modelling);
            QVERIFY(doc->Commands().ActionModelingPause->isChecked());
            if (scenario == u"running"_s) {
                doc->Execute(doc->Commands().ActionModelingStart);
                QVERIFY(doc->ModellingRunning());
                QVERIFY(Drv(doc).ExecTimer()->isActive());
            }
        }
    }
    doc->UpdateActions();
    for (const QString &name : AllActions) {
        QAction *a = doc->findChild<QAction *>(name);
        QVERIFY2(a, qPrintable(name));
        QVERIFY2(a->isEnabled() == enabled.contains(name),
                 qPrintable(name + (a->isEnabled() ? u" is enabled"_s : u" is disabled"_s)));
    }
}

void TDocFormTest::menus_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("file") << 0 << u"&Файл"_s
                          << QStringList{u"Созд&ать..."_s, u"&Открыть..."_s, u"Последние &файлы"_s, u"-"_s, u"&Сохранить"_s,
                                         u"Сохранить &как..."_s, u"Сохранить &все"_s, u"-"_s,
                                         u"&Экспорт рисунка..."_s, u"&Печать..."_s, u"-"_s, u"Св&ойства"_s,
                                         u"-"_s, u"Вы&ход"_s + Blanks(21) + u"\tAlt+F4"_s};
    QTest::newRow("edit") << 1 << u"&Правка"_s
                          << QStringList{u"&Отменить"_s, u"&Вернуть"_s, u"-"_s, u"&Копировать"_s, u"Вст&авить"_s, u"&Вырезать"_s,
                                         u"&Удалить"_s, u"-"_s, u"Вы&брать все"_s, u"От&менить выбор"_s, u"-"_s,
                                         u"Добавть о&писание"_s, u"Удал&ить описание"_s, u"-"_s,
                                         u"Изменить напрвление &дуг"_s + Blanks(9) + u"\tCtrl+Alt+D"_s,
                                         u"&Создать точку поворота"_s, u"Удалить последнюю &точку  "_s};
    QTest::newRow("view") << 2 << u"&Вид"_s
                          << QStringList{u"&Панели инструментов"_s, u"-"_s,
                                         u"&Инспектор сети"_s + Blanks(11) + u"\tCtrl+Alt+I"_s,
                                         u"Сос&тояния сети"_s};
    QTest::newRow("net") << 3 << u"&Сеть"_s
                         << QStringList{u"&Выбор"_s, u"-"_s, u"&Позиция"_s, u"П&ереход"_s, u"&Дуга"_s, u"-"_s,
                                        u"Установка &фишек"_s, u"&Установка кратности дуг"_s + Blanks(17) + u"\tF7"_s};
    QTest::newRow("modelling") << 4 << u"&Моделирование"_s
                               << QStringList{u"&Начать моделирование"_s + Blanks(5) + u"\tF9"_s, u"-"_s,
                                              u"&Приостановить моделирование"_s + Blanks(5),
                                              u"&Завершить моделирование"_s + Blanks(9) + u"\tAlt+F9"_s};
    QTest::newRow("analysis") << 5 << u"&Анализ"_s
                              << QStringList{u"&Свойства сети..."_s, u"&Граф достижимости..."_s,
                                             u"&Инварианты..."_s};
    QTest::newRow("window") << 6 << u"&Окно"_s
                            << QStringList{u"&Закрыть"_s + Blanks(23) + u"\tCtrl+F4"_s, u"-"_s, u"&Следующее"_s,
                                           u"&Предыдущее"_s, u"-"_s, u"Список &окон..."_s, u"-"_s,
                                           u"СетьПетри1"_s};
    QTest::newRow("help") << 7 << u"Спр&авка"_s << QStringList{u"О программе..."_s};
}

void TDocFormTest::menus()
{
    QFETCH(int, index);
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    TFixture f;
    const QList<QAction *> bar = Drv(f.Doc()).MainMenuBar()->actions();
    QCOMPARE(bar.size(), 8);
    QCOMPARE(bar[index]->text(), title);
    QCOMPARE(Captions(bar[index]->menu()->actions()), items);
}

void TDocFormTest::toolbarsAndPopups()
{
    TFixture f;
    TDocForm *d = f.Doc();
    QCOMPARE(Captions(Drv(d).StandartToolBar()->actions()),
             (QStringList{u"Созд&ать..."_s, u"&Открыть..."_s, u"&Сохранить"_s, u"-"_s, u"&Отменить"_s, u"&Вернуть"_s, u"-"_s,
                          u"&Вырезать"_s, u"&Копировать"_s, u"Вст&авить"_s, u"&Удалить"_s}));
    QCOMPARE(Captions(Drv(d).NetToolBar()->actions()),
             (QStringList{u"&Выбор"_s, u"-"_s, u"&Позиция"_s, u"П&ереход"_s, u"&Дуга"_s, u"-"_s,
                          u"Установка &фишек"_s, u"&Установка кратности дуг"_s}));
    QCOMPARE(Captions(Drv(d).ModelToolBar()->actions()),
             (QStringList{u"&Начать моделирование"_s, u"-"_s, u"&Приостановить моделирование"_s,
                          u"&Завершить моделирование"_s}));
    QCOMPARE(Drv(d).StandartToolBar()->windowTitle(), u"Стандартная"_s);
    QCOMPARE(Drv(d).NetToolBar()->windowTitle(), u"Создание сети"_s);
    QCOMPARE(Drv(d).ModelToolBar()->windowTitle(), u"Моделирование"_s);
    QCOMPARE(Drv(d).MainMenuBand()->windowTitle(), u"Главное меню"_s);
    QCOMPARE(Captions(Drv(d).ToolBarsMenu()->actions()),
             (QStringList{u"&Стандартная"_s, u"С&оздание сети"_s, u"&Моделирование"_s}));
    QCOMPARE(Captions(Drv(d).BarsPopup()->actions()),
             (QStringList{u"&Стандартная"_s, u"С&оздание сети"_s, u"&Моделирование"_s, u"-"_s,
                          u"&Инспектор сети"_s, u"Сос&тояния сети"_s}));
    QCOMPARE(Captions(Drv(d).CanvasPopup()->actions()),
             (QStringList{u"&Отменить"_s, u"-"_s, u"&Копировать"_s, u"Вст&авить"_s, u"&Вырезать"_s,
                          u"&Удалить"_s, u"-"_s, u"Изменить направление &дуги"_s, u"&Создать точку поворота"_s,
                          u"Удалить &точку поворота"_s}));
    QCOMPARE(Captions(Drv(d).PlacePopup()->actions()),
             (QStringList{u"&Режим выбора элементов\tF2"_s, u"-"_s, u"&Создать позицию"_s}));
    QCOMPARE(Captions(Drv(d).TransitionPopup()->actions()),
             (QStringList{u"&Режим выбора элементов\tF2"_s, u"-"_s, u"&Создать переход"_s}));
    // The popup entry runs the selection instrument.
    d->Execute(d->Commands().ActionNetDoArc);
    Drv(d).PlacePopup()->actions().constFirst()->trigger();
    QCOMPARE(Drv(d).Instrument(), quint8(0));
    QVERIFY(d->Commands().ActionNetDoSelection->isChecked());
}

void TDocFormTest::newWindow()
{
    TFixture f;
    TDocForm *d = f.Doc();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QCOMPARE(d->windowTitle(), u"СетьПетри1 - Сети Петри"_s);
    QCOMPARE(d->GetNet()->FileName, u"СетьПетри1.qvx"_s);
    QVERIFY(d->NeedsSaveAs());
    QVERIFY(!d->IsEmptyFrame());
    QCOMPARE(d->GetNet()->SheetWidth, 710);
    QCOMPARE(d->GetNet()->SheetHeight, 510);
    QVERIFY(Drv(d).MainMenuBar()->HasCloseButton());
    QVERIFY(Drv(d).NetInspector()->isVisible());
    QVERIFY(!Drv(d).NetState()->isVisible());
    QVERIFY(!d->Commands().ActionViewNetState->isChecked());
    QVERIFY(d->Commands().ActionViewInspector->isChecked());
    QVERIFY(!Drv(d).RunsPanel()->isVisible());
    QVERIFY(Drv(d).DSBPanel()->isVisible() && Drv(d).RSBPanel()->isVisible());
    QCOMPARE(Drv(d).InfoPanel()->Caption(), d->GetNet()->NetName);
    QCOMPARE(Drv(d).StatusBar()->height(), 17);
    QCOMPARE(Drv(d).InfoPanel()->geometry().x(), 1);
    QCOMPARE(Drv(d).SelectionInfo()->geometry().x(), 300);
    QCOMPARE(Drv(d).Gripper()->x(), Drv(d).StatusBar()->width() - 13);
    QCOMPARE(Drv(d).PropCall()->size(), QSize(14, 14));
    QCOMPARE(Drv(d).PropCall()->Glyph(), TGKGlyph::LeftArrow);
    QCOMPARE(Drv(d).LeftPanel()->width(), 200);
    // The standard toolbar shows, the net toolbar right after it on the same row.
    QVERIFY(Drv(d).StandartToolBar()->isVisible());
    QVERIFY(Drv(d).NetToolBar()->isVisible() && Drv(d).ModelToolBar()->isVisible());
    QCOMPARE(Drv(d).NetToolBar()->y(), Drv(d).StandartToolBar()->y());
    QVERIFY(Drv(d).NetToolBar()->x() >= Drv(d).StandartToolBar()->x() + Drv(d).StandartToolBar()->width());
    QVERIFY(Drv(d).ModelToolBar()->x() >= Drv(d).NetToolBar()->x() + Drv(d).NetToolBar()->width());
    QVERIFY(Drv(d).MainMenuBand()->y() < Drv(d).StandartToolBar()->y());
    for (QToolBar *bar : {static_cast<QToolBar *>(Drv(d).StandartToolBar()), static_cast<QToolBar *>(Drv(d).NetToolBar())})
        for (QAction *a : bar->actions())
            if (!a->isSeparator())
                QCOMPARE(bar->widgetForAction(a)->size(), QSize(21, 21));
}

void TDocFormTest::toolbarCommandsFollowEnabledState()
{
    TFixture f;
    TDocForm *d = f.Doc();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    QVERIFY(d->Commands().ActionViewStdToolBar->isChecked());
    d->Commands().ActionViewStdToolBar->trigger();
    QVERIFY(!d->Commands().ActionViewStdToolBar->isChecked());
    QVERIFY(!Drv(d).StandartToolBar()->isVisible());
    QVERIFY(!Drv(d).StandartToolBar()->isEnabled());
    d->UpdateActions();
    QVERIFY(!d->Commands().ActionViewStdToolBar->isChecked());
    d->Commands().ActionViewStdToolBar->trigger();
    QVERIFY(Drv(d).StandartToolBar()->isVisible());
    QVERIFY(Drv(d).StandartToolBar()->isEnabled());
    // Hiding a toolbar some other way keeps the mark: it follows the enabled state.
    Drv(d).ModelToolBar()->hide();
    d->UpdateActions();
    QVERIFY(d->Commands().ActionViewModelToolBar->isChecked());
    Drv(d).ModelToolBar()->setEnabled(false);
    d->UpdateActions();
    QVERIFY(!d->Commands().ActionViewModelToolBar->isChecked());

    d->Commands().ActionViewInspector->trigger();
    QVERIFY(!Drv(d).NetInspector()->isVisible());
    QVERIFY(!Drv(d).LeftPanel()->isVisible());
    d->Commands().ActionViewInspector->trigger();
    QVERIFY(Drv(d).NetInspector()->isVisible());
    QVERIFY(Drv(d).LeftPanel()->isVisible());
}

void TDocFormTest::editMenuMakesSelectionCurrent()
{
    TFixture f;
    TDocForm *d = f.Doc();
    d->Execute(d->Commands().ActionNetDoPosition);
    QCOMPARE(Drv(d).Instrument(), quint8(1));
    emit Drv(d).EditMenu()->aboutToShow();
    QCOMPARE(Drv(d).Instrument(), quint8(0));
    QVERIFY(d->Commands().ActionNetDoSelection->isChecked());
    // Other menus leave the instrument alone.
    d->Execute(d->Commands().ActionNetDoArc);
    emit Drv(d).NetMenu()->aboutToShow();
    QCOMPARE(Drv(d).Instrument(), quint8(3));
}

void TDocFormTest::instrumentsAreOneRadioGroup()
{
    TFixture f;
    TDocForm *d = f.Doc();
    QVERIFY(d->Commands().ActionNetDoSelection->isChecked());
    QCOMPARE(Drv(d).DocArea()->property("CanvasHints").toBool(), false);
    quint8 tag = 0;
    for (QAction *a : {d->Commands().ActionNetDoSelection, d->Commands().ActionNetDoPosition, d->Commands().ActionNetDoTransfer, d->Commands().ActionNetDoArc,
                       d->Commands().ActionNetDoPoint, d->Commands().ActionNetArcCrate}) {
        d->Execute(a);
        QCOMPARE(Drv(d).Instrument(), tag);
        QCOMPARE(d->Commands().InstrumentGroup->checkedAction(), a);
        QCOMPARE(Drv(d).DocArea()->property("CanvasHints").toBool(), tag == 0);
        ++tag;
    }
}

void TDocFormTest::statusTexts()
{
    QCOMPARE(TDocForm::SelectionText(2, 7, 3, 2, 2), u"2 из 7(3, 2, 2) элементов выбрано."_s);
    TFixture f;
    TDocForm *d = f.Doc();
    QCOMPARE(Drv(d).SelectionInfo()->Caption(), u"0 из 0(0, 0, 0) элементов выбрано."_s);
    d->GetNet()->AddPlace(100, 100);
    d->GetNet()->AddPlace(150, 100);
    d->GetNet()->AddTransition(200, 100);
    d->GetNet()->CancelSelection();
    d->GetNet()->Place(0)->SetSelected(true);
    QCOMPARE(Drv(d).SelectionInfo()->Caption(), u"1 из 3(2, 1, 0) элементов выбрано."_s);
    d->Execute(d->Commands().ActionEditSelectAll);
    QCOMPARE(Drv(d).SelectionInfo()->Caption(), u"3 из 3(2, 1, 0) элементов выбрано."_s);
    d->Execute(d->Commands().ActionEditCancSel);
    QCOMPARE(Drv(d).SelectionInfo()->Caption(), u"0 из 3(2, 1, 0) элементов выбрано."_s);
}

void TDocFormTest::modellingQuestionOnClose()
{
    TFixture f;
    TDocForm *d = f.Doc();
    d->GetNet()->AddPlace(100, 100);
    d->GetNet()->AddTransition(200, 100);
    d->Execute(d->Commands().ActionModelingStart);
    d->Execute(d->Commands().ActionModelingStart); // running
    QVERIFY(d->ModellingRunning());
    f.Prompts->Answers = {QMessageBox::No};
    d->CloseDocument();
    QCOMPARE(f.Prompts->Asked.size(), 1);
    QCOMPARE(f.Prompts->Asked[0].Text, u"Сеть в режиме моделирования.\r\nЗавершить?"_s);
    QCOMPARE(f.Prompts->Asked[0].Caption, u"Сети Петри"_s);
    QCOMPARE(f.Prompts->Asked[0].Buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(f.Prompts->Asked[0].Default, QMessageBox::No);
    // The close is abandoned and modelling stays paused.
    QCOMPARE(f.Shell->DocumentCount(), 1);
    QVERIFY(d->GetNet()->Modelling);
    QVERIFY(d->Commands().ActionModelingPause->isChecked());
    QVERIFY(!Drv(d).ExecTimer()->isActive());

    // Yes ends modelling, then asks about saving.
    f.Prompts->Answers = {QMessageBox::Yes, QMessageBox::Cancel};
    d->CloseDocument();
    QCOMPARE(f.Prompts->Asked.size(), 3);
    QVERIFY(!d->GetNet()->Modelling);
    QCOMPARE(f.Prompts->Asked[2].Text, u"Сохранить изменения в документе СетьПетри1?    "_s);
    QCOMPARE(f.Shell->DocumentCount(), 1);
}

void TDocFormTest::shortcutRunsCommand()
{
    TFixture f;
    TDocForm *d = f.Doc();
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QTest::keyClick(d, Qt::Key_F3);
    QCOMPARE(Drv(d).Instrument(), quint8(1));
    QTest::keyClick(d, Qt::Key_F2);
    QCOMPARE(Drv(d).Instrument(), quint8(0));
}

QTEST_MAIN(TDocFormTest)
#include "tst_docform.moc"
