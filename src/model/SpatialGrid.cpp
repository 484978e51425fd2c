#include "SpatialGrid.h"

#include <algorithm>

namespace {

// A box that would be filed under more cells than this goes to the list of
// oversized ones instead (a long arc segment across a large sheet).
constexpr qint64 MaxCellsPerBox = 256;

int FloorDiv(qint64 a, int b)
{
    return int(a >= 0 ? a / b : -((-a + b - 1) / b));
}

bool EraseOne(std::vector<TNetElement *> &bucket, const TNetElement *element)
{
    const auto it = std::find(bucket.begin(), bucket.end(), element);
    if (it == bucket.end())
        return false;
    *it = bucket.back();
    bucket.pop_back();
    return true;
}

} // namespace

void TSpatialGrid::Reset(const QRect &extent, int cellSize)
{
    Extent = extent;
    CellSize = std::max(cellSize, 1);
    Columns = std::max(1, FloorDiv(qint64(extent.width()) + CellSize - 1, CellSize));
    Rows = std::max(1, FloorDiv(qint64(extent.height()) + CellSize - 1, CellSize));
    Outside = 0;
    Big.clear();
    Cells.clear();
    Cells.resize(size_t(Columns) * size_t(Rows));
}

void TSpatialGrid::Clear()
{
    Extent = QRect();
    Columns = Rows = Outside = 0;
    Cells.clear();
    Cells.shrink_to_fit();
    Big.clear();
}

TSpatialGrid::TSpan TSpatialGrid::Span(const QRect &box) const
{
    auto column = [this](qint64 x) { return std::clamp(FloorDiv(x - Extent.left(), CellSize), 0, Columns - 1); };
    auto row = [this](qint64 y) { return std::clamp(FloorDiv(y - Extent.top(), CellSize), 0, Rows - 1); };
    return {column(box.left()), row(box.top()), column(box.right()), row(box.bottom())};
}

void TSpatialGrid::Insert(TNetElement *element, const QRect &box)
{
    if (Cells.empty())
        return;
    if (!Extent.contains(box))
        ++Outside;
    const TSpan s = Span(box);
    if (s.CellCount() > MaxCellsPerBox) {
        Big.push_back(element);
        return;
    }
    for (int row = s.Top; row <= s.Bottom; ++row)
        for (int column = s.Left; column <= s.Right; ++column)
            Cells[size_t(row) * size_t(Columns) + size_t(column)].push_back(element);
}

bool TSpatialGrid::Remove(TNetElement *element, const QRect &box)
{
    if (Cells.empty())
        return false;
    const TSpan s = Span(box);
    if (s.CellCount() > MaxCellsPerBox)
        return EraseOne(Big, element);
    bool found = true;
    for (int row = s.Top; row <= s.Bottom; ++row)
        for (int column = s.Left; column <= s.Right; ++column)
            found &= EraseOne(Cells[size_t(row) * size_t(Columns) + size_t(column)], element);
    return found;
}
