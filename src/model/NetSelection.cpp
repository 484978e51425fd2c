#include "PetryNet.h"

#include "PetryNetPrivate.h"

#include <algorithm>

namespace {

// Slot of a kind in the per-kind counts; -1 for no element kind.
int KindSlot(quint8 kind)
{
    return kind >= KindPlace && kind <= KindArc ? kind - KindPlace : -1;
}

// How many elements ahead a walk over scattered elements asks for them.
constexpr size_t PrefetchDistance = 8;

} // namespace

// ---- Account of the selection

void TPetryNet::ElementSelecting(TNetElement *element, bool value)
{
    TSelectionMark &mark = element->Selected;
    if (bool(mark) == value)
        return;
    mark.Bits ^= TSelectionMark::IsSelected;
    const int slot = KindSlot(element->Kind);
    if (!SelectionInStep() || slot < 0)
        return; // taken afresh at the next question
    SelectedCounts[size_t(slot)] += value ? 1 : -1;
    if (mark.Bits & TSelectionMark::IsListed) {
        SelectedListStale += value ? -1 : 1;
    } else if (value) {
        mark.Bits |= TSelectionMark::IsListed;
        SelectedList.push_back(element);
    }
    if (SelectedListStale > 64 && SelectedListStale > qsizetype(SelectedList.size()) / 2)
        CompactSelectedList();
}

void TPetryNet::ElementLeavingSelection(TNetElement *element)
{
    TSelectionMark &mark = element->Selected;
    if (mark.Bits & TSelectionMark::IsListed) {
        mark.Bits &= ~TSelectionMark::IsListed;
        // Found from the back, where recent selections are; bulk destructions
        // drop the whole account first and never come here.
        const auto it = std::find(SelectedList.rbegin(), SelectedList.rend(), element);
        if (it != SelectedList.rend())
            SelectedList.erase(std::next(it).base());
        if (!mark)
            --SelectedListStale;
    }
    const int slot = KindSlot(element->Kind);
    if (mark && slot >= 0 && SelectionInStep())
        --SelectedCounts[size_t(slot)];
}

void TPetryNet::DropSelectionAccount()
{
    for (TNetElement *e : SelectedList)
        e->Selected.Bits &= ~TSelectionMark::IsListed;
    SelectedList.clear();
    SelectedListStale = 0;
    SelectionKnown = false;
}

void TPetryNet::CompactSelectedList() const
{
    std::erase_if(SelectedList, [](TNetElement *e) {
        if (e->Selected)
            return false;
        e->Selected.Bits &= ~TSelectionMark::IsListed;
        return true;
    });
    SelectedListStale = 0;
}

void TPetryNet::EnsureSelection() const
{
    if (SelectionInStep())
        return;
    for (TNetElement *e : SelectedList)
        e->Selected.Bits &= ~TSelectionMark::IsListed;
    SelectedList.clear();
    SelectedListStale = 0;
    SelectedCounts = {};
    auto take = [this](const auto &list, int slot) {
        for (TNetElement *e : list)
            if (e->Selected) {
                ++SelectedCounts[size_t(slot)];
                e->Selected.Bits |= TSelectionMark::IsListed;
                SelectedList.push_back(e);
            }
    };
    take(Places, 0);
    take(Transitions, 1);
    take(Arcs, 2);
    SelectionWrites = TSelectionMark::WriteCount();
    SelectionKnown = true;
}

// ---- Questions about the selection

int TPetryNet::SelectedCount() const
{
    EnsureSelection();
    return SelectedCounts[0] + SelectedCounts[1] + SelectedCounts[2];
}

int TPetryNet::SelectedCountOf(quint8 kind) const
{
    const int slot = KindSlot(kind);
    if (slot < 0)
        return 0;
    EnsureSelection();
    return SelectedCounts[size_t(slot)];
}

bool TPetryNet::HasSelectedNodes() const
{
    EnsureSelection();
    return SelectedCounts[0] + SelectedCounts[1] > 0;
}

