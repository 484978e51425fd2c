#include "FocusFrames.h"

#include "controls/ColorMap.h"
#include "controls/PanelUnit.h"

#include <QEvent>
#include <QPainter>

TFocusFrames::TFocusFrames(const TXPColorMap &map)
    : Map(map)
{
}

void TFocusFrames::Watch(QWidget *control)
{
    if (Watched.contains(control))
        return;
    Watched << control;
    control->installEventFilter(this);
}

bool TFocusFrames::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = qobject_cast<QWidget *>(watched);
    if (!control)
        return false;
    if (event->type() == QEvent::FocusIn) {
        if (control->isHidden())
            return false;
        emit Entered(control);
    } else if (event->type() == QEvent::FocusOut) {
        emit Left(control);
    } else {
        return false;
    }
    if (control->parentWidget())
        control->parentWidget()->update();
    return false;
}

void TFocusFrames::Draw(TGKPanel *panel) const
{
    // A one-pixel frame just outside each watched control: the frame colour
    // while it has the focus, the panel colour (no frame) otherwise. Drawing
    // the frames has no other effect.
    QPainter &c = *panel->Canvas();
    c.setBrush(Qt::NoBrush);
    for (QWidget *control : Watched) {
        if (control->parentWidget() != panel || control->isHidden())
            continue;
        c.setPen(control->hasFocus() ? Map.BtnFrameColor : panel->Color());
        c.drawRect(control->geometry().adjusted(-1, -1, 0, 0));
    }
}
