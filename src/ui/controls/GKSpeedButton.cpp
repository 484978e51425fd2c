#include "GKSpeedButton.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

TGKSpeedButton::TGKSpeedButton(QWidget *parent)
    : QWidget(parent)
{
    SetColorMap(nullptr);
    resize(20, 20);
    setMouseTracking(true);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *) {
        if (FocusedFrame && Focus)
            update();
    });
}

TGKSpeedButton::~TGKSpeedButton() = default;

void TGKSpeedButton::SetColorMap(const TXPColorMap *map)
{
    if (map) {
        OwnMap.reset();
        Map = map;
    } else {
        OwnMap = std::make_unique<TXPColorMap>();
        Map = OwnMap.get();
    }
    update();
}

void TGKSpeedButton::SetGlyph(TGKGlyph glyph)
{
    GlyphKind = glyph;
    update();
}

void TGKSpeedButton::SetShowInactiveFrame(bool value)
{
    InactiveFrame = value;
    update();
}

void TGKSpeedButton::SetShowFocusedFrame(bool value)
{
    FocusedFrame = value;
    update();
}

void TGKSpeedButton::SetFocusControl(QWidget *control)
{
    Focus = control;
    update();
}

void TGKSpeedButton::SetAction(QAction *action)
{
    if (BoundAction)
        disconnect(BoundAction, nullptr, this, nullptr);
    BoundAction = action;
    if (!action)
        return;
    auto follow = [this] {
        if (BoundAction) {
            setEnabled(BoundAction->isEnabled());
            setToolTip(BoundAction->toolTip());
        }
    };
    connect(action, &QAction::changed, this, follow);
    connect(this, &TGKSpeedButton::Click, action, &QAction::trigger);
    follow();
}

bool TGKSpeedButton::IsFocused() const
{
    return FocusedFrame && Focus && Focus->hasFocus();
}

void TGKSpeedButton::DoEnter()
{
    if (Hovered)
        return;
    Hovered = true;
    emit MouseEnter();
    update();
}

void TGKSpeedButton::DoLeave()
{
    if (!Hovered && !Pressed)
        return;
    Hovered = false;
    Pressed = false;
    emit MouseExit();
    update();
}

void TGKSpeedButton::enterEvent(QEnterEvent *)
{
    DoEnter();
}

void TGKSpeedButton::leaveEvent(QEvent *)
{
    DoLeave();
}

void TGKSpeedButton::mousePressEvent(QMouseEvent *event)
{
    DoEnter();
    emit MouseDown(event->button(), event->position().toPoint());
    Pressed = true;
    if (Focus)
        Focus->setFocus();
    update();
}

// While a button is held the mouse stays grabbed, so leaving is noticed here.
void TGKSpeedButton::mouseMoveEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    if (!inside && Hovered)
        DoLeave();
    else if (inside && !Hovered)
        DoEnter();
}

void TGKSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    emit MouseUp(event->button(), p);
    if (Pressed) {
        Pressed = false;
        // The row just below the button still counts as inside.
        if (p.x() >= 0 && p.x() < width() && p.y() >= 0 && p.y() <= height())
            emit Click();
        update();
    }
}

void TGKSpeedButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

QList<QPoint> TGKSpeedButton::CrossPixels(QSize size)
{
    const int x0 = (size.width() - 8) / 2;
    const int y0 = (size.height() - 8) / 2;
    QList<QPoint> pixels;
    for (int k = 0; k < 7; ++k) {
        pixels << QPoint(x0 + k, y0 + 1 + k) << QPoint(x0 + 1 + k, y0 + 1 + k);
        pixels << QPoint(x0 + 6 - k, y0 + 1 + k) << QPoint(x0 + 7 - k, y0 + 1 + k);
    }
    return pixels;
}

QPolygon TGKSpeedButton::ArrowPolygon(TGKGlyph glyph, QSize size)
{
    const int x0 = (size.width() - 8) / 2;
    const int y0 = (size.height() - 8) / 2;
    QPoint anchor;
    QList<QPoint> unit;
    switch (glyph) {
    case TGKGlyph::UpArrow:
        anchor = {x0 - 1, y0 + 2};
        unit = {{0, 1}, {1, 0}, {2, 1}};
        break;
    case TGKGlyph::DownArrow:
        anchor = {x0 - 1, y0 + 2};
        unit = {{0, 0}, {1, 1}, {2, 0}};
        break;
    case TGKGlyph::LeftArrow:
        anchor = {x0 + 1, y0};
        unit = {{1, 0}, {0, 1}, {1, 2}};
        break;
    case TGKGlyph::RightArrow:
        anchor = {x0 + 1, y0};
        unit = {{0, 0}, {1, 1}, {0, 2}};
        break;
    case TGKGlyph::Cross:
        return {};
    }
    QPolygon polygon;
    for (const QPoint &u : unit)
        polygon << anchor + 4 * u;
    return polygon;
}

void TGKSpeedButton::paintEvent(QPaintEvent *)
{
    const TXPColorMap &m = *Map;
    const bool enabled = isEnabled();
    const bool focused = IsFocused();
    QColor pen, brush;
    if (Hovered) {
        pen = enabled || focused ? m.BtnFrameColor : darken(m.Color, 30);
        if (!Pressed)
            brush = enabled ? m.SelectedColor : m.Color;
        else
            brush = enabled ? darken(m.SelectedColor, 40) : m.Color;
    } else {
        brush = m.Color;
        if (!InactiveFrame) {
            pen = m.Color;
        } else if (focused) {
            pen = m.BtnFrameColor;
            if (enabled)
                brush = m.SelectedColor;
        } else {
            pen = darken(m.Color, 30);
        }
    }
    QPainter p(this);
    p.setPen(pen);
    p.setBrush(brush);
    p.drawRect(0, 0, width() - 1, height() - 1);

    QColor glyph;
    if (!enabled)
        glyph = m.DisabledFontColor;
    else if (!Hovered)
        glyph = m.FontColor;
    else if (Pressed)
        glyph = Qt::white;
    else
        glyph = m.SelectedFontColor;
    p.setPen(glyph);
    if (GlyphKind == TGKGlyph::Cross) {
        p.drawPoints(QPolygon(CrossPixels(size())));
    } else {
        p.setBrush(glyph);
        p.drawPolygon(ArrowPolygon(GlyphKind, size()));
    }
}
