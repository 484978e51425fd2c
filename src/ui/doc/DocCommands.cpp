// The window's command table: captions, hints, shortcuts and images of the
// commands, and how a command runs under its enabling rule.
#include "DocCommands.h"

#include "controls/GKActnCtrls.h"
#include "controls/MenuImages.h"

#include <QAction>
#include <QActionGroup>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

TDocCommands::TDocCommands(QWidget *window, TCommandHost &host)
    : Host(host)
{
    CreateActions(window);
}

TDocCommands::~TDocCommands() = default;

namespace {
struct TActionDef
{
    QAction *TDocCommands::*Field;
    const char *Name;
    QString Caption;
    QString Hint;
    QList<QKeySequence> Keys;
    int Image;
};

QKeySequence Key(QKeyCombination combination)
{
    return QKeySequence(combination);
}

const Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
const Qt::KeyboardModifiers CtrlAlt = Qt::ControlModifier | Qt::AltModifier;
} // namespace

void TDocCommands::CreateActions(QWidget *window)
{
    const QString none;
    const std::vector<TActionDef> defs = {
        {&TDocCommands::ActionFileNew, "ActionFileNew", u"Созд&ать..."_s, u"Создать"_s, {Key(Ctrl | Qt::Key_N)}, 3},
        {&TDocCommands::ActionFileOpen, "ActionFileOpen", u"&Открыть..."_s, u"Открыть"_s, {Key(Ctrl | Qt::Key_O)}, 4},
        {&TDocCommands::ActionFileSave, "ActionFileSave", u"&Сохранить"_s, u"Сохранить"_s, {Key(Ctrl | Qt::Key_S)}, 8},
        {&TDocCommands::ActionFileSaveAs, "ActionFileSaveAs", u"Сохранить &как..."_s, none, {}, -1},
        {&TDocCommands::ActionFileSaveAll, "ActionFileSaveAll", u"Сохранить &все"_s, none, {}, -1},
        {&TDocCommands::ActionNetProperties, "ActionNetProperties", u"Св&ойства"_s, none,
         {Key(Ctrl | Qt::Key_Return), Key(Ctrl | Qt::Key_Enter)}, 29},
        {&TDocCommands::ActionFileExit, "ActionFileExit", u"Вы&ход"_s, none, {Key(Qt::AltModifier | Qt::Key_F4)}, -1},
        {&TDocCommands::ActionEditUndo, "ActionEditUndo", u"&Отменить"_s, u"Отменить"_s, {Key(Ctrl | Qt::Key_Z)}, 9},
        {&TDocCommands::ActionEditRedo, "ActionEditRedo", u"&Вернуть"_s, u"Вернуть"_s,
         {Key(Ctrl | Qt::Key_Y), Key(Ctrl | Qt::ShiftModifier | Qt::Key_Z)}, 30},
        {&TDocCommands::ActionEditCopy, "ActionEditCopy", u"&Копировать"_s, u"Копировать"_s,
         {Key(Ctrl | Qt::Key_C), Key(Ctrl | Qt::Key_Insert)}, 0},
        {&TDocCommands::ActionEditPaste, "ActionEditPaste", u"Вст&авить"_s, u"Вставить"_s,
         {Key(Ctrl | Qt::Key_V), Key(Qt::ShiftModifier | Qt::Key_Insert)}, 5},
        {&TDocCommands::ActionEditCut, "ActionEditCut", u"&Вырезать"_s, u"Вырезать"_s,
         {Key(Ctrl | Qt::Key_X), Key(Qt::ShiftModifier | Qt::Key_Delete)}, 1},
        {&TDocCommands::ActionEditDelete, "ActionEditDelete", u"&Удалить"_s, u"Удалить"_s,
         {Key(Ctrl | Qt::Key_Delete)}, 2},
        {&TDocCommands::ActionEditSelectAll, "ActionEditSelectAll", u"Вы&брать все"_s, none, {Key(Ctrl | Qt::Key_A)}, -1},
        {&TDocCommands::ActionEditCancSel, "ActionEditCancSel", u"От&менить выбор"_s, none,
         {Key(Ctrl | Qt::ShiftModifier | Qt::Key_A)}, -1},
        {&TDocCommands::ActionEditCreateDescr, "ActionEditCreateDescr", u"Добавть о&писание"_s,
         u"Добавть описание"_s, {}, 25},
        {&TDocCommands::ActionEditDelDescr, "ActionEditDelDescr", u"Удал&ить описание"_s, u"Удалить описание"_s, {},
         26},
        {&TDocCommands::ActionEditInvDirection, "ActionEditInvDirection", u"Изменить направление &дуг"_s, none,
         {Key(CtrlAlt | Qt::Key_D)}, 21},
        {&TDocCommands::ActionEditArcAddPoint, "ActionEditArcAddPoint", u"&Создать точку поворота"_s, none,
         {Key(Ctrl | Qt::Key_R)}, 22},
        {&TDocCommands::ActionEditArcDelPoint, "ActionEditArcDelPoint", u"Удалить последнюю &точку  "_s, none,
         {Key(CtrlAlt | Qt::Key_R)}, 20},
        {&TDocCommands::ActionEditInvDirC, "ActionEditInvDirC", u"Изменить направление &дуги"_s, none, {}, 21},
        {&TDocCommands::ActionEditArcAddPointC, "ActionEditArcAddPointC", u"&Создать точку поворота"_s, none, {}, 22},
        {&TDocCommands::ActionEditArcDelPointC, "ActionEditArcDelPointC", u"Удалить &точку поворота"_s, none, {}, 20},
        {&TDocCommands::ActionNetDoSelection, "ActionNetDoSelection", u"&Выбор"_s, u"Выбор"_s, {Key(Qt::Key_F2)}, 13},
        {&TDocCommands::ActionNetDoPosition, "ActionNetDoPosition", u"&Позиция"_s, u"Позиция"_s, {Key(Qt::Key_F3)}, 15},
        {&TDocCommands::ActionNetDoTransfer, "ActionNetDoTransfer", u"П&ереход"_s, u"Переход"_s, {Key(Qt::Key_F4)}, 19},
        {&TDocCommands::ActionNetDoArc, "ActionNetDoArc", u"&Дуга"_s, u"Дуга"_s, {Key(Qt::Key_F5)}, 16},
        {&TDocCommands::ActionNetDoPoint, "ActionNetDoPoint", u"Установка &фишек"_s, u"Установка фишек"_s,
         {Key(Qt::Key_F6)}, 14},
        {&TDocCommands::ActionNetArcCrate, "ActionNetArcCrate", u"&Установка кратности дуг"_s,
         u"&Установка кратности дуг"_s, {Key(Qt::Key_F7)}, 28},
        {&TDocCommands::ActionNetCreatePos, "ActionNetCreatePos", u"&Создать позицию"_s, none, {}, 15},
        {&TDocCommands::ActionNetCreateTransfer, "ActionNetCreateTransfer", u"&Создать переход"_s, none, {}, 19},
        {&TDocCommands::ActionModelingStart, "ActionModelingStart", u"&Начать моделирование"_s,
         u"Начать моделирование"_s, {Key(Qt::Key_F9)}, 23},
        {&TDocCommands::ActionModelingPause, "ActionModelingPause", u"&Приостановить моделирование"_s,
         u"Приостановить моделирование"_s, {}, 27},
        {&TDocCommands::ActionModelingEnd, "ActionModelingEnd", u"&Завершить моделирование"_s,
         u"Завершить моделирование"_s, {Key(Qt::AltModifier | Qt::Key_F9)}, 24},
        {&TDocCommands::ActionViewStdToolBar, "ActionViewStdToolBar", u"&Стандартная"_s, none, {}, -1},
        {&TDocCommands::ActionViewNetToolBar, "ActionViewNetToolBar", u"С&оздание сети"_s, none, {}, -1},
        {&TDocCommands::ActionViewModelToolBar, "ActionViewModelToolBar", u"&Моделирование"_s, none, {}, -1},
        {&TDocCommands::ActionViewInspector, "ActionViewInspector", u"&Инспектор сети"_s, none,
         {Key(CtrlAlt | Qt::Key_I)}, -1},
        {&TDocCommands::ActionViewNetState, "ActionViewNetState", u"Сос&тояния сети"_s, none, {Key(CtrlAlt | Qt::Key_S)},
         -1},
        {&TDocCommands::ActionWindowClose, "ActionWindowClose", u"&Закрыть"_s, u"Закрыть текущий документ"_s,
         {Key(Ctrl | Qt::Key_F4)}, 10},
        {&TDocCommands::ActionWindowNext, "ActionWindowNext", u"&Следующее"_s, u"Переход к следующему документу"_s,
         {Key(Ctrl | Qt::Key_F6)}, 17},
        {&TDocCommands::ActionWindowPrev, "ActionWindowPrev", u"&Предыдущее"_s, u"Перейти к предыдущему документу"_s,
         {Key(Qt::ShiftModifier | Qt::Key_F6)}, 18},
        {&TDocCommands::ActionWindowList, "ActionWindowList", u"Список &окон..."_s, u"Список открытых документов"_s,
         {Key(Qt::AltModifier | Qt::Key_0)}, 12},
        {&TDocCommands::ActionWndMe, "ActionWndMe", u"СетьПетри"_s, none, {}, -1},
        {&TDocCommands::ActionAbout, "ActionAbout", u"О программе..."_s, none, {}, -1},
        {&TDocCommands::ActionFileExport, "ActionFileExport", u"&Экспорт рисунка..."_s, none, {}, -1},
        {&TDocCommands::ActionFilePrint, "ActionFilePrint", u"&Печать..."_s, u"Печать"_s, {Key(Ctrl | Qt::Key_P)}, -1},
        {&TDocCommands::ActionAnalysisProperties, "ActionAnalysisProperties", u"&Свойства сети..."_s, none, {}, -1},
        {&TDocCommands::ActionAnalysisGraph, "ActionAnalysisGraph", u"&Граф достижимости..."_s, none, {}, -1},
        {&TDocCommands::ActionAnalysisInvariants, "ActionAnalysisInvariants", u"&Инварианты..."_s, none, {}, -1},
    };
    for (const TActionDef &def : defs) {
        auto *action = new QAction(def.Caption, window);
        action->setObjectName(QLatin1String(def.Name));
        action->setProperty("Hint", def.Hint);
        if (!def.Hint.isEmpty())
            action->setToolTip(def.Hint);
        action->setShortcuts(def.Keys);
        action->setProperty("ImageIndex", def.Image);
        if (def.Image >= 0)
            action->setIcon(MenuImage(def.Image));
        this->*def.Field = action;
        ActionManager << action;
    }
    window->addActions(ActionManager);

    InstrumentGroup = new QActionGroup(window);
    InstrumentGroup->setExclusive(true);
    int tag = 0;
    for (QAction *a : {ActionNetDoSelection, ActionNetDoPosition, ActionNetDoTransfer, ActionNetDoArc,
                       ActionNetDoPoint, ActionNetArcCrate}) {
        a->setCheckable(true);
        a->setData(tag++);
        InstrumentGroup->addAction(a);
    }
    ActionNetDoSelection->setChecked(true);
    for (QAction *a : {ActionModelingPause, ActionViewStdToolBar, ActionViewNetToolBar, ActionViewModelToolBar,
                       ActionViewInspector, ActionViewNetState, ActionWndMe})
        a->setCheckable(true);
    for (QAction *a : {ActionViewStdToolBar, ActionViewNetToolBar, ActionViewModelToolBar, ActionViewInspector,
                       ActionViewNetState, ActionWndMe})
        a->setChecked(true);
}

