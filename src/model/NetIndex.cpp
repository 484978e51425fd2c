#include "PetryNet.h"

#include <algorithm>
#include <cmath>

// The net's spatial index: which elements lie where, in net coordinates (so
// scrolling the sheet changes nothing). Hit tests, rectangle selection and
// drawing of a visible part ask it for the few elements near a point or
// inside a rectangle and then apply each element's own exact test, so its
// boxes only need to cover every pixel an element answers for.

namespace {

// Widening of every box: an arc answers clicks 3 pixels from its line.
constexpr int BoxMargin = 4;

// Drawing order of the kinds: arcs below places below transitions.
int Layer(const TNetElement *e)
{
    return e->Kind == KindArc ? 0 : e->Kind == KindPlace ? 1 : 2;
}

} // namespace

namespace {

// Calls box for each box the element is filed under: a node's rectangle, or
// one per segment of an arc's polyline; net coordinates.
template <typename TBox>
void ForEachBox(const TPetryNet &net, const TNetElement *e, TBox box)
{
    if (e->Kind == KindArc) {
        const auto *arc = static_cast<const TArc *>(e);
        if (!arc->StartNode || !arc->EndNode)
            return;
        QPoint prev(arc->StartNode->X, arc->StartNode->Y);
        auto leg = [&](QPoint next) {
            box(QRect(prev, next).normalized().adjusted(-BoxMargin, -BoxMargin, BoxMargin, BoxMargin));
            prev = next;
        };
        for (const QPoint &p : arc->BendPoints)
            leg(p);
        leg(QPoint(arc->EndNode->X, arc->EndNode->Y));
        return;
    }
    const auto *node = static_cast<const TStaticNetElement *>(e);
    const QPoint size = e->Kind == KindPlace ? net.GetPlaceSize() : net.GetTransitionSize();
    box(QRect(node->X - size.x() / 2, node->Y - size.y() / 2, size.x(), size.y())
            .adjusted(-BoxMargin, -BoxMargin, BoxMargin, BoxMargin));
}

} // namespace

void TPetryNet::FileElement(TNetElement *element) const
{
    ForEachBox(*this, element, [&](const QRect &box) { Grid.Insert(element, box); });
    element->GridState = TNetElement::Filed;
}

void TPetryNet::UnfileElement(TNetElement *element) const
{
    bool found = true;
    ForEachBox(*this, element, [&](const QRect &box) { found &= Grid.Remove(element, box); });
    // An outline changed behind the index's back: start afresh.
    if (!found)
        GridValid = false;
}

void TPetryNet::ElementMoving(TNetElement *element)
{
    auto take = [this](TNetElement *e) {
        ElementChanging(e); // the canvas repaints the old outline and the new
        if (!GridValid || e->GridState != TNetElement::Filed)
            return;
        UnfileElement(e);
        e->GridState = TNetElement::Refiling;
        GridPending.push_back(e);
    };
    take(element);
    // A node's arcs end at its centre and move with it.
    if (element->Kind == KindPlace || element->Kind == KindTransition)
        for (TArc *arc : static_cast<TStaticNetElement *>(element)->ArcList)
            take(arc);
}

void TPetryNet::ElementDestroyed(TNetElement *element)
{
    ElementVanishing(element);
    if (element->GridState == TNetElement::NotFiled)
        return;
    if (GridValid) {
        if (element->GridState == TNetElement::Filed)
            UnfileElement(element);
        else
            std::erase(GridPending, element);
    }
    element->GridState = TNetElement::NotFiled;
    // The element leaves its list too; the count follows so that later
    // appends are still recognised.
    switch (element->Kind) {
    case KindPlace: --GridPlaces; break;
    case KindTransition: --GridTransitions; break;
    case KindArc: --GridArcs; break;
    default: break;
    }
}

void TPetryNet::DropGrid()
{
    Grid.Clear();
    GridPending.clear();
    GridValid = false;
    auto forget = [](const auto &list) {
        for (TNetElement *e : list)
            e->GridState = TNetElement::NotFiled;
    };
    forget(Arcs);
    forget(Places);
    forget(Transitions);
    GridPlaces = GridTransitions = GridArcs = 0;
}

void TPetryNet::RebuildGrid() const
{
    GridPending.clear();
    GridSizes = {PlaceWidth, PlaceHeight, TransitionWidth, TransitionHeight};
    // The extent of everything, and cells of about four elements' area.
    QRect extent;
    qint64 boxes = 0;
    auto measure = [&](const auto &list) {
        for (const TNetElement *e : list)
            ForEachBox(*this, e, [&](const QRect &box) {
                extent = boxes++ ? extent.united(box) : box;
            });
    };
    measure(Arcs);
    measure(Places);
    measure(Transitions);
    const double area = double(extent.width()) * double(extent.height());
    const int cell = int(std::clamp(std::sqrt(4 * area / double(std::max<qint64>(boxes, 1))), 32.0, 1e6));
    Grid.Reset(extent.isValid() ? extent : QRect(0, 0, 1, 1), cell);

    GridNextOrder = 0;
    auto file = [this](const auto &list) {
        for (TNetElement *e : list) {
            e->GridOrder = ++GridNextOrder;
            FileElement(e);
        }
    };
    file(Arcs);
    file(Places);
    file(Transitions);
    GridPlaces = Places.size();
    GridTransitions = Transitions.size();
    GridArcs = Arcs.size();
    GridValid = true;
}

void TPetryNet::EnsureGrid() const
{
    const std::array<qint32, 4> sizes{PlaceWidth, PlaceHeight, TransitionWidth, TransitionHeight};
    if (!GridValid || sizes != GridSizes || Places.size() < GridPlaces || Transitions.size() < GridTransitions
        || Arcs.size() < GridArcs) {
        RebuildGrid();
        return;
    }
    // Elements appended to a list since (new nodes and arcs, pasted groups)
    // come after every filed one of their kind.
    auto catchUp = [this](const auto &list, qsizetype &filed) {
        for (; filed < list.size(); ++filed) {
            TNetElement *e = list[filed];
            if (e->GridState != TNetElement::NotFiled)
                return false;
            e->GridOrder = ++GridNextOrder;
            FileElement(e);
        }
        return true;
    };
    if (!catchUp(Arcs, GridArcs) || !catchUp(Places, GridPlaces) || !catchUp(Transitions, GridTransitions)) {
        RebuildGrid();
        return;
    }
    for (TNetElement *e : GridPending)
        FileElement(e);
    GridPending.clear();
    // Too much has moved past the grid's edge for its border cells to stay small.
    if (!GridValid || Grid.OutsideCount() > ElementCount() / 8 + 64)
        RebuildGrid();
}

std::vector<TNetElement *> TPetryNet::ElementsIn(const QRect &rect) const
{
    EnsureGrid();
    // Sorted by a key read once per element rather than twice per
    // comparison: the elements lie apart in memory, the keys side by side.
    std::vector<std::pair<quint64, TNetElement *>> keyed;
    Grid.Visit(rect.translated(-OriginX(), -OriginY()), [&keyed](TNetElement *e) {
        keyed.emplace_back(quint64(Layer(e)) << 32 | e->GridOrder, e);
    });
    std::sort(keyed.begin(), keyed.end());
    std::vector<TNetElement *> found;
    found.reserve(keyed.size());
    for (const auto &[key, e] : keyed)
        if (found.empty() || found.back() != e)
            found.push_back(e);
    return found;
}
