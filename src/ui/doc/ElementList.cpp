// The inspector's element list as a model over the net: rows are answered
// from the net's element lists when the view asks for them.
#include "ElementList.h"

#include "PetryNet.h"

namespace {
// The kinds in list order, with their headers.
constexpr quint8 SectionKinds[3] = {KindPlace, KindTransition, KindArc};

QString HeaderText(int section)
{
    switch (section) {
    case 0: return QStringLiteral("Позиции:");
    case 1: return QStringLiteral("Переходы:");
    default: return QStringLiteral("Дуги:");
    }
}
} // namespace

void TElementListModel::Rebuild(const TPetryNet *net)
{
    beginResetModel();
    Net = net;
    Sections = {};
    Rows = 0;
    if (Net) {
        const int counts[3] = {Net->PlaceCount(), Net->TransitionCount(), Net->ArcCount()};
        for (int k = 0; k < 3; ++k) {
            if (counts[k] == 0)
                continue;
            Sections[k] = {Rows, counts[k]};
            Rows += 1 + counts[k];
        }
    }
    endResetModel();
}

void TElementListModel::RowChanged(int row)
{
    if (row < 0 || row >= Rows)
        return;
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

int TElementListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Rows;
}

QVariant TElementListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const TSection *s = SectionOf(index.row());
    if (!s)
        return {};
    if (index.row() == s->Header)
        return HeaderText(int(s - Sections.data()));
    // Between a change of the net and the rebuild that follows it a row may
    // have lost its element: it is then shown empty.
    const TNetElement *e = ElementOfRow(index.row());
    return e ? e->Name : QString();
}

Qt::ItemFlags TElementListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

const TElementListModel::TSection *TElementListModel::SectionOf(int row) const
{
    for (const TSection &s : Sections)
        if (s.Count > 0 && row >= s.Header && row <= s.Header + s.Count)
            return &s;
    return nullptr;
}

TNetElement *TElementListModel::ElementOfRow(int row) const
{
    // A section is its header row followed by its elements in list order.
    const TSection *s = SectionOf(row);
    if (!s || !Net || row == s->Header)
        return nullptr;
    const int i = row - s->Header - 1;
    switch (SectionKinds[s - Sections.data()]) {
    case KindPlace: return Net->Place(i);
    case KindTransition: return Net->Transition(i);
    default: return Net->Arc(i);
    }
}

bool TElementListModel::IsHeaderRow(int row) const
{
    const TSection *s = SectionOf(row);
    return s && row == s->Header;
}

int TElementListModel::RowOf(const TNetElement *element) const
{
    if (!Net || !element)
        return -1;
    for (int k = 0; k < 3; ++k) {
        if (SectionKinds[k] != element->Kind)
            continue;
        const int i = Net->IndexOfElement(element);
        return i >= 0 && i < Sections[k].Count ? Sections[k].Header + 1 + i : -1;
    }
    return -1;
}
