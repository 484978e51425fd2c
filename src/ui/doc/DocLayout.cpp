// Widgets of the document window: the toolbar strip, the left column, the
// canvas with its scroll bars and the status line.
#include "DocForm.h"

#include "CanvasController.h"

#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"

#include <QFont>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QSplitter *MakeSplitter(Qt::Orientation orientation, QWidget *parent)
{
    auto *splitter = new QSplitter(orientation, parent);
    splitter->setHandleWidth(2);
    splitter->setChildrenCollapsible(false);
    splitter->setOpaqueResize(true);
    return splitter;
}

// Neither side of a splitter may be dragged below its minimum size.
void KeepMinimumSize(QSplitter *splitter, int minimum)
{
    QObject::connect(splitter, &QSplitter::splitterMoved, splitter, [splitter, minimum](int, int) {
        QList<int> sizes = splitter->sizes();
        if (sizes.size() != 2 || sizes[0] == 0 || sizes[1] == 0)
            return;
        const int total = sizes[0] + sizes[1];
        if (total < 2 * minimum)
            return;
        if (sizes[0] < minimum)
            sizes = {minimum, total - minimum};
        else if (sizes[1] < minimum)
            sizes = {total - minimum, minimum};
        else
            return;
        splitter->setSizes(sizes);
    });
}

TGKPanel *MakeStatusPanel(QWidget *parent, const QString &name)
{
    auto *panel = new TGKPanel(parent);
    panel->setObjectName(name);
    return panel;
}
} // namespace

void TDocForm::BuildLayout()
{
    BuildTopStrip();
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Splitter = MakeSplitter(Qt::Horizontal, central);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    BuildLeftColumn();
    BuildParts();
    TCanvasHost &host = *this;
    CanvasPart = std::make_unique<TCanvasController>(Splitter, XPColorMap(), host);
    Splitter->addWidget(LeftPanel);
    Splitter->addWidget(CanvasPart->Area());
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({200, 437});
    KeepMinimumSize(Splitter, 120);
    layout->addWidget(Splitter, 1);
    BuildStatusBar();
    layout->addWidget(StatusBar);
    setCentralWidget(central);

    ScrollTimer = new QTimer(this);
    ScrollTimer->setObjectName(QStringLiteral("ScrollTimer"));
    ScrollTimer->setInterval(50);
    ExecTimer = new QTimer(this);
    ExecTimer->setObjectName(QStringLiteral("ExecTimer"));
    ExecTimer->setInterval(500);
    connect(ExecTimer, &QTimer::timeout, this, &TDocForm::ExecTimerTimer);
}

void TDocForm::BuildTopStrip()
{
    MainMenuBand = new TGKToolBar(QStringLiteral("Главное меню"), &XPColorMap(), this);
    MainMenuBand->setObjectName(QStringLiteral("MainMenuBand"));
    MainMenuBand->SetFloatingWidth(350);
    MainMenuBar = new TGKMainMenuBar(&XPColorMap(), MainMenuBand);
    MainMenuBar->setObjectName(QStringLiteral("MainMenuBar"));
    MainMenuBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    MainMenuBand->addWidget(MainMenuBar);
    addToolBar(Qt::TopToolBarArea, MainMenuBand);
    addToolBarBreak(Qt::TopToolBarArea);
    connect(MainMenuBar, &TGKMainMenuBar::CloseButtonClick, this, &TDocForm::CloseDocument);

    StandartToolBar = new TGKToolBar(QStringLiteral("Стандартная"), &XPColorMap(), this);
    StandartToolBar->setObjectName(QStringLiteral("StandartToolBar"));
    StandartToolBar->Tag = 1;
    StandartToolBar->SetPreferredWidth(220);
    NetToolBar = new TGKToolBar(QStringLiteral("Создание сети"), &XPColorMap(), this);
    NetToolBar->setObjectName(QStringLiteral("NetToolBar"));
    NetToolBar->SetPreferredWidth(175);
    ModelToolBar = new TGKToolBar(QStringLiteral("Моделирование"), &XPColorMap(), this);
    ModelToolBar->setObjectName(QStringLiteral("ModelToolBar"));
    ModelToolBar->SetPreferredWidth(100);
    for (TGKToolBar *bar : {StandartToolBar, NetToolBar, ModelToolBar})
        addToolBar(Qt::TopToolBarArea, bar);
    for (TGKToolBar *bar : {MainMenuBand, StandartToolBar, NetToolBar, ModelToolBar})
        connect(bar, &TGKToolBar::BarsPopupRequested, this, &TDocForm::ShowBarsPopup);
    connect(MainMenuBar, &TGKMainMenuBar::BarsPopupRequested, this, &TDocForm::ShowBarsPopup);
}