TNetElement *TPetryNet::EndSelected(quint8 kind, bool first) const
{
    const int count = SelectedCountOf(kind);
    if (count == 0)
        return nullptr;
    auto walk = [first](const auto &list) -> TNetElement * {
        if (first) {
            for (TNetElement *e : list)
                if (e->Selected)
                    return e;
        } else {
            for (auto i = list.size(); i-- > 0;)
                if (list[i]->Selected)
                    return list[i];
        }
        return nullptr;
    };
    const qsizetype size = kind == KindPlace ? Places.size() : kind == KindTransition ? Transitions.size() : Arcs.size();
    // A selection this dense is met within a few steps from either end.
    if (qsizetype(count) * 16 >= size)
        return kind == KindPlace ? walk(Places) : kind == KindTransition ? walk(Transitions) : walk(Arcs);
    // Otherwise the selected element of the kind that comes first (last) in
    // its list; the spatial index numbers elements in list order.
    if (count > 1)
        EnsureGrid();
    TNetElement *best = nullptr;
    for (TNetElement *e : SelectedList)
        if (e->Kind == kind && e->Selected
            && (!best || (first ? e->GridOrder < best->GridOrder : e->GridOrder > best->GridOrder)))
            best = e;
    return best;
}

TNetElement *TPetryNet::FirstSelected() const
{
    for (quint8 kind : {KindPlace, KindTransition, KindArc})
        if (TNetElement *e = EndSelected(kind, true))
            return e;
    return nullptr;
}

TNetElement *TPetryNet::LastSelected() const
{
    for (quint8 kind : {KindArc, KindTransition, KindPlace})
        if (TNetElement *e = EndSelected(kind, false))
            return e;
    return nullptr;
}

TNetElement *TPetryNet::SelectedElement(int i) const
{
    if (i < 0)
        return nullptr;
    EnsureSelection();
    // In the order of Element: transitions, places, arcs.
    for (quint8 kind : {KindTransition, KindPlace, KindArc}) {
        const int count = SelectedCounts[size_t(KindSlot(kind))];
        if (i >= count) {
            i -= count;
            continue;
        }
        std::vector<TNetElement *> ofKind;
        ofKind.reserve(size_t(count));
        for (TNetElement *e : SelectedList)
            if (e->Kind == kind && e->Selected)
                ofKind.push_back(e);
        EnsureGrid();
        const auto nth = ofKind.begin() + i;
        std::nth_element(ofKind.begin(), nth, ofKind.end(),
                         [](const TNetElement *a, const TNetElement *b) { return a->GridOrder < b->GridOrder; });
        return *nth;
    }
    return nullptr;
}

int TPetryNet::SelectedIndexOf(const TNetElement *element) const
{
    if (!element || SelectedCountOf(element->Kind) == 0)
        return -1; // counted up to itself, or not in the net: -1 either way
    auto walk = [element](const auto &list) {
        int count = 0;
        for (const TNetElement *e : list) {
            count += e->Selected;
            if (e == element)
                return count - 1;
        }
        return -1;
    };
    switch (element->Kind) {
    case KindPlace: return walk(Places);
    case KindTransition: return walk(Transitions);
    case KindArc: return walk(Arcs);
    default: return -1;
    }
}

// ---- Selection commands

bool TPetryNet::AddSelectAt(int x, int y)
{
    TNetElement *hit = ElementAt(x, y);
    if (!hit)
        return false;
    hit->SetSelected(true);
    NotifySelectionChange();
    return true;
}

bool TPetryNet::UnselectAt(int x, int y)
{
    // Searched from the first element, unlike AddSelectAt; they differ only
    // where elements overlap.
    const std::vector<TNetElement *> near = ElementsIn(QRect(x, y, 1, 1));
    auto clear = [&](quint8 kind) {
        for (TNetElement *e : near)
            if (e->Kind == kind && e->ContainsPoint(x, y)) {
                e->SetSelected(false);
                NotifySelectionChange();
                return true;
            }
        return false;
    };
    return clear(KindTransition) || clear(KindPlace) || clear(KindArc);
}

