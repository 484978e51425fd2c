#include "BandCover.h"

#include <algorithm>
#include <array>

namespace {

qint64 CeilDiv(qint64 a, qint64 b) // b > 0
{
    return a >= 0 ? (a + b - 1) / b : -(-a / b);
}

// The corners of an axis-aligned rectangle given as four points, or none.
bool AsRectangle(const QPolygon &band, QRect &rect)
{
    if (band.size() != 4)
        return false;
    const QPoint *p = band.constData();
    const bool flatFirst = p[0].y() == p[1].y() && p[1].x() == p[2].x() && p[2].y() == p[3].y() && p[3].x() == p[0].x();
    const bool steepFirst = p[0].x() == p[1].x() && p[1].y() == p[2].y() && p[2].x() == p[3].x() && p[3].y() == p[0].y();
    if (!flatFirst && !steepFirst)
        return false;
    const int left = std::min(p[0].x(), p[2].x()), right = std::max(p[0].x(), p[2].x());
    const int top = std::min(p[0].y(), p[2].y()), bottom = std::max(p[0].y(), p[2].y());
    rect = QRect(left, top, right - left, bottom - top); // empty when flat
    return true;
}

// Calls span(from, to) for each run [from, to) of covered pixels on row y.
template <typename TSpan>
bool AnySpan(const QPolygon &band, int y, TSpan span)
{
    struct TCrossing
    {
        qint64 X;
        int Winding;
    };
    std::array<TCrossing, 8> crossings;
    int n = 0;
    for (qsizetype i = 0; i < band.size() && n < int(crossings.size()); ++i) {
        QPoint a = band[i], b = band[(i + 1) % band.size()];
        if (a.y() == b.y())
            continue; // horizontal edges bound no span
        int winding = 1;
        if (a.y() > b.y()) {
            std::swap(a, b);
            winding = -1;
        }
        if (y < a.y() || y >= b.y())
            continue;
        const qint64 dx = qint64(b.x()) - a.x(), dy = qint64(b.y()) - a.y();
        crossings[size_t(n++)] = {a.x() + CeilDiv(qint64(y - a.y()) * dx, dy), winding};
    }
    for (int i = 1; i < n; ++i) // a handful: insertion sort
        for (int j = i; j > 0 && crossings[size_t(j - 1)].X > crossings[size_t(j)].X; --j)
            std::swap(crossings[size_t(j - 1)], crossings[size_t(j)]);
    int winding = 0;
    qint64 from = 0;
    for (int i = 0; i < n; ++i) {
        const int before = winding;
        winding += crossings[size_t(i)].Winding;
        if (before == 0 && winding != 0)
            from = crossings[size_t(i)].X;
        else if (before != 0 && winding == 0 && span(from, crossings[size_t(i)].X))
            return true;
    }
    return false;
}

} // namespace

bool BandCovers(const QPolygon &band, int x, int y)
{
    QRect rect;
    if (AsRectangle(band, rect))
        return !rect.isEmpty() && rect.contains(x, y);
    return AnySpan(band, y, [x](qint64 from, qint64 to) { return x >= from && x < to; });
}

bool BandMeetsRect(const QPolygon &band, const QRect &rect)
{
    QRect square;
    if (AsRectangle(band, square))
        return !square.isEmpty() && square.intersects(rect);
    const QRect bounds = band.boundingRect();
    const int top = std::max(rect.top(), bounds.top()), bottom = std::min(rect.bottom(), bounds.bottom());
    for (int y = top; y <= bottom; ++y)
        if (AnySpan(band, y, [&rect](qint64 from, qint64 to) { return from < to && from <= rect.right() && to > rect.left(); }))
            return true;
    return false;
}
