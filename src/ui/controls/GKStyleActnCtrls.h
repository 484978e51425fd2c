#pragma once

#include "ColorMap.h"

#include <QProxyStyle>

// The flat "GK Style" of menu bars, toolbars and popup menus, drawn from a
// colour map: hot items filled with the selected colour inside a frame.
class TGKStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit TGKStyle(const TXPColorMap &map = MakeWindowColorMaps().XPColorMap);

    static QString StyleName() { return QStringLiteral("GK Style"); }
    const TXPColorMap &ColorMap() const { return Map; }

    // Width of the image column of popup menus.
    static constexpr int GutterWidth = 24;
    static constexpr int ItemHeight = 21;
    // Popup menus keep this strip on their right and bottom for a drop shadow.
    static constexpr int ShadowSize = 4;

    void polish(QWidget *widget) override;
    void unpolish(QWidget *widget) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr, QStyleHintReturn *returnData = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

    // The band grip: five dots in a zigzag down the left side.
    static void DrawGrip(QPainter &painter, const QRect &band, const TXPColorMap &map);

private:
    void DrawMenuItem(const QStyleOption *option, QPainter *painter) const;
    void DrawMenuBarItem(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;
    // The shadow strips of a popup menu: what lay behind it, darkened.
    void DrawMenuShadow(QPainter *painter, const QWidget *menu) const;

    TXPColorMap Map;
};