bool TPetryNet::SelectAt(int x, int y)
{
    ClearSelection();
    const bool hit = AddSelectAt(x, y);
    NotifySelectionChange();
    return hit;
}

bool TPetryNet::SetSelectionInRect(const TSides &r, bool value)
{
    // The elements filed near the rectangle, each once: the index gives some
    // more than once, and a scratch bit in the flag tells them apart without
    // sorting. Every one the rectangle meets is told, whatever its state.
    EnsureGrid();
    std::vector<TNetElement *> near;
    Grid.Visit(SidesToRect(r.Left, r.Top, r.Right, r.Bottom).translated(-OriginX(), -OriginY()), [&near](TNetElement *e) {
        if (!(e->Selected.Bits & TSelectionMark::IsVisited)) {
            e->Selected.Bits |= TSelectionMark::IsVisited;
            near.push_back(e);
        }
    });
    bool any = false;
    for (TNetElement *e : near) {
        e->Selected.Bits &= ~TSelectionMark::IsVisited;
        if (e->IntersectsRect(r.Left, r.Top, r.Right, r.Bottom)) {
            e->SetSelected(value);
            any = true;
        }
    }
    NotifySelectionChange();
    return any;
}

bool TPetryNet::AddSelectInRect(const TSides &r)
{
    return SetSelectionInRect(r, true);
}

bool TPetryNet::UnselectInRect(const TSides &r)
{
    return SetSelectionInRect(r, false);
}

bool TPetryNet::SelectInRect(const TSides &r)
{
    ClearSelection();
    const bool any = AddSelectInRect(r);
    NotifySelectionChange();
    return any;
}

void TPetryNet::SelectAll()
{
    EnsureSelection();
    ElementsChanging(ElementCount() - SelectedCount());
    SelectedList.reserve(size_t(ElementCount()));
    for (TNetElement *e : Arcs)
        e->SetSelected(true);
    for (TNetElement *e : Places)
        e->SetSelected(true);
    for (TNetElement *e : Transitions)
        e->SetSelected(true);
    NotifySelectionChange();
}

void TPetryNet::ClearSelection()
{
    // Only the listed elements are visited. Each leaves the list as it is
    // unselected, so the list is dropped in one piece afterwards rather than
    // tidied again and again; entries are only ever appended meanwhile.
    EnsureSelection();
    ElementsChanging(SelectedCount());
    const size_t listed = SelectedList.size();
    int told = 0;
    for (size_t i = 0; i < listed; ++i) {
        // The elements lie apart in memory: each is asked for a while ahead.
        if (i + PrefetchDistance < listed)
            __builtin_prefetch(SelectedList[i + PrefetchDistance]);
        TNetElement *e = SelectedList[i];
        e->Selected.Bits &= ~TSelectionMark::IsListed;
        if (e->Selected) {
            e->SetSelected(false);
            ++told;
        }
    }
    SelectedList.erase(SelectedList.begin(), SelectedList.begin() + qsizetype(listed));
    SelectedListStale = 0;
    // Every element of the net is told once, as when each was unselected in turn.
    if (OnSelectionChange)
        for (int i = told; i < ElementCount(); ++i)
            NotifySelectionChange();
}

void TPetryNet::CancelSelection()
{
    ClearSelection();
    NotifySelectionChange();
}

TSides TPetryNet::GetSelectionRect() const
{
    EnsureSelection();
    TSides r{MaxX(), MaxY(), 0, 0};
    for (const TNetElement *e : SelectedList) {
        if (!e->Selected)
            continue;
        if (e->Kind != KindArc || static_cast<const TArc *>(e)->BothEndsSelected())
            ExtendSides(r, e);
    }
    return r;
}
