// The window's commands: captions, hints, shortcuts and images; their places
// in the menus, toolbars and popups; and their enabling rules.
#include "DocForm.h"

#include "CanvasController.h"
#include "controls/MenuImages.h"
#include "PetryNet.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {
struct TActionDef
{
    QAction *TDocForm::*Field;
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

QString Padded(const QString &caption, int blanks)
{
    return caption + QString(blanks, QLatin1Char(' '));
}

const Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
const Qt::KeyboardModifiers CtrlAlt = Qt::ControlModifier | Qt::AltModifier;
} // namespace

void TDocForm::CreateActions()
{
    const QString none;
    const std::vector<TActionDef> defs = {
        {&TDocForm::ActionFileNew, "ActionFileNew", u"Созд&ать..."_s, u"Создать"_s, {Key(Ctrl | Qt::Key_N)}, 3},
        {&TDocForm::ActionFileOpen, "ActionFileOpen", u"&Открыть..."_s, u"Открыть"_s, {Key(Ctrl | Qt::Key_O)}, 4},
        {&TDocForm::ActionFileSave, "ActionFileSave", u"&Сохранить"_s, u"Сохранить"_s, {Key(Ctrl | Qt::Key_S)}, 8},
        {&TDocForm::ActionFileSaveAs, "ActionFileSaveAs", u"Сохранить &как..."_s, none, {}, -1},
        {&TDocForm::ActionFileSaveAll, "ActionFileSaveAll", u"Сохранить &все"_s, none, {}, -1},
        {&TDocForm::ActionNetProperties, "ActionNetProperties", u"Св&ойства"_s, none,
         {Key(Ctrl | Qt::Key_Return), Key(Ctrl | Qt::Key_Enter)}, 29},
        {&TDocForm::ActionFileExit, "ActionFileExit", u"Вы&ход"_s, none, {Key(Qt::AltModifier | Qt::Key_F4)}, -1},
        {&TDocForm::ActionEditUndo, "ActionEditUndo", u"&Отменить"_s, u"Отменить"_s, {Key(Ctrl | Qt::Key_Z)}, 9},
        {&TDocForm::ActionEditCopy, "ActionEditCopy", u"&Копировать"_s, u"Копировать"_s,
         {Key(Ctrl | Qt::Key_C), Key(Ctrl | Qt::Key_Insert)}, 0},
        {&TDocForm::ActionEditPaste, "ActionEditPaste", u"Вст&авить"_s, u"Вставить"_s,
         {Key(Ctrl | Qt::Key_V), Key(Qt::ShiftModifier | Qt::Key_Insert)}, 5},
        {&TDocForm::ActionEditCut, "ActionEditCut", u"&Вырезать"_s, u"Вырезать"_s,
         {Key(Ctrl | Qt::Key_X), Key(Qt::ShiftModifier | Qt::Key_Delete)}, 1},
        {&TDocForm::ActionEditDelete, "ActionEditDelete", u"&Удалить"_s, u"Удалить"_s,
         {Key(Ctrl | Qt::Key_Delete)}, 2},
        {&TDocForm::ActionEditSelectAll, "ActionEditSelectAll", u"Вы&брать все"_s, none, {Key(Ctrl | Qt::Key_A)}, -1},
        {&TDocForm::ActionEditCancSel, "ActionEditCancSel", u"От&менить выбор"_s, none,
         {Key(Ctrl | Qt::ShiftModifier | Qt::Key_A)}, -1},
        {&TDocForm::ActionEditCreateDescr, "ActionEditCreateDescr", u"Добавть о&писание"_s,
         u"Добавть описание"_s, {}, 25},
        {&TDocForm::ActionEditDelDescr, "ActionEditDelDescr", u"Удал&ить описание"_s, u"Удалить описание"_s, {},
         26},
        {&TDocForm::ActionEditInvDirection, "ActionEditInvDirection", u"Изменить направление &дуг"_s, none,
         {Key(CtrlAlt | Qt::Key_D)}, 21},
        {&TDocForm::ActionEditArcAddPoint, "ActionEditArcAddPoint", u"&Создать точку поворота"_s, none,
         {Key(Ctrl | Qt::Key_R)}, 22},
        {&TDocForm::ActionEditArcDelPoint, "ActionEditArcDelPoint", u"Удалить последнюю &точку  "_s, none,
         {Key(CtrlAlt | Qt::Key_R)}, 20},
        {&TDocForm::ActionEditInvDirC, "ActionEditInvDirC", u"Изменить направление &дуги"_s, none, {}, 21},
        {&TDocForm::ActionEditArcAddPointC, "ActionEditArcAddPointC", u"&Создать точку поворота"_s, none, {}, 22},
        {&TDocForm::ActionEditArcDelPointC, "ActionEditArcDelPointC", u"Удалить &точку поворота"_s, none, {}, 20},
        {&TDocForm::ActionNetDoSelection, "ActionNetDoSelection", u"&Выбор"_s, u"Выбор"_s, {Key(Qt::Key_F2)}, 13},
        {&TDocForm::ActionNetDoPosition, "ActionNetDoPosition", u"&Позиция"_s, u"Позиция"_s, {Key(Qt::Key_F3)}, 15},
        {&TDocForm::ActionNetDoTransfer, "ActionNetDoTransfer", u"П&ереход"_s, u"Переход"_s, {Key(Qt::Key_F4)}, 19},
        {&TDocForm::ActionNetDoArc, "ActionNetDoArc", u"&Дуга"_s, u"Дуга"_s, {Key(Qt::Key_F5)}, 16},
        {&TDocForm::ActionNetDoPoint, "ActionNetDoPoint", u"Установка &фишек"_s, u"Установка фишек"_s,
         {Key(Qt::Key_F6)}, 14},
        {&TDocForm::ActionNetArcCrate, "ActionNetArcCrate", u"&Установка кратности дуг"_s,
         u"&Установка кратности дуг"_s, {Key(Qt::Key_F7)}, 28},
        {&TDocForm::ActionNetCreatePos, "ActionNetCreatePos", u"&Создать позицию"_s, none, {}, 15},
        {&TDocForm::ActionNetCreateTransfer, "ActionNetCreateTransfer", u"&Создать переход"_s, none, {}, 19},
        {&TDocForm::ActionModelingStart, "ActionModelingStart", u"&Начать моделирование"_s,
         u"Начать моделирование"_s, {Key(Qt::Key_F9)}, 23},
        {&TDocForm::ActionModelingPause, "ActionModelingPause", u"&Приостановить моделирование"_s,
         u"Приостановить моделирование"_s, {}, 27},
        {&TDocForm::ActionModelingEnd, "ActionModelingEnd", u"&Завершить моделирование"_s,
         u"Завершить моделирование"_s, {Key(Qt::AltModifier | Qt::Key_F9)}, 24},
        {&TDocForm::ActionViewStdToolBar, "ActionViewStdToolBar", u"&Стандартная"_s, none, {}, -1},
        {&TDocForm::ActionViewNetToolBar, "ActionViewNetToolBar", u"С&оздание сети"_s, none, {}, -1},
        {&TDocForm::ActionViewModelToolBar, "ActionViewModelToolBar", u"&Моделирование"_s, none, {}, -1},
        {&TDocForm::ActionViewInspector, "ActionViewInspector", u"&Инспектор сети"_s, none,
         {Key(CtrlAlt | Qt::Key_I)}, -1},
        {&TDocForm::ActionViewNetState, "ActionViewNetState", u"Сос&тояния сети"_s, none, {Key(CtrlAlt | Qt::Key_S)},
         -1},
        {&TDocForm::ActionWindowClose, "ActionWindowClose", u"&Закрыть"_s, u"Закрыть текущий документ"_s,
         {Key(Ctrl | Qt::Key_F4)}, 10},
        {&TDocForm::ActionWindowNext, "ActionWindowNext", u"&Следующее"_s, u"Переход к следующему документу"_s,
         {Key(Ctrl | Qt::Key_F6)}, 17},
        {&TDocForm::ActionWindowPrev, "ActionWindowPrev", u"&Предыдущее"_s, u"Перейти к предыдущему документу"_s,
         {Key(Qt::ShiftModifier | Qt::Key_F6)}, 18},
        {&TDocForm::ActionWindowList, "ActionWindowList", u"Список &окон..."_s, u"Список открытых документов"_s,
         {Key(Qt::AltModifier | Qt::Key_0)}, 12},
        {&TDocForm::ActionWndMe, "ActionWndMe", u"СетьПетри"_s, none, {}, -1},
        {&TDocForm::ActionAbout, "ActionAbout", u"О программе..."_s, none, {}, -1},
    };
    for (const TActionDef &def : defs) {
        auto *action = new QAction(def.Caption, this);
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
    addActions(ActionManager);

    InstrumentGroup = new QActionGroup(this);
    InstrumentGroup->setExclusive(true);
    int tag = 0;
    for (QAction *a : {ActionNetDoSelection, ActionNetDoPosition, ActionNetDoTransfer, ActionNetDoArc,
                       ActionNetDoPoint, ActionNetArcCrate}) {
        a->setCheckable(true);
        a->setData(tag++);
        InstrumentGroup->addAction(a);
        Handle(a, [this, a] { SelectInstrument(a); });
    }
    ActionNetDoSelection->setChecked(true);
    for (QAction *a : {ActionModelingPause, ActionViewStdToolBar, ActionViewNetToolBar, ActionViewModelToolBar,
                       ActionViewInspector, ActionViewNetState, ActionWndMe})
        a->setCheckable(true);
    for (QAction *a : {ActionViewStdToolBar, ActionViewNetToolBar, ActionViewModelToolBar, ActionViewInspector,
                       ActionViewNetState, ActionWndMe})
        a->setChecked(true);
    ToolBarCommands = {{ActionViewStdToolBar, StandartToolBar},
                       {ActionViewNetToolBar, NetToolBar},
                       {ActionViewModelToolBar, ModelToolBar}};
    for (const auto &[action, bar] : ToolBarCommands)
        Handle(action, [this, a = action, b = bar] { ToolBarCommand(a, b); });

    Handle(ActionFileNew, [this] { ActionFileNewExecute(); });
    Handle(ActionFileOpen, [this] { ActionFileOpenExecute(); });
    Handle(ActionFileSave, [this] { ActionFileSaveExecute(); });
    Handle(ActionFileSaveAs, [this] { ActionFileSaveAsExecute(); });
    Handle(ActionFileSaveAll, [this] { Shell->SaveAll(); });
    Handle(ActionNetProperties, [this] { ActionNetPropertiesExecute(); });
    Handle(ActionFileExit, [this] { Shell->ExitApplication(); });
    Handle(ActionEditUndo, [this] { ActionEditUndoExecute(); });
    Handle(ActionEditCopy, [this] { ActionEditCopyExecute(); });
    Handle(ActionEditPaste, [this] { ActionEditPasteExecute(); });
    Handle(ActionEditCut, [this] { ActionEditCutExecute(); });
    Handle(ActionEditDelete, [this] { ActionEditDeleteExecute(); });
    Handle(ActionEditSelectAll, [this] { ActionEditSelectAllExecute(); });
    Handle(ActionEditCancSel, [this] { ActionEditCancSelExecute(); });
    Handle(ActionEditCreateDescr, [this] { ActionEditCreateDescrExecute(); });
    Handle(ActionEditDelDescr, [this] { ActionEditDelDescrExecute(); });
    Handle(ActionEditInvDirection, [this] { ActionEditInvDirectionExecute(); });
    Handle(ActionEditArcAddPoint, [this] { ActionEditArcAddPointExecute(); });
    Handle(ActionEditArcDelPoint, [this] { ActionEditArcDelPointExecute(); });
    Handle(ActionEditInvDirC, [this] { ActionEditInvDirCExecute(); });
    Handle(ActionEditArcAddPointC, [this] { ActionEditArcAddPointCExecute(); });
    Handle(ActionEditArcDelPointC, [this] { ActionEditArcDelPointCExecute(); });
    Handle(ActionNetCreatePos, [this] { ActionNetCreatePosExecute(); });
    Handle(ActionNetCreateTransfer, [this] { ActionNetCreateTransferExecute(); });
    Handle(ActionModelingStart, [this] { ActionModelingStartExecute(); });
    Handle(ActionModelingPause, [this] { ActionModelingPauseExecute(); });
    Handle(ActionModelingEnd, [this] { ActionModelingEndExecute(); });
    Handle(ActionViewInspector, [this] { ActionViewInspectorExecute(); });
    Handle(ActionViewNetState, [this] { ActionViewNetStateExecute(); });
    Handle(ActionWindowClose, [this] { CloseDocument(); });
    Handle(ActionWindowNext, [this] { Shell->ShowNextDocument(this, true); });
    Handle(ActionWindowPrev, [this] { Shell->ShowNextDocument(this, false); });
    Handle(ActionWindowList, [this] { Shell->ShowWindowList(); });
    // The own entry of the Окно menu does nothing and stays checked.
    Handle(ActionWndMe, [this] { ActionWndMe->setChecked(true); });
    Handle(ActionAbout, [this] { Shell->ShowAboutBox(); });
    CanvasPart->PropertiesButton()->SetAction(ActionNetProperties);
}

void TDocForm::Handle(QAction *action, std::function<void()> handler)
{
    connect(action, &QAction::triggered, this, [this, action, handler](bool) {
        if (action == ActionEditSelectAll)
            ActionEditSelectAllUpdate();
        if (!RefreshRule(action)) {
            // A stale state let a disabled command through: undo its check flip.
            if (action->isCheckable() && !action->actionGroup()) {
                const QSignalBlocker blocker(action);
                action->setChecked(!action->isChecked());
            }
            return;
        }
        {
            const TRefreshBatch batch(*this);
            handler();
        }
        UpdateActions();
    });
}

QAction *TDocForm::MenuItem(QAction *source, const QString &caption)
{
    // A menu entry with its own caption that runs and mirrors the command.
    auto *item = new QAction(this);
    item->setObjectName(source->objectName() + QStringLiteral("Item"));
    item->setProperty("SourceAction", QVariant::fromValue<QObject *>(source));
    auto sync = [item, source, caption] {
        QString text = caption;
        if (!source->shortcut().isEmpty())
            text += QLatin1Char('\t') + source->shortcut().toString(QKeySequence::NativeText);
        item->setText(text);
        item->setIcon(source->icon());
        item->setEnabled(source->isEnabled());
        item->setCheckable(source->isCheckable());
        item->setChecked(source->isChecked());
    };
    sync();
    connect(source, &QAction::changed, item, sync);
    connect(source, &QAction::toggled, item, sync);
    connect(item, &QAction::triggered, source, [source, sync] {
        source->trigger();
        sync();
    });
    return item;
}

void TDocForm::BuildMenus()
{
    auto addMenu = [this](const QString &title, const QString &name) {
        auto *menu = new TGKPopupMenu(MainMenuBar);
        menu->setTitle(title);
        menu->setObjectName(name);
        MainMenuBar->addMenu(menu);
        connect(menu, &QMenu::aboutToShow, this, &TDocForm::UpdateActions);
        return menu;
    };
    FileMenu = addMenu(u"&Файл"_s, u"FileMenu"_s);
    FileMenu->addActions({ActionFileNew, ActionFileOpen});
    FileMenu->addSeparator();
    FileMenu->addActions({ActionFileSave, ActionFileSaveAs, ActionFileSaveAll});
    FileMenu->addSeparator();
    FileMenu->addAction(ActionNetProperties);
    FileMenu->addSeparator();
    FileMenu->addAction(MenuItem(ActionFileExit, Padded(u"Вы&ход"_s, 21)));

    EditMenu = addMenu(u"&Правка"_s, u"EditMenu"_s);
    // Opening this menu refreshes Select All, which makes the selection instrument current.
    connect(EditMenu, &QMenu::aboutToShow, this, &TDocForm::ActionEditSelectAllUpdate);
    EditMenu->addAction(ActionEditUndo);
    EditMenu->addSeparator();
    EditMenu->addActions({ActionEditCopy, ActionEditPaste, ActionEditCut, ActionEditDelete});
    EditMenu->addSeparator();
    EditMenu->addActions({ActionEditSelectAll, ActionEditCancSel});
    EditMenu->addSeparator();
    EditMenu->addActions({ActionEditCreateDescr, ActionEditDelDescr});
    EditMenu->addSeparator();
    EditMenu->addAction(MenuItem(ActionEditInvDirection, Padded(u"Изменить напрвление &дуг"_s, 9)));
    EditMenu->addActions({ActionEditArcAddPoint, ActionEditArcDelPoint});

    ViewMenu = addMenu(u"&Вид"_s, u"ViewMenu"_s);
    ToolBarsMenu = new TGKPopupMenu(ViewMenu);
    ToolBarsMenu->setTitle(u"&Панели инструментов"_s);
    ToolBarsMenu->setObjectName(u"ToolBarsMenu"_s);
    ToolBarsMenu->addActions({ActionViewStdToolBar, ActionViewNetToolBar, ActionViewModelToolBar});
    connect(ToolBarsMenu, &QMenu::aboutToShow, this, &TDocForm::UpdateActions);
    ViewMenu->addMenu(ToolBarsMenu);
    ViewMenu->addSeparator();
    ViewMenu->addAction(MenuItem(ActionViewInspector, Padded(u"&Инспектор сети"_s, 11)));
    ViewMenu->addAction(ActionViewNetState);

    NetMenu = addMenu(u"&Сеть"_s, u"NetMenu"_s);
    NetMenu->addAction(ActionNetDoSelection);
    NetMenu->addSeparator();
    NetMenu->addActions({ActionNetDoPosition, ActionNetDoTransfer, ActionNetDoArc});
    NetMenu->addSeparator();
    NetMenu->addAction(ActionNetDoPoint);
    NetMenu->addAction(MenuItem(ActionNetArcCrate, Padded(u"&Установка кратности дуг"_s, 17)));

    ModelingMenu = addMenu(u"&Моделирование"_s, u"ModelingMenu"_s);
    ModelingMenu->addAction(MenuItem(ActionModelingStart, Padded(u"&Начать моделирование"_s, 5)));
    ModelingMenu->addSeparator();
    ModelingMenu->addAction(MenuItem(ActionModelingPause, Padded(u"&Приостановить моделирование"_s, 5)));
    ModelingMenu->addAction(MenuItem(ActionModelingEnd, Padded(u"&Завершить моделирование"_s, 9)));

    WindowMenu = addMenu(u"&Окно"_s, u"WindowMenu"_s);
    // The entries of the other documents are made from the document list when the menu opens.
    connect(WindowMenu, &QMenu::aboutToShow, this, &TDocForm::RebuildWindowMenu);
    WindowMenu->addAction(MenuItem(ActionWindowClose, Padded(u"&Закрыть"_s, 23)));
    WindowMenu->addSeparator();
    WindowMenu->addActions({ActionWindowNext, ActionWindowPrev});
    WindowMenu->addSeparator();
    WindowMenu->addAction(ActionWindowList);
    WindowMenu->addSeparator();
    WindowMenu->addAction(ActionWndMe);

    HelpMenu = addMenu(u"Спр&авка"_s, u"HelpMenu"_s);
    HelpMenu->addAction(ActionAbout);
}

QList<QMenu *> TDocForm::Menus() const
{
    return {FileMenu, EditMenu, ViewMenu, NetMenu, ModelingMenu, WindowMenu, HelpMenu};
}

void TDocForm::BuildToolBars()
{
    auto fill = [](TGKToolBar *bar, const QList<QAction *> &items) {
        for (QAction *a : items) {
            if (a)
                bar->addAction(a);
            else
                bar->addSeparator();
        }
    };
    fill(StandartToolBar, {ActionFileNew, ActionFileOpen, ActionFileSave, nullptr, ActionEditUndo, nullptr,
                           ActionEditCut, ActionEditCopy, ActionEditPaste, ActionEditDelete});
    fill(NetToolBar, {ActionNetDoSelection, nullptr, ActionNetDoPosition, ActionNetDoTransfer, ActionNetDoArc,
                      nullptr, ActionNetDoPoint, ActionNetArcCrate});
    fill(ModelToolBar, {ActionModelingStart, nullptr, ActionModelingPause, ActionModelingEnd});
}

void TDocForm::BuildPopups()
{
    auto make = [this](const QString &name) {
        auto *popup = new TGKPopupMenu(this);
        popup->setObjectName(name);
        connect(popup, &QMenu::aboutToShow, this, &TDocForm::UpdateActions);
        return popup;
    };
    BarsPopup = make(u"BarsPopup"_s);
    BarsPopup->addActions({ActionViewStdToolBar, ActionViewNetToolBar, ActionViewModelToolBar});
    BarsPopup->addSeparator();
    BarsPopup->addActions({ActionViewInspector, ActionViewNetState});

    CanvasPopup = make(u"CanvasPopup"_s);
    CanvasPopup->addAction(ActionEditUndo);
    CanvasPopup->addSeparator();
    CanvasPopup->addActions({ActionEditCopy, ActionEditPaste, ActionEditCut, ActionEditDelete});
    CanvasPopup->addSeparator();
    CanvasPopup->addActions({ActionEditInvDirC, ActionEditArcAddPointC, ActionEditArcDelPointC});

    PlacePopup = make(u"PlacePopup"_s);
    PlacePopup->addAction(MenuItem(ActionNetDoSelection, u"&Режим выбора элементов"_s));
    PlacePopup->addSeparator();
    PlacePopup->addAction(ActionNetCreatePos);

    TransitionPopup = make(u"TransitionPopup"_s);
    TransitionPopup->addAction(MenuItem(ActionNetDoSelection, u"&Режим выбора элементов"_s));
    TransitionPopup->addSeparator();
    TransitionPopup->addAction(ActionNetCreateTransfer);
}

bool TDocForm::HasDoc() const
{
    return !NoDocument && Net;
}

void TDocForm::BindRules()
{
    auto editing = [this] { return HasDoc() && !Net->Modelling; };
    Rules[ActionFileSave] = [this] { return HasDoc() && (!Net->Saved || NeedSaveAs); };
    // There is nothing to save in the empty frame.
    Rules[ActionFileSaveAs] = [this] { return HasDoc(); };
    Rules[ActionFileSaveAll] = [this] { return Shell->HasUnsavedDocuments(); };
    Rules[ActionNetProperties] = [this] { return HasDoc(); };
    Rules[ActionEditUndo] = [this, editing] { return editing() && Net->CanUndo(); };
    Rules[ActionEditCopy] = [this, editing] { return editing() && Selection().AnyNode; };
    Rules[ActionEditCut] = Rules[ActionEditCopy];
    Rules[ActionEditPaste] = [this, editing] { return editing() && Net->CanPaste(); };
    Rules[ActionEditDelete] = [this, editing] { return editing() && Selection().Count > 0; };
    Rules[ActionEditSelectAll] = [this, editing] {
        return editing() && Selection().Count < Net->ElementCount();
    };
    Rules[ActionEditCancSel] = [this] { return HasDoc() && Selection().Count > 0; };
    Rules[ActionEditCreateDescr] = [this, editing] {
        const TNetElement *e = InspectedElement();
        return editing() && e && !e->HasDescription;
    };
    Rules[ActionEditDelDescr] = [this, editing] {
        const TNetElement *e = InspectedElement();
        return editing() && e && e->HasDescription;
    };
    Rules[ActionEditInvDirection] = [this] { return HasDoc() && Selection().AnyArc; };
    Rules[ActionEditArcAddPoint] = [this] { return SelectedArc() != nullptr; };
    Rules[ActionEditArcDelPoint] = [this] {
        const TArc *arc = SelectedArc();
        return arc && arc->PointCount() > 0;
    };
    Rules[ActionEditInvDirC] = [this] {
        const TNetElement *e = ElementAtClickPoint();
        return e && e->Kind == KindArc && e->Selected && static_cast<const TArc *>(e)->CanInvertDirection();
    };
    Rules[ActionEditArcAddPointC] = [this] {
        const TArc *arc = SelectedArc();
        return arc && ElementAtClickPoint() == arc;
    };
    Rules[ActionEditArcDelPointC] = [this] {
        const TArc *arc = SelectedArc();
        return arc && arc->PointIndexAt(CanvasPart->ClickPoint().x(), CanvasPart->ClickPoint().y()) >= 0;
    };
    for (QAction *a : InstrumentGroup->actions())
        Rules[a] = editing;
    Rules[ActionModelingStart] = [this] { return HasDoc() && Net->CanStartModelling() && !ModellingRunning(); };
    Rules[ActionModelingPause] = [this] { return HasDoc() && Net->Modelling; };
    Rules[ActionModelingEnd] = Rules[ActionModelingPause];
    Rules[ActionViewNetState] = Rules[ActionModelingPause];
    Rules[ActionWindowClose] = [this] { return HasDoc(); };
    Rules[ActionWindowNext] = [this] { return Shell->DocumentCount() > 1; };
    Rules[ActionWindowPrev] = Rules[ActionWindowNext];
}

bool TDocForm::RefreshRule(QAction *action)
{
    const auto it = Rules.find(action);
    if (it != Rules.end())
        action->setEnabled(it->second());
    return action->isEnabled();
}

TDocForm::TSelectionSummary TDocForm::Selection() const
{
    if (SelectionDuringUpdate)
        return *SelectionDuringUpdate;
    TSelectionSummary summary;
    if (!HasDoc())
        return summary;
    auto count = [&summary](const auto &list, bool &any) {
        for (TNetElement *e : list)
            if (e->Selected) {
                ++summary.Count;
                any = true;
                if (!summary.First)
                    summary.First = e;
            }
    };
    count(Net->Places, summary.AnyNode);
    count(Net->Transitions, summary.AnyNode);
    count(Net->Arcs, summary.AnyArc);
    return summary;
}

void TDocForm::UpdateActions()
{
    // Rules do not change the selection, so they share one count of it.
    SelectionDuringUpdate.reset();
    SelectionDuringUpdate = Selection();
    for (const auto &[action, rule] : Rules)
        action->setEnabled(rule());
    SelectionDuringUpdate.reset();
    // The check marks of the toolbar commands follow each toolbar's enabled state.
    for (const auto &[action, bar] : ToolBarCommands)
        action->setChecked(bar->isEnabled());
    ActionWndMe->setChecked(true);
}

void TDocForm::ActionEditSelectAllUpdate()
{
    RefreshRule(ActionEditSelectAll);
    Execute(ActionNetDoSelection);
}

void TDocForm::Execute(QAction *action)
{
    RefreshRule(action);
    if (action->isEnabled())
        action->trigger();
}

void TDocForm::SelectInstrument(QAction *action)
{
    CanvasPart->SetInstrument(TInstrument(action->data().toInt()));
    CanvasPart->SetCanvasHints(CanvasPart->Instrument() == TInstrument::Selection);
}

void TDocForm::ToolBarCommand(QAction *action, TGKToolBar *bar)
{
    if (action->isChecked()) {
        bar->setEnabled(true);
        bar->show();
    } else {
        bar->hide();
        bar->setEnabled(false);
    }
}

void TDocForm::ShowBarsPopup(QPoint globalPos)
{
    UpdateActions();
    BarsPopup->popup(globalPos);
}
