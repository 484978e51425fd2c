#include "ColorMap.h"

#include <algorithm>

namespace {
constexpr int HlsMax = 240;
constexpr int RgbMax = 255;
constexpr int Undefined = HlsMax * 2 / 3;

int HueToRgb(int n1, int n2, int hue)
{
    if (hue < 0)
        hue += HlsMax;
    if (hue > HlsMax)
        hue -= HlsMax;
    if (hue < HlsMax / 6)
        return n1 + ((n2 - n1) * hue + HlsMax / 12) / (HlsMax / 6);
    if (hue < HlsMax / 2)
        return n2;
    if (hue < HlsMax * 2 / 3)
        return n1 + ((n2 - n1) * (HlsMax * 2 / 3 - hue) + HlsMax / 12) / (HlsMax / 6);
    return n1;
}
} // namespace

// Integer conversion with rounding, as the classic 0..240 colour dialogs do it.
THls ColorToHls(const QColor &color)
{
    const int r = color.red(), g = color.green(), b = color.blue();
    const int cMax = std::max({r, g, b});
    const int cMin = std::min({r, g, b});
    THls hls;
    hls.L = ((cMax + cMin) * HlsMax + RgbMax) / (2 * RgbMax);
    if (cMax == cMin) {
        hls.S = 0;
        hls.H = Undefined;
        return hls;
    }
    const int diff = cMax - cMin;
    if (hls.L <= HlsMax / 2)
        hls.S = (diff * HlsMax + (cMax + cMin) / 2) / (cMax + cMin);
    else
        hls.S = (diff * HlsMax + (2 * RgbMax - cMax - cMin) / 2) / (2 * RgbMax - cMax - cMin);
    const int rDelta = ((cMax - r) * (HlsMax / 6) + diff / 2) / diff;
    const int gDelta = ((cMax - g) * (HlsMax / 6) + diff / 2) / diff;
    const int bDelta = ((cMax - b) * (HlsMax / 6) + diff / 2) / diff;
    if (r == cMax)
        hls.H = bDelta - gDelta;
    else if (g == cMax)
        hls.H = HlsMax / 3 + rDelta - bDelta;
    else
        hls.H = 2 * HlsMax / 3 + gDelta - rDelta;
    if (hls.H < 0)
        hls.H += HlsMax;
    if (hls.H > HlsMax)
        hls.H -= HlsMax;
    return hls;
}

QColor HlsToColor(const THls &hls)
{
    if (hls.S == 0) {
        const int v = hls.L * RgbMax / HlsMax;
        return QColor(v, v, v);
    }
    int magic2;
    if (hls.L <= HlsMax / 2)
        magic2 = (hls.L * (HlsMax + hls.S) + HlsMax / 2) / HlsMax;
    else
        magic2 = hls.L + hls.S - (hls.L * hls.S + HlsMax / 2) / HlsMax;
    const int magic1 = 2 * hls.L - magic2;
    auto channel = [&](int hue) {
        const int v = (HueToRgb(magic1, magic2, hue) * RgbMax + HlsMax / 2) / HlsMax;
        return std::clamp(v, 0, RgbMax);
    };
    return QColor(channel(hls.H + HlsMax / 3), channel(hls.H), channel(hls.H - HlsMax / 3));
}

QColor lighten(const QColor &color, int n)
{
    THls hls = ColorToHls(color);
    hls.L = std::clamp(hls.L + n, 0, HlsMax);
    return HlsToColor(hls);
}

QColor darken(const QColor &color, int n)
{
    return lighten(color, -n);
}

QColor ButtonFaceColor()
{
    return QColor(212, 208, 200);
}

QColor AppWorkspaceColor()
{
    return QColor(128, 128, 128);
}

TWindowColorMaps MakeWindowColorMaps()
{
    TWindowColorMaps maps;
    TXPColorMap &xp = maps.XPColorMap;
    xp.Name = QStringLiteral("XPColorMap");
    xp.Color = lighten(xp.Color, 5);
    xp.BtnFrameColor = QColor(10, 36, 106);
    xp.SelectedColor = QColor(182, 189, 210);
    xp.UnusedColor = darken(xp.Color, 10);
    maps.LPXPColorMap = xp;
    maps.LPXPColorMap.Name = QStringLiteral("LPXPColorMap");
    maps.LPXPColorMap.Color = lighten(xp.Color, 30);
    return maps;
}
