#pragma once

#include <QAbstractListModel>

#include <array>

class TNetElement;
class TPetryNet;

// The rows of the inspector's element list, read from the net on demand: a
// header per kind that has elements ("Позиции:", "Переходы:", "Дуги:"), each
// followed by the names of that kind's elements in the net's order. Only the
// section sizes are kept, so a rebuild costs the same for any net size and
// the view asks only for the rows it shows.
class TElementListModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    // Takes the net's sections again (a model reset); none empties the list.
    void Rebuild(const TPetryNet *net);
    // The element's row changed its text.
    void RowChanged(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The element of a row; none for a header or a row out of range.
    TNetElement *ElementOfRow(int row) const;
    // Whether a row is a kind's header.
    bool IsHeaderRow(int row) const;
    // The row of an element listed at the last rebuild, or -1.
    int RowOf(const TNetElement *element) const;

private:
    // Places, transitions, arcs; Header is the row of the kind's header
    // (none while Count is 0).
    struct TSection
    {
        int Header = -1;
        int Count = 0;
    };
    const TSection *SectionOf(int row) const;

    const TPetryNet *Net = nullptr;
    std::array<TSection, 3> Sections{};
    int Rows = 0;
};
