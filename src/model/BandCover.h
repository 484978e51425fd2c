#pragma once

#include <QPolygon>
#include <QRect>

// The pixels of a small polygon (an arc segment's hit band) exactly as a
// QRegion built from it with the winding rule would hold them, found without
// building the region: a region's cost grows with the band's length, and its
// coordinates are limited. An axis-aligned rectangle covers [left, right) x
// [top, bottom) of its corners; any other polygon covers, on each pixel row
// it spans, the pixels from where it is entered to where it is left, each
// edge's crossing rounded up.
bool BandCovers(const QPolygon &band, int x, int y);
// Whether the band covers any pixel of rect.
bool BandMeetsRect(const QPolygon &band, const QRect &rect);