void TDocCommands::Handle(QAction *action, std::function<void()> handler)
{
    connect(action, &QAction::triggered, this, [this, action, handler](bool) {
        Host.PrepareCommand(action);
        if (!RefreshRule(action)) {
            // A stale state let a disabled command through: undo its check flip.
            if (action->isCheckable() && !action->actionGroup()) {
                const QSignalBlocker blocker(action);
                action->setChecked(!action->isChecked());
            }
            return;
        }
        Host.RunCommand(handler);
    });
}

void TDocCommands::SetRule(QAction *action, TRule rule)
{
    Rules[action] = std::move(rule);
}

void TDocCommands::BindToolBar(QAction *action, TGKToolBar *bar)
{
    ToolBarCommands[action] = bar;
    Handle(action, [action, bar] {
        if (action->isChecked()) {
            bar->setEnabled(true);
            bar->show();
        } else {
            bar->hide();
            bar->setEnabled(false);
        }
    });
}

bool TDocCommands::RefreshRule(QAction *action)
{
    const auto it = Rules.find(action);
    if (it != Rules.end())
        action->setEnabled(it->second());
    return action->isEnabled();
}

void TDocCommands::UpdateAll()
{
    for (const auto &[action, rule] : Rules)
        action->setEnabled(rule());
    // The check marks of the toolbar commands follow each toolbar's enabled state.
    for (const auto &[action, bar] : ToolBarCommands)
        action->setChecked(bar->isEnabled());
    ActionWndMe->setChecked(true);
}

void TDocCommands::Execute(QAction *action)
{
    RefreshRule(action);
    if (action->isEnabled())
        action->trigger();
}

void TDocCommands::TriggerUnruled(QAction *action)
{
    const auto it = Rules.find(action);
    if (it == Rules.end()) {
        action->trigger();
        return;
    }
    const TRule rule = it->second;
    Rules.erase(it);
    action->setEnabled(true);
    action->trigger();
    Rules[action] = rule;
}
