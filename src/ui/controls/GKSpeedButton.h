#pragma once

#include "ColorMap.h"

#include <QPointer>
#include <QPolygon>
#include <QWidget>

#include <memory>

class QAction;

enum class TGKGlyph { Cross = 0, UpArrow = 1, DownArrow = 2, LeftArrow = 3, RightArrow = 4 };

// A flat button drawn from a colour map: scroll, counter and close buttons.
// It follows the mouse: framed and filled while hovered, darker while pressed.
class TGKSpeedButton : public QWidget
{
    Q_OBJECT
public:
    explicit TGKSpeedButton(QWidget *parent = nullptr);
    ~TGKSpeedButton() override;

    // None makes the button use a colour map of its own.
    void SetColorMap(const TXPColorMap *map);
    const TXPColorMap *ColorMap() const { return Map; }
    bool OwnsColorMap() const { return OwnMap != nullptr; }
    bool Down() const { return Hovered && Pressed; }
    bool IsHovered() const { return Hovered; }
    bool IsPressed() const { return Pressed; }
    TGKGlyph Glyph() const { return GlyphKind; }
    void SetGlyph(TGKGlyph glyph);
    bool ShowInactiveFrame() const { return InactiveFrame; }
    void SetShowInactiveFrame(bool value);
    bool ShowFocusedFrame() const { return FocusedFrame; }
    void SetShowFocusedFrame(bool value);
    QWidget *FocusControl() const { return Focus; }
    void SetFocusControl(QWidget *control);
    // Runs the action on click and follows its enabled state.
    void SetAction(QAction *action);

    // The pixels of the cross, or the corners of an arrow, for a button of this size.
    static QList<QPoint> CrossPixels(QSize size);
    static QPolygon ArrowPolygon(TGKGlyph glyph, QSize size);

    QSize sizeHint() const override { return {20, 20}; }

signals:
    void MouseEnter();
    void MouseExit();
    void MouseDown(Qt::MouseButton button, QPoint point);
    void MouseUp(Qt::MouseButton button, QPoint point);
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void DoEnter();
    void DoLeave();
    bool IsFocused() const;

    std::unique_ptr<TXPColorMap> OwnMap;
    const TXPColorMap *Map = nullptr;
    TGKGlyph GlyphKind = TGKGlyph::Cross;
    bool InactiveFrame = true;
    bool FocusedFrame = false;
    QPointer<QWidget> Focus;
    QPointer<QAction> BoundAction;
    bool Hovered = false;
    bool Pressed = false;
};
