#include "GKStyleActnCtrls.h"

#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>

TGKStyle::TGKStyle(const TXPColorMap &map)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    , Map(map)
{
    setObjectName(StyleName());
}

int TGKStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_ToolBarHandleExtent:
        return 11;
    case PM_ToolBarItemSpacing:
    case PM_ToolBarItemMargin:
    case PM_MenuBarItemSpacing:
    case PM_MenuBarPanelWidth:
    case PM_MenuBarVMargin:
    case PM_MenuBarHMargin:
    case PM_MenuHMargin:
        return 0;
    case PM_ToolBarFrameWidth:
    case PM_MenuPanelWidth:
    case PM_MenuVMargin:
        return 1;
    case PM_ToolBarSeparatorExtent:
        return 6;
    case PM_ToolBarIconSize:
    case PM_SmallIconSize:
        return 16;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int TGKStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                        QStyleHintReturn *returnData) const
{
    switch (hint) {
    case SH_DrawMenuBarSeparator:
    case SH_Menu_FlashTriggeredItem:
        return 0;
    case SH_MenuBar_MouseTracking:
    case SH_Menu_MouseTracking:
        return 1;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

QSize TGKStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                 const QWidget *widget) const
{
    switch (type) {
    case CT_ToolButton:
        if (const auto *tb = qstyleoption_cast<const QStyleOptionToolButton *>(option);
            tb && tb->toolButtonStyle == Qt::ToolButtonIconOnly)
            return {21, 21};
        break;
    case CT_MenuBarItem:
        return {size.width() + 12, ItemHeight};
    case CT_MenuItem:
        if (const auto *mi = qstyleoption_cast<const QStyleOptionMenuItem *>(option)) {
            if (mi->menuItemType == QStyleOptionMenuItem::Separator)
                return {size.width(), 5};
            int w = size.width() + GutterWidth + 8 + 20;
            if (mi->reservedShortcutWidth > 0)
                w += 16;
            return {w, ItemHeight};
        }
        break;
    default:
        break;
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void TGKStyle::DrawGrip(QPainter &painter, const QRect &band, const TXPColorMap &map)
{
    const QColor light = lighten(map.Color, 30);
    const QColor dark = darken(map.Color, 50);
    for (int i = 0; i < 5; ++i) {
        const int x = band.left() + (i % 2 == 0 ? 5 : 8);
        const int y = band.top() + 6 + 3 * i;
        painter.fillRect(x, y, 2, 2, light);
        painter.fillRect(x - 1, y - 1, 2, 2, dark);
    }
}

void TGKStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                             const QWidget *widget) const
{
    const QRect r = option->rect;
    const bool enabled = option->state & State_Enabled;
    switch (element) {
    case PE_PanelButtonTool: {
        const bool hot = enabled && (option->state & State_MouseOver);
        const bool down = option->state & State_Sunken;
        const bool on = option->state & State_On;
        if (!hot && !down && !on)
            return;
        QColor fill = Map.SelectedColor;
        if (down && hot)
            fill = darken(Map.SelectedColor, 40);
        else if (on && hot)
            fill = darken(Map.SelectedColor, 20);
        else if (on)
            fill = lighten(Map.SelectedColor, 15);
        painter->setPen(enabled ? Map.BtnFrameColor : darken(Map.Color, 30));
        painter->setBrush(fill);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        return;
    }
    case PE_FrameButtonTool:
    case PE_FrameFocusRect:
        return;
    case PE_PanelMenuBar:
    case PE_PanelToolBar:
        painter->fillRect(r, Map.Color);
        return;
    case PE_FrameMenu:
        // The frame is drawn with the panel, inside the shadow strip.
        if (qobject_cast<const QMenu *>(widget))
            return;
        [[fallthrough]];
    case PE_PanelMenu: {
        const bool popup = qobject_cast<const QMenu *>(widget) != nullptr;
        if (popup)
            DrawMenuShadow(painter, widget);
        const QRect face = popup ? widget->rect().adjusted(0, 0, -ShadowSize, -ShadowSize) : r;
        painter->fillRect(face, Map.MenuColor);
        painter->fillRect(QRect(face.left(), face.top(), GutterWidth + 1, face.height()), Map.Color);
        painter->setPen(darken(Map.Color, 60));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(face.adjusted(0, 0, -1, -1));
        return;
    }
    case PE_IndicatorToolBarHandle:
        DrawGrip(*painter, r.adjusted(-3, -4, 0, 0), Map);
        return;
    case PE_IndicatorToolBarSeparator: {
        const int x = r.center().x();
        painter->setPen(darken(Map.Color, 30));
        painter->drawLine(x, r.top() + 3, x, r.bottom() - 3);
        painter->setPen(lighten(Map.Color, 30));
        painter->drawLine(x + 1, r.top() + 3, x + 1, r.bottom() - 3);
        return;
    }
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void TGKStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                           const QWidget *widget) const
{
    switch (element) {
    case CE_MenuBarEmptyArea:
    case CE_ToolBar:
        painter->fillRect(option->rect, Map.Color);
        return;
    case CE_MenuBarItem:
        DrawMenuBarItem(option, painter, widget);
        return;
    case CE_MenuItem:
        DrawMenuItem(option, painter);
        return;
    case CE_MenuEmptyArea:
        // Only inside the frame: the strips outside it hold the shadow.
        if (qobject_cast<const QMenu *>(widget))
            painter->fillRect(option->rect.adjusted(1, 1, -ShadowSize - 1, -ShadowSize - 1), Map.MenuColor);
        else
            painter->fillRect(option->rect, Map.MenuColor);
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void TGKStyle::DrawMenuBarItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    const auto *mi = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!mi)
        return;
    const QRect r = option->rect;
    painter->fillRect(r, Map.Color);
    const bool enabled = option->state & State_Enabled;
    const bool selected = enabled && (option->state & State_Selected);
    const bool open = option->state & State_Sunken;
    if (open) {
        painter->setPen(darken(Map.Color, 60));
        painter->setBrush(Map.MenuColor);
        painter->drawRect(r.adjusted(0, 0, -1, 0));
    } else if (selected) {
        painter->setPen(Map.BtnFrameColor);
        painter->setBrush(Map.SelectedColor);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter->setPen(enabled ? Map.FontColor : Map.DisabledFontColor);
    int flags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
    if (!styleHint(SH_UnderlineShortcut, mi, widget))
        flags |= Qt::TextHideMnemonic;
    painter->drawText(r, flags, mi->text);
}

void TGKStyle::DrawMenuItem(const QStyleOption *option, QPainter *painter) const
{
    const auto *mi = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!mi)
        return;
    const QRect r = option->rect;
    painter->fillRect(r, Map.MenuColor);
    painter->fillRect(QRect(r.left(), r.top(), GutterWidth, r.height()), Map.Color);
    if (mi->menuItemType == QStyleOptionMenuItem::Separator) {
        painter->setPen(darken(Map.Color, 30));
        const int y = r.top() + r.height() / 2;
        painter->drawLine(r.left() + GutterWidth + 8, y, r.right(), y);
        return;
    }
    const bool enabled = mi->state & State_Enabled;
    const bool selected = mi->state & State_Selected;
    if (selected) {
        painter->setPen(enabled ? Map.BtnFrameColor : darken(Map.Color, 30));
        painter->setBrush(enabled ? Map.SelectedColor : Map.MenuColor);
        painter->drawRect(r.adjusted(1, 0, -2, -1));
    }
    const QRect box(r.left() + 2, r.top() + 1, 19, 19);
    if (mi->checkType != QStyleOptionMenuItem::NotCheckable && mi->checked) {
        painter->setPen(Map.BtnFrameColor);
        painter->setBrush(selected ? darken(Map.SelectedColor, 20) : lighten(Map.SelectedColor, 15));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (mi->icon.isNull()) {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(QPen(enabled ? Map.FontColor : Map.DisabledFontColor, 1.6));
            const QPointF c = QRectF(box).center();
            if (mi->checkType == QStyleOptionMenuItem::Exclusive) {
                painter->setBrush(painter->pen().color());
                painter->drawEllipse(c, 2.5, 2.5);
            } else {
                const QPointF pts[3] = {c + QPointF(-3.5, 0), c + QPointF(-1, 2.5), c + QPointF(3.5, -3)};
                painter->drawPolyline(pts, 3);
            }
            painter->setRenderHint(QPainter::Antialiasing, false);
        }
    }
    if (!mi->icon.isNull()) {
        const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
        const QRect iconRect(box.left() + 1, box.top() + 1, 16, 16);
        mi->icon.paint(painter, iconRect.adjusted(0, 0, 1, 1), Qt::AlignCenter, mode);
    }
    QString text = mi->text;
    QString shortcut;
    if (const qsizetype tab = text.indexOf(QLatin1Char('\t')); tab >= 0) {
        shortcut = text.mid(tab + 1);
        text = text.left(tab);
    }
    painter->setPen(enabled ? Map.FontColor : Map.DisabledFontColor);
    const QRect textRect = r.adjusted(GutterWidth + 8, 0, -20, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine,
                      text);
    if (!shortcut.isEmpty())
        painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, shortcut);
    if (mi->menuItemType == QStyleOptionMenuItem::SubMenu) {
        const int x = r.right() - 10, y = r.top() + r.height() / 2;
        painter->setBrush(painter->pen().color());
        const QPoint tri[3] = {{x, y - 4}, {x + 4, y}, {x, y + 4}};
        painter->drawPolygon(tri, 3);
    }
}

void TGKStyle::polish(QWidget *widget)
{
    QProxyStyle::polish(widget);
    if (auto *menu = qobject_cast<QMenu *>(widget)) {
        menu->setContentsMargins(0, 0, ShadowSize, ShadowSize);
        menu->installEventFilter(this);
    }
}

void TGKStyle::unpolish(QWidget *widget)
{
    if (auto *menu = qobject_cast<QMenu *>(widget)) {
        menu->removeEventFilter(this);
        menu->setContentsMargins(0, 0, 0, 0);
        menu->setProperty("ShadowBackdrop", QVariant());
    }
    QProxyStyle::unpolish(widget);
}

bool TGKStyle::eventFilter(QObject *watched, QEvent *event)
{
    // The show event comes before the menu is on screen: what the shadow
    // falls on is taken from the screen then. Without a screen to read
    // (some platforms refuse) the strips show the window colour.
    if (event->type() == QEvent::Show)
        if (auto *menu = qobject_cast<QMenu *>(watched)) {
            QPixmap backdrop;
            if (QScreen *screen = menu->screen()) {
                const QRect g = menu->geometry().translated(-screen->geometry().topLeft());
                backdrop = screen->grabWindow(0, g.x(), g.y(), g.width(), g.height());
            }
            menu->setProperty("ShadowBackdrop", backdrop);
        }
    return QProxyStyle::eventFilter(watched, event);
}

void TGKStyle::DrawMenuShadow(QPainter *painter, const QWidget *menu) const
{
    const int w = menu->width(), h = menu->height(), s = ShadowSize;
    const QRect right(w - s, s, s, h - s), bottom(s, h - s, w - 2 * s, s);
    const QPixmap backdrop = menu->property("ShadowBackdrop").value<QPixmap>();
    for (const QRect &strip : {right, bottom}) {
        if (!backdrop.isNull()) {
            const qreal ratio = backdrop.devicePixelRatio();
            painter->drawPixmap(strip, backdrop,
                                QRectF(strip.x() * ratio, strip.y() * ratio, strip.width() * ratio,
                                       strip.height() * ratio));
        } else {
            painter->fillRect(strip, Map.Color);
        }
    }
    // Darkest next to the menu, fading outwards.
    for (int i = 0; i < s; ++i) {
        const QColor shade(0, 0, 0, 70 - 15 * i);
        painter->fillRect(QRect(w - s + i, s, 1, h - 2 * s + i + 1), shade);
        painter->fillRect(QRect(s + i, h - s + i, w - 2 * s, 1), shade);
    }
}
