#include "PanelUnit.h"

#include "ColorMap.h"

#include <QPainter>

TGKPanel::TGKPanel(QWidget *parent)
    : QWidget(parent)
    , PanelColor(ButtonFaceColor())
{
}

void TGKPanel::SetEraseBackground(bool value)
{
    Erase = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    setAttribute(Qt::WA_NoSystemBackground, !value);
}

void TGKPanel::SetColor(const QColor &color)
{
    PanelColor = color;
    update();
}

void TGKPanel::SetFontColor(const QColor &color)
{
    TextColor = color;
    update();
}

void TGKPanel::SetCaption(const QString &text)
{
    Text = text;
    update();
}

void TGKPanel::SetBevel(TBevel bevel)
{
    Bevel = bevel;
    update();
}

void TGKPanel::SetSingleBorder(bool value)
{
    Border = value;
    setContentsMargins(value ? QMargins(1, 1, 1, 1) : QMargins());
    update();
}

void TGKPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit Resized(size());
}

void TGKPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (OnPaint) {
        CurrentCanvas = &painter;
        OnPaint(this);
        CurrentCanvas = nullptr;
        return;
    }
    if (Erase)
        painter.fillRect(rect(), PanelColor);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (Bevel != BevelNone) {
        const QColor light = lighten(PanelColor, 40);
        const QColor dark = darken(PanelColor, 60);
        const bool raised = Bevel == BevelRaised;
        painter.setPen(raised ? light : dark);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(raised ? dark : light);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
    if (Border) {
        painter.setPen(darken(PanelColor, 60));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
    }
    if (!Text.isEmpty()) {
        painter.setPen(isEnabled() ? TextColor : darken(PanelColor, 50));
        painter.drawText(rect(), Qt::AlignCenter, Text);
    }
}

TGKGripper::TGKGripper(QWidget *parent)
    : QSizeGrip(parent)
{
    setFixedSize(16, 16);
}

void TGKGripper::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor light = lighten(Color, 25);
    const QColor dark = darken(Color, 45);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i + j >= 2) {
                p.fillRect(4 * i + 2, 4 * j + 2, 2, 2, light);
                p.fillRect(4 * i + 1, 4 * j + 1, 2, 2, dark);
            }
}
