#pragma once

#include <QColor>
#include <QString>

// Hue, luminance and saturation, each on the 0..240 scale.
struct THls
{
    int H = 0, L = 0, S = 0;
    bool operator==(const THls &) const = default;
};

THls ColorToHls(const QColor &color);
QColor HlsToColor(const THls &hls);
// The colour with its luminance moved up or down by n steps of 240.
QColor lighten(const QColor &color, int n);
QColor darken(const QColor &color, int n);

// The button face colour the flat look is derived from.
QColor ButtonFaceColor();
// Background of the canvas around the sheet.
QColor AppWorkspaceColor();

// Named colours shared by the flat bars, menus, buttons and panels.
struct TXPColorMap
{
    QString Name = QStringLiteral("DefaultColorMap");
    QColor Color = ButtonFaceColor();
    QColor BtnFrameColor = QColor(10, 36, 106);
    QColor SelectedColor = QColor(182, 189, 210);
    QColor FontColor = Qt::black;
    QColor SelectedFontColor = Qt::black;
    QColor DisabledFontColor = QColor(141, 141, 141);
    QColor UnusedColor = darken(ButtonFaceColor(), 10);
    QColor MenuColor = QColor(252, 252, 249);
    QColor ShadowColor = QColor(128, 128, 128);
};

// The two maps of a document window: the bar colours and the lighter panel colours.
struct TWindowColorMaps
{
    TXPColorMap XPColorMap;
    TXPColorMap LPXPColorMap;
};
TWindowColorMaps MakeWindowColorMaps();
