#pragma once

#include "ColorMap.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

class TGKSpeedButton;

// A movable, floatable band of the toolbar strip, painted flat with a dotted grip.
class TGKToolBar : public QToolBar
{
    Q_OBJECT
public:
    TGKToolBar(const QString &caption, const TXPColorMap *map, QWidget *parent = nullptr);

    // Width the band asks for while docked.
    void SetPreferredWidth(int width);
    int PreferredWidth() const { return Preferred; }
    // Width of the small window the band gets when dragged off the strip.
    void SetFloatingWidth(int width) { FloatingWidth = width; }
    int Tag = 0;

signals:
    void BarsPopupRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    const TXPColorMap *Map;
    int Preferred = 0;
    int FloatingWidth = 0;
};

// The main menu bar of a document window, with a small close button at its right end.
class TGKMainMenuBar : public QMenuBar
{
    Q_OBJECT
public:
    TGKMainMenuBar(const TXPColorMap *map, QWidget *parent = nullptr);

    void SetCloseButtonVisible(bool value);
    bool HasCloseButton() const;
    TGKSpeedButton *CloseButton() const { return Close; }

signals:
    void CloseButtonClick();
    void BarsPopupRequested(QPoint globalPos);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void PlaceCloseButton();

    const TXPColorMap *Map;
    TGKSpeedButton *Close = nullptr;
};

// Popup menu of the flat look.
class TGKPopupMenu : public QMenu
{
    Q_OBJECT
public:
    explicit TGKPopupMenu(QWidget *parent = nullptr);
};
