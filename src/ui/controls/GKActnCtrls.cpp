#include "GKActnCtrls.h"

#include "GKSpeedButton.h"
#include "GKStyleActnCtrls.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

TGKToolBar::TGKToolBar(const QString &caption, const TXPColorMap *map, QWidget *parent)
    : QToolBar(caption, parent)
    , Map(map)
{
    setAllowedAreas(Qt::TopToolBarArea);
    setFloatable(true);
    setMovable(true);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContentsMargins(0, 1, 0, 0);
    connect(this, &QToolBar::topLevelChanged, this, [this](bool floating) {
        if (floating && FloatingWidth > 0)
            resize(FloatingWidth, height());
    });
}

void TGKToolBar::SetPreferredWidth(int width)
{
    Preferred = width;
    setMinimumWidth(width);
}

void TGKToolBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect band = rect();
    p.fillRect(band, Map->Color);
    p.setPen(ButtonFaceColor());
    p.drawLine(band.topLeft(), band.topRight());
    p.drawLine(band.topLeft(), band.bottomLeft());
    if (!isFloating() && isMovable())
        TGKStyle::DrawGrip(p, band, *Map);
}

void TGKToolBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        emit BarsPopupRequested(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QToolBar::mouseReleaseEvent(event);
}

void TGKToolBar::contextMenuEvent(QContextMenuEvent *event)
{
    // The bars popup opens on the release instead.
    event->accept();
}

TGKMainMenuBar::TGKMainMenuBar(const TXPColorMap *map, QWidget *parent)
    : QMenuBar(parent)
    , Map(map)
{
    setNativeMenuBar(false);
    Close = new TGKSpeedButton(this);
    Close->setObjectName(QStringLiteral("MenuBarCloseButton"));
    Close->SetColorMap(map);
    Close->SetGlyph(TGKGlyph::Cross);
    Close->SetShowInactiveFrame(false);
    Close->resize(16, 15);
    connect(Close, &TGKSpeedButton::Click, this, &TGKMainMenuBar::CloseButtonClick);
    setContentsMargins(0, 0, 20, 0);
}

void TGKMainMenuBar::SetCloseButtonVisible(bool value)
{
    Close->setVisible(value);
    PlaceCloseButton();
}

bool TGKMainMenuBar::HasCloseButton() const
{
    return !Close->isHidden();
}

void TGKMainMenuBar::PlaceCloseButton()
{
    Close->move(width() - Close->width() - 2, (height() - Close->height()) / 2);
    Close->raise();
}

void TGKMainMenuBar::resizeEvent(QResizeEvent *event)
{
    QMenuBar::resizeEvent(event);
    PlaceCloseButton();
}

void TGKMainMenuBar::paintEvent(QPaintEvent *event)
{
    {
        QPainter p(this);
        p.fillRect(rect(), Map->Color);
    }
    QMenuBar::paintEvent(event);
}

void TGKMainMenuBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        emit BarsPopupRequested(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QMenuBar::mouseReleaseEvent(event);
}

TGKPopupMenu::TGKPopupMenu(QWidget *parent)
    : QMenu(parent)
{
    setSeparatorsCollapsible(false);
}
