#pragma once

#include <QRect>

#include <vector>

class TNetElement;

// A uniform grid of buckets over net coordinates. An element is filed under
// every cell its boxes meet (an arc once per segment), so a look-up visits
// only the cells of the area asked about. Boxes outside the grid's extent are
// filed under the border cells, where a look-up that is clamped the same way
// still finds them; boxes that would cover very many cells go to one list
// that every look-up visits.
class TSpatialGrid
{
public:
    // Empties the grid and lays cells of cellSize pixels over extent.
    void Reset(const QRect &extent, int cellSize);
    void Clear();
    void Insert(TNetElement *element, const QRect &box);
    // False when the element was not filed under box, i.e. the grid is out of step.
    bool Remove(TNetElement *element, const QRect &box);
    // Boxes filed since Reset that lie partly outside the extent.
    int OutsideCount() const { return Outside; }

    // Calls visit for each element filed under a cell that box meets, and for
    // every oversized one; an element may come more than once.
    template <typename TVisit>
    void Visit(const QRect &box, TVisit visit) const
    {
        for (TNetElement *e : Big)
            visit(e);
        if (Cells.empty())
            return;
        const TSpan s = Span(box);
        for (int row = s.Top; row <= s.Bottom; ++row)
            for (int column = s.Left; column <= s.Right; ++column)
                for (TNetElement *e : Cells[size_t(row) * size_t(Columns) + size_t(column)])
                    visit(e);
    }

private:
    struct TSpan
    {
        int Left, Top, Right, Bottom;
        qint64 CellCount() const { return qint64(Right - Left + 1) * (Bottom - Top + 1); }
    };
    TSpan Span(const QRect &box) const;

    QRect Extent;
    int CellSize = 64;
    int Columns = 0;
    int Rows = 0;
    int Outside = 0;
    std::vector<std::vector<TNetElement *>> Cells;
    std::vector<TNetElement *> Big;
};
