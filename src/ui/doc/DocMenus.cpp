// Where the window's commands appear: the main menu, the toolbars and the
// popups of the canvas and the toolbar strip.
#include "DocForm.h"

#include "DocCommands.h"
#include "controls/GKActnCtrls.h"

#include <QAction>
#include <QDir>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {
QString Padded(const QString &caption, int blanks)
{
    return caption + QString(blanks, QLatin1Char(' '));
}
} // namespace

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
    FileMenu->addActions({CommandTable->ActionFileNew, CommandTable->ActionFileOpen});
    // The recent files are read afresh each time the submenu opens.
    auto *recent = new TGKPopupMenu(FileMenu);
    recent->setTitle(u"Последние &файлы"_s);
    recent->setObjectName(u"RecentFilesMenu"_s);
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const QStringList files = Shell->RecentFiles();
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QString path = files[i];
            QString shown = QDir::toNativeSeparators(path);
            shown.replace(u'&', u"&&"_s);
            connect(recent->addAction(u"&%1 %2"_s.arg(i + 1).arg(shown)), &QAction::triggered, this,
                    [this, path] { Shell->OpenRecentFile(path); });
        }
        if (files.isEmpty())
            recent->addAction(u"Нет"_s)->setEnabled(false);
    });
    FileMenu->addMenu(recent);
    FileMenu->addSeparator();
    FileMenu->addActions({CommandTable->ActionFileSave, CommandTable->ActionFileSaveAs, CommandTable->ActionFileSaveAll});
    FileMenu->addSeparator();
    FileMenu->addActions({CommandTable->ActionFileExport, CommandTable->ActionFilePrint});
    FileMenu->addSeparator();
    FileMenu->addAction(CommandTable->ActionNetProperties);
    FileMenu->addSeparator();
    FileMenu->addAction(MenuItem(CommandTable->ActionFileExit, Padded(u"Вы&ход"_s, 21)));

    EditMenu = addMenu(u"&Правка"_s, u"EditMenu"_s);
    // Opening this menu refreshes Select All, which makes the selection instrument current.
    connect(EditMenu, &QMenu::aboutToShow, this, &TDocForm::ActionEditSelectAllUpdate);
    EditMenu->addActions({CommandTable->ActionEditUndo, CommandTable->ActionEditRedo});
    EditMenu->addSeparator();
    EditMenu->addActions({CommandTable->ActionEditCopy, CommandTable->ActionEditPaste, CommandTable->ActionEditCut, CommandTable->ActionEditDelete});
    EditMenu->addSeparator();
    EditMenu->addActions({CommandTable->ActionEditSelectAll, CommandTable->ActionEditCancSel});
    EditMenu->addSeparator();
    EditMenu->addActions({CommandTable->ActionEditCreateDescr, CommandTable->ActionEditDelDescr});
    EditMenu->addSeparator();
    EditMenu->addAction(MenuItem(CommandTable->ActionEditInvDirection, Padded(u"Изменить напрвление &дуг"_s, 9)));
    EditMenu->addActions({CommandTable->ActionEditArcAddPoint, CommandTable->ActionEditArcDelPoint});

    ViewMenu = addMenu(u"&Вид"_s, u"ViewMenu"_s);
    ToolBarsMenu = new TGKPopupMenu(ViewMenu);
    ToolBarsMenu->setTitle(u"&Панели инструментов"_s);
    ToolBarsMenu->setObjectName(u"ToolBarsMenu"_s);
    ToolBarsMenu->addActions({CommandTable->ActionViewStdToolBar, CommandTable->ActionViewNetToolBar, CommandTable->ActionViewModelToolBar});
    connect(ToolBarsMenu, &QMenu::aboutToShow, this, &TDocForm::UpdateActions);
    ViewMenu->addMenu(ToolBarsMenu);
    ViewMenu->addSeparator();
    ViewMenu->addAction(MenuItem(CommandTable->ActionViewInspector, Padded(u"&Инспектор сети"_s, 11)));
    ViewMenu->addAction(CommandTable->ActionViewNetState);

    NetMenu = addMenu(u"&Сеть"_s, u"NetMenu"_s);
    NetMenu->addAction(CommandTable->ActionNetDoSelection);
    NetMenu->addSeparator();
    NetMenu->addActions({CommandTable->ActionNetDoPosition, CommandTable->ActionNetDoTransfer, CommandTable->ActionNetDoArc});
    NetMenu->addSeparator();
    NetMenu->addAction(CommandTable->ActionNetDoPoint);
    NetMenu->addAction(MenuItem(CommandTable->ActionNetArcCrate, Padded(u"&Установка кратности дуг"_s, 17)));

    ModelingMenu = addMenu(u"&Моделирование"_s, u"ModelingMenu"_s);
    ModelingMenu->addAction(MenuItem(CommandTable->ActionModelingStart, Padded(u"&Начать моделирование"_s, 5)));
    ModelingMenu->addSeparator();
    ModelingMenu->addAction(MenuItem(CommandTable->ActionModelingPause, Padded(u"&Приостановить моделирование"_s, 5)));
    ModelingMenu->addAction(MenuItem(CommandTable->ActionModelingEnd, Padded(u"&Завершить моделирование"_s, 9)));

    AnalysisMenu = addMenu(u"&Анализ"_s, u"AnalysisMenu"_s);
    AnalysisMenu->addActions({CommandTable->ActionAnalysisProperties, CommandTable->ActionAnalysisGraph,
                              CommandTable->ActionAnalysisInvariants});

    WindowMenu = addMenu(u"&Окно"_s, u"WindowMenu"_s);
    // The entries of the other documents are made from the document list when the menu opens.
    connect(WindowMenu, &QMenu::aboutToShow, this, &TDocForm::RebuildWindowMenu);
    WindowMenu->addAction(MenuItem(CommandTable->ActionWindowClose, Padded(u"&Закрыть"_s, 23)));
    WindowMenu->addSeparator();
    WindowMenu->addActions({CommandTable->ActionWindowNext, CommandTable->ActionWindowPrev});
    WindowMenu->addSeparator();
    WindowMenu->addAction(CommandTable->ActionWindowList);
    WindowMenu->addSeparator();
    WindowMenu->addAction(CommandTable->ActionWndMe);

    HelpMenu = addMenu(u"Спр&авка"_s, u"HelpMenu"_s);
    HelpMenu->addAction(CommandTable->ActionAbout);
}

