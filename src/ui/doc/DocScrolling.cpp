// Scrolling of the two side panels. Each panel's content lies on a scroll
// panel inside a clip area; arrow buttons above and below the clip area
// appear when content is hidden on that side and scroll it while the mouse
// rests on them.
#include "DocForm.h"

#include "controls/EventHook.h"

#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"

#include <QBoxLayout>
#include <QEvent>
#include <QResizeEvent>
#include <QTimer>

namespace {
constexpr int ButtonStrip = 10; // a button 9 high and one pixel of space

} // namespace

TGKPanel *TDocForm::ClipAreaOf(TGKPanel *panel) const
{
    return panel == NetInspector ? InspectorContent : NetStateContent;
}

TGKPanel *TDocForm::ScrollPanelOf(TGKPanel *panel) const
{
    // The content panel is the clip area's only direct panel child.
    TGKPanel *clip = ClipAreaOf(panel);
    return clip ? clip->findChild<TGKPanel *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void TDocForm::InstallPanelScrolling()
{
    auto strip = [this](TGKPanel *panel, bool up) {
        // The strip keeps the one-pixel space between the button and the clip area.
        auto *holder = new QWidget(panel);
        holder->setObjectName(panel->objectName() + (up ? QStringLiteral("UpStrip") : QStringLiteral("DownStrip")));
        holder->setFixedHeight(ButtonStrip);
        auto *button = new TGKSpeedButton(holder);
        button->setObjectName(panel->objectName() + (up ? QStringLiteral("UpButton") : QStringLiteral("DownButton")));
        button->SetColorMap(&XPColorMap());
        button->SetShowInactiveFrame(false);
        button->SetGlyph(up ? TGKGlyph::UpArrow : TGKGlyph::DownArrow);
        button->setGeometry(0, up ? 0 : 1, holder->width(), ButtonStrip - 1);
        auto *layout = static_cast<QBoxLayout *>(panel->layout());
        const int clipIndex = layout->indexOf(ClipAreaOf(panel));
        layout->insertWidget(up ? clipIndex : clipIndex + 1, holder);
        holder->hide();
        connect(button, &TGKSpeedButton::MouseEnter, ScrollTimer, [this] { ScrollTimer->start(); });
        connect(button, &TGKSpeedButton::MouseDown, ScrollTimer, [this] { ScrollTimer->setInterval(10); });
        connect(button, &TGKSpeedButton::MouseUp, ScrollTimer, [this] { ScrollTimer->setInterval(50); });
        return button;
    };
    InspectorUpButton = strip(NetInspector, true);
    InspectorDownButton = strip(NetInspector, false);
    NetStateUpButton = strip(NetState, true);
    NetStateDownButton = strip(NetState, false);
    connect(ScrollTimer, &QTimer::timeout, this, &TDocForm::ScrollTimerTimer);

    // Watches resizes only; no event is consumed.
    auto *events = new TEventHook(this, [this](QObject *watched, QEvent *event) {
        if (event->type() != QEvent::Resize)
            return false;
        const auto *resize = static_cast<QResizeEvent *>(event);
        for (TGKSpeedButton *button : {InspectorUpButton, InspectorDownButton, NetStateUpButton, NetStateDownButton})
            if (watched == button->parentWidget())
                button->resize(resize->size().width(), button->height());
        if (FirstActivation)
            return false;
        if (watched == LeftPanel) {
            for (QWidget *list : LeftPanel->findChildren<QWidget *>(QString()))
                if (list->objectName() == QLatin1String("Elements") ||
                    list->objectName() == QLatin1String("TransfersInfo"))
                    list->update();
            return false;
        }
        for (TGKPanel *panel : {NetInspector, NetState}) {
            TGKPanel *content = ScrollPanelOf(panel);
            if (!content)
                continue;
            if (watched == panel) {
                // Growth reveals content above when nothing is hidden below.
                const int grow = resize->size().height() - resize->oldSize().height();
                const int clip = ClipAreaOf(panel)->height();
                if (resize->oldSize().isValid() && grow > 0 && content->y() < 0 &&
                    clip + ButtonStrip >= content->y() + content->height())
                    content->move(content->x(), qMin(0, content->y() + grow));
                UpdatePanelScrollButtons(panel);
            } else if (watched == ClipAreaOf(panel) && content->y() > 0) {
                content->move(content->x(), 0);
            }
        }
        return false;
    });
    for (QWidget *w : {static_cast<QWidget *>(NetInspector), static_cast<QWidget *>(NetState),
                       static_cast<QWidget *>(InspectorContent), static_cast<QWidget *>(NetStateContent), LeftPanel})
        w->installEventFilter(events);
    for (TGKSpeedButton *button : {InspectorUpButton, InspectorDownButton, NetStateUpButton, NetStateDownButton})
        button->parentWidget()->installEventFilter(events);
}

void TDocForm::UpdatePanelScrollButtons(TGKPanel *panel)
{
    TGKPanel *content = ScrollPanelOf(panel);
    if (!content)
        return;
    const bool inspector = panel == NetInspector;
    QWidget *upStrip = (inspector ? InspectorUpButton : NetStateUpButton)->parentWidget();
    QWidget *downStrip = (inspector ? InspectorDownButton : NetStateDownButton)->parentWidget();
    bool up = !upStrip->isHidden();
    bool down = !downStrip->isHidden();
    int clip = ClipAreaOf(panel)->height();
    const int top = content->y();
    if (top < 0 && !up) {
        clip -= ButtonStrip;
        up = true;
    } else if (top >= 0 && up) {
        clip += ButtonStrip;
        up = false;
    }
    if (clip + ButtonStrip < top + content->height()) {
        if (!down) {
            clip -= ButtonStrip;
            down = true;
        }
    } else if (down) {
        clip += ButtonStrip;
        down = false;
    }
    // The strips take their room from the clip area through the panel's layout.
    upStrip->setVisible(up);
    downStrip->setVisible(down);
    if (QLayout *layout = panel->layout())
        layout->activate();
}

void TDocForm::ScrollTimerTimer()
{
    // Each button under the pointer moves its panel's content by 5 pixels;
    // at the end the timer stops. Elsewhere the tick does nothing.
    struct TStep
    {
        TGKSpeedButton *Button;
        TGKPanel *Panel;
        bool Up;
        int Reserve; // room the state panel keeps below its content
    };
    for (const TStep &step : {TStep{NetStateUpButton, NetState, true, 0},
                              TStep{NetStateDownButton, NetState, false, ButtonStrip},
                              TStep{InspectorUpButton, NetInspector, true, 0},
                              TStep{InspectorDownButton, NetInspector, false, 0}}) {
        TGKPanel *content = ScrollPanelOf(step.Panel);
        if (!content || !step.Button->IsHovered())
            continue;
        int top = content->y();
        if (step.Up) {
            if (top >= -9) {
                ScrollTimer->stop();
                top = 0;
            } else {
                top += 5;
            }
        } else {
            const int last = ClipAreaOf(step.Panel)->height() - content->height() - step.Reserve;
            if (top < last) {
                ScrollTimer->stop();
                top = last;
            } else {
                top -= 5;
            }
        }
        content->move(content->x(), top);
        UpdatePanelScrollButtons(step.Panel);
    }
}