void TDocForm::BuildLeftColumn()
{
    LeftPanel = new QWidget(Splitter);
    LeftPanel->setObjectName(QStringLiteral("LeftPanel"));
    LeftPanel->setMaximumWidth(300);
    // The splitter keeps 120 pixels when dragged (KeepMinimumSize); as a widget
    // minimum it would hold the window wider than its minimum width of 160.
    LeftPanel->setMinimumWidth(1);
    auto *layout = new QVBoxLayout(LeftPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    SplitterUD = MakeSplitter(Qt::Vertical, LeftPanel);
    SplitterUD->setObjectName(QStringLiteral("SplitterUD"));
    layout->addWidget(SplitterUD);

    auto makePart = [this](const QString &name, const QString &caption, TGKPanel *&captionStrip,
                           TGKSpeedButton *&closeButton, TGKPanel *&content, bool keepTop) {
        auto *part = new TGKPanel(SplitterUD);
        part->setObjectName(name);
        part->OnPaint = [this, keepTop](TGKPanel *p) {
            // Window colour around a lighter inner face; the edge next to the
            // other panel is not inset.
            QPainter &c = *p->Canvas();
            c.fillRect(p->rect(), palette().color(QPalette::Window));
            QRect inner = p->rect().adjusted(1, 1, -1, -1);
            if (keepTop)
                inner.setTop(0);
            else
                inner.setBottom(p->height() - 1);
            c.fillRect(inner, lighten(XPColorMap().Color, 30));
        };
        auto *partLayout = new QVBoxLayout(part);
        partLayout->setContentsMargins(1, keepTop ? 0 : 1, 1, keepTop ? 1 : 0);
        partLayout->setSpacing(0);
        captionStrip = new TGKPanel(part);
        captionStrip->setObjectName(name + QStringLiteral("Caption"));
        captionStrip->setFixedHeight(17);
        captionStrip->SetCaption(caption);
        captionStrip->OnPaint = [this](TGKPanel *p) {
            QPainter &c = *p->Canvas();
            c.fillRect(p->rect(), XPColorMap().Color);
            QFont bold = p->font();
            bold.setBold(true);
            c.setFont(bold);
            c.setPen(Qt::black);
            c.drawText(QRect(3, 1, p->width() - 20, p->height() - 1), Qt::AlignLeft | Qt::AlignTop,
                       p->Caption());
        };
        closeButton = new TGKSpeedButton(captionStrip);
        closeButton->setObjectName(name + QStringLiteral("CloseButton"));
        closeButton->SetColorMap(&XPColorMap());
        closeButton->SetShowInactiveFrame(false);
        closeButton->resize(14, 13);
        connect(captionStrip, &TGKPanel::Resized, closeButton,
                [closeButton](QSize s) { closeButton->move(s.width() - 16, 2); });
        content = new TGKPanel(part);
        content->setObjectName(name + QStringLiteral("Content"));
        content->SetColor(lighten(XPColorMap().Color, 30));
        partLayout->addWidget(captionStrip);
        partLayout->addWidget(content, 1);
        SplitterUD->addWidget(part);
        return part;
    };
    NetInspector = makePart(QStringLiteral("NetInspector"), QStringLiteral("Инспектор сети"), InspectorCaption,
                            CloseInspectorButton, InspectorContent, true);
    NetState = makePart(QStringLiteral("NetState"), QStringLiteral("Состояния сети"), NetStateCaption,
                        NetStateCloseButton, NetStateContent, false);
    KeepMinimumSize(SplitterUD, 100);
    // The inspector keeps its height when the window grows; the state panel takes the rest.
    SplitterUD->setStretchFactor(0, 0);
    SplitterUD->setStretchFactor(1, 1);
    connect(CloseInspectorButton, &TGKSpeedButton::Click, this, &TDocForm::CloseInspectorButtonClick);
    connect(NetStateCloseButton, &TGKSpeedButton::Click, this, &TDocForm::NetStateCloseButtonClick);
}

void TDocForm::BuildStatusBar()
{
    StatusBar = new TGKPanel(Splitter->parentWidget());
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(17);
    InfoPanel = MakeStatusPanel(StatusBar, QStringLiteral("InfoPanel"));
    InfoPanel->SetCaption(QStringLiteral("Информация"));
    SelectionInfo = MakeStatusPanel(StatusBar, QStringLiteral("SelectionInfo"));
    RunsPanel = MakeStatusPanel(StatusBar, QStringLiteral("RunsPanel"));
    for (TGKPanel *panel : {InfoPanel, SelectionInfo, RunsPanel})
        panel->OnPaint = [this](TGKPanel *p) { InfoPanelPaint(p); };
    Gripper = new TGKGripper(StatusBar);
    Gripper->setObjectName(QStringLiteral("Gripper"));
    Gripper->Color = StatusBar->Color();
    connect(StatusBar, &TGKPanel::Resized, this, &TDocForm::LayoutStatusBar);
}

void TDocForm::LayoutStatusBar()
{
    const int h = StatusBar->height();
    InfoPanel->setGeometry(1, 1, 297, h - 1);
    SelectionInfo->setGeometry(300, 1, 205, h - 1);
    Gripper->move(StatusBar->width() - Gripper->width() + 3, h - Gripper->height());
    RunsPanel->setGeometry(300, 1, qMax(0, Gripper->x() - 300), h - 1);
}

void TDocForm::InfoPanelPaint(TGKPanel *panel)
{
    QPainter &c = *panel->Canvas();
    c.fillRect(panel->rect(), XPColorMap().Color);
    c.setPen(lighten(ButtonFaceColor(), 25));
    c.drawRect(panel->rect().adjusted(0, 0, -1, -1));
    c.setFont(panel->font());
    c.setPen(panel->isEnabled() ? panel->FontColor() : XPColorMap().DisabledFontColor);
    c.drawText(QRect(2, 1, panel->width() - 3, panel->height() - 1), Qt::AlignLeft | Qt::AlignTop,
               panel->Caption());
}