QList<QMenu *> TDocForm::Menus() const
{
    return {FileMenu, EditMenu, ViewMenu, NetMenu, ModelingMenu, AnalysisMenu, WindowMenu, HelpMenu};
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
    fill(StandartToolBar, {CommandTable->ActionFileNew, CommandTable->ActionFileOpen, CommandTable->ActionFileSave, nullptr, CommandTable->ActionEditUndo, CommandTable->ActionEditRedo, nullptr,
                           CommandTable->ActionEditCut, CommandTable->ActionEditCopy, CommandTable->ActionEditPaste, CommandTable->ActionEditDelete});
    fill(NetToolBar, {CommandTable->ActionNetDoSelection, nullptr, CommandTable->ActionNetDoPosition, CommandTable->ActionNetDoTransfer, CommandTable->ActionNetDoArc,
                      nullptr, CommandTable->ActionNetDoPoint, CommandTable->ActionNetArcCrate});
    fill(ModelToolBar, {CommandTable->ActionModelingStart, nullptr, CommandTable->ActionModelingPause, CommandTable->ActionModelingEnd});
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
    BarsPopup->addActions({CommandTable->ActionViewStdToolBar, CommandTable->ActionViewNetToolBar, CommandTable->ActionViewModelToolBar});
    BarsPopup->addSeparator();
    BarsPopup->addActions({CommandTable->ActionViewInspector, CommandTable->ActionViewNetState});

    CanvasPopup = make(u"CanvasPopup"_s);
    CanvasPopup->addAction(CommandTable->ActionEditUndo);
    CanvasPopup->addSeparator();
    CanvasPopup->addActions({CommandTable->ActionEditCopy, CommandTable->ActionEditPaste, CommandTable->ActionEditCut, CommandTable->ActionEditDelete});
    CanvasPopup->addSeparator();
    CanvasPopup->addActions({CommandTable->ActionEditInvDirC, CommandTable->ActionEditArcAddPointC, CommandTable->ActionEditArcDelPointC});

    PlacePopup = make(u"PlacePopup"_s);
    PlacePopup->addAction(MenuItem(CommandTable->ActionNetDoSelection, u"&Режим выбора элементов"_s));
    PlacePopup->addSeparator();
    PlacePopup->addAction(CommandTable->ActionNetCreatePos);

    TransitionPopup = make(u"TransitionPopup"_s);
    TransitionPopup->addAction(MenuItem(CommandTable->ActionNetDoSelection, u"&Режим выбора элементов"_s));
    TransitionPopup->addSeparator();
    TransitionPopup->addAction(CommandTable->ActionNetCreateTransfer);
}

void TDocForm::ShowBarsPopup(QPoint globalPos)
{
    UpdateActions();
    BarsPopup->popup(globalPos);
}
