#include "PetryNet.h"

#include "PetryNetPrivate.h"

#include <QSet>

#include <algorithm>

// Undo and Redo in place: the net's lists are merged with the snapshot's
// records. An element whose record is the very one the net's current
// snapshot holds is already as recorded and is not touched; one whose record
// differs gets its fields written back; one the snapshot lacks is parked; one
// the net lacks comes back from the parking lot. So a restore costs a walk
// over the record lists plus the changed elements, and every element keeps
// its address, which deeper snapshots name.

// ---- Parking lot

TNetElement *TParkingLot::Find(const void *id, quint8 kind) const
{
    const auto it = Parked.constFind(id);
    return it != Parked.cend() && it->Element->Kind == kind ? it->Element : nullptr;
}

TParkedElements::TParkedElements(std::shared_ptr<TParkingLot> lot, std::vector<TNetElement *> elements)
    : Lot(std::move(lot))
    , Elements(std::move(elements))
{
}

TParkedElements::~TParkedElements()
{
    if (!Lot->Net)
        return;
    for (TNetElement *e : Elements) {
        const auto it = Lot->Parked.find(e);
        // Brought back since, or parked again by a later change.
        if (it == Lot->Parked.end() || it->Group != this)
            continue;
        Lot->Parked.erase(it);
        Lot->Net->DestroyParked(e);
    }
}

void TPetryNet::ParkElements(std::vector<TNetElement *> elements, const TNetSnapshot *holder)
{
    for (TNetElement *e : elements) {
        if (e->Kind == KindArc) {
            auto *arc = static_cast<TArc *>(e);
            arc->StartNode->DetachArc(arc);
            arc->EndNode->DetachArc(arc);
        }
        // Out of the picture and the spatial index, as if destroyed.
        ElementDestroyed(e);
        e->Selected.Bits = 0;
    }
    if (!holder) {
        for (TNetElement *e : elements)
            DestroyParked(e);
        return;
    }
    if (!Parking) {
        Parking = std::make_shared<TParkingLot>();
        Parking->Net = this;
    }
    auto group = std::make_shared<const TParkedElements>(Parking, elements);
    for (TNetElement *e : elements)
        Parking->Parked.insert(e, {e, group.get()});
    holder->Parked.push_back(std::move(group));
}

void TPetryNet::DestroyParked(TNetElement *element)
{
    // A parked element is in no list and no account and has no arcs in its
    // list (they were parked too, or went first); it is no longer drawn.
    if (element->Kind == KindArc) {
        auto *arc = static_cast<TArc *>(element);
        arc->StartNode = arc->EndNode = nullptr;
    } else {
        static_cast<TStaticNetElement *>(element)->ArcList.clear();
    }
    const bool whole = std::exchange(DirtyWhole, true);
    const bool detaching = std::exchange(DetachingNothing, true);
    delete element;
    DetachingNothing = detaching;
    DirtyWhole = whole;
}

void TPetryNet::ReleaseParked()
{
    if (!Parking)
        return;
    const auto parked = std::exchange(Parking->Parked, {});
    for (const TParkingLot::TEntry &entry : parked)
        DestroyParked(entry.Element);
    Parking->Net = nullptr;
}

// ---- Restore

namespace {

// One list's way from the net's elements to the snapshot's.
template <class TElement>
struct TListPlan
{
    QList<TElement *> List;       // the list as the snapshot has it
    std::vector<qsizetype> Back;    // positions of elements that come back from the parking lot
    std::vector<qsizetype> Changed; // positions of present elements whose record differs
    std::vector<TElement *> Leaving;
    bool Same() const { return Back.empty() && Leaving.empty(); }
};

// Plans the list's merge: now holds the record of each element of list, in
// order, target the snapshot's. False when the snapshot names an element
// that is neither in the list (in its order) nor parked.
template <class TElement, class TRecordPtr>
bool PlanList(const QList<TElement *> &list, const std::vector<TRecordPtr> &now, const std::vector<TRecordPtr> &target,
              const TParkingLot *lot, quint8 kind, TListPlan<TElement> &plan)
{
    const size_t n = now.size();
    if (n != size_t(list.size()))
        return false;
    plan.List.reserve(qsizetype(target.size()));
    size_t i = 0;
    for (const TRecordPtr &r : target) {
        if (i < n && now[i] == r) {
            plan.List.append(list[qsizetype(i++)]);
            continue;
        }
        if (TNetElement *parked = lot ? lot->Find(r->Id, kind) : nullptr) {
            plan.Back.push_back(plan.List.size());
            plan.List.append(static_cast<TElement *>(parked));
            continue;
        }
        while (i < n && now[i]->Id != r->Id)
            plan.Leaving.push_back(list[qsizetype(i++)]);
        if (i == n)
            return false;
        if (now[i] != r)
            plan.Changed.push_back(plan.List.size());
        plan.List.append(list[qsizetype(i++)]);
    }
    while (i < n)
        plan.Leaving.push_back(list[qsizetype(i++)]);
    return true;
}

// Whether the arcs at the positions keep the ends their records name.
bool SameEnds(const TListPlan<TArc> &plan, const std::vector<qsizetype> &positions, const std::vector<TArcRecordPtr> &records)
{
    return std::all_of(positions.begin(), positions.end(), [&](qsizetype k) {
        const TArc *arc = plan.List[k];
        const TArcRecord &r = *records[size_t(k)];
        return arc->StartNode == r.Start && arc->EndNode == r.End;
    });
}

} // namespace

bool TPetryNet::RestoreInPlace(const TSnapshotPtr &snapshot, const TSnapshotPtr &current)
{
    if (!current)
        return false;
    const TNetSnapshot &s = *snapshot;
    const TParkingLot *lot = Parking.get();
    TListPlan<TPosition> places;
    TListPlan<TTransfer> transitions;
    TListPlan<TArc> arcs;
    if (!PlanList(Places, *current->Places, *s.Places, lot, KindPlace, places)
        || !PlanList(Transitions, *current->Transitions, *s.Transitions, lot, KindTransition, transitions)
        || !PlanList(Arcs, *current->Arcs, *s.Arcs, lot, KindArc, arcs) || !SameEnds(arcs, arcs.Back, *s.Arcs)
        || !SameEnds(arcs, arcs.Changed, *s.Arcs))
        return false;

    // The spatial index up to date first, so that every element in the lists
    // is filed and numbered in list order.
    if (GridValid)
        EnsureGrid();
    MarkAllDirty();
    // Nothing stays selected or highlighted.
    EnsureSelection();
    const bool wasSelected = SelectedCounts != std::array<int, 3>{};
    for (TNetElement *e : SelectedList)
        e->Selected.Bits &= ~(TSelectionMark::IsSelected | TSelectionMark::IsListed);
    SelectedList.clear();
    SelectedListStale = 0;
    SelectedCounts = {};
    for (TStaticNetElement *node : {ArcSource, ArcTarget})
        if (node)
            node->Highlighted = false;

    // Arcs leave before their nodes, so that those end without arcs.
    std::vector<TNetElement *> leaving(arcs.Leaving.begin(), arcs.Leaving.end());
    leaving.insert(leaving.end(), places.Leaving.begin(), places.Leaving.end());
    leaving.insert(leaving.end(), transitions.Leaving.begin(), transitions.Leaving.end());
    ParkElements(std::move(leaving), current.get());

    for (qsizetype k : places.Changed)
        RestoreRecord(*this, *places.List[k], *(*s.Places)[size_t(k)]);
    for (qsizetype k : transitions.Changed)
        RestoreRecord(*this, *transitions.List[k], *(*s.Transitions)[size_t(k)]);
    for (qsizetype k : arcs.Changed)
        RestoreRecord(*this, *arcs.List[k], *(*s.Arcs)[size_t(k)]);

    // Elements coming back take their records' fields; arcs rejoin their
    // ends' lists, which hold a node's arcs in the order of the net's list.
    auto unpark = [this](const auto &plan, const auto &records) {
        for (qsizetype k : plan.Back) {
            TNetElement *e = plan.List[k];
            SetRecord(*plan.List[k], *records[size_t(k)]);
            Parking->Parked.remove(e);
        }
    };
    unpark(places, *s.Places);
    unpark(transitions, *s.Transitions);
    unpark(arcs, *s.Arcs);
    if (!arcs.Back.empty()) {
        QSet<TStaticNetElement *> ends;
        QHash<const TArc *, qsizetype> position;
        for (qsizetype k : arcs.Back) {
            TArc *arc = arcs.List[k];
            for (TStaticNetElement *node : {arc->StartNode, arc->EndNode}) {
                ends.insert(node);
                node->AttachArc(arc);
            }
        }
        for (const TStaticNetElement *node : std::as_const(ends))
            for (const TArc *arc : node->ArcList)
                position.insert(arc, 0);
        for (qsizetype k = 0; k < arcs.List.size(); ++k)
            if (const auto it = position.find(arcs.List[k]); it != position.end())
                *it = k;
        for (TStaticNetElement *node : std::as_const(ends))
            std::sort(node->ArcList.begin(), node->ArcList.end(),
                      [&position](const TArc *a, const TArc *b) { return position.value(a) < position.value(b); });
    }

    if (!places.Same())
        Places = std::move(places.List);
    if (!transitions.Same())
        Transitions = std::move(transitions.List);
    if (!arcs.Same())
        Arcs = std::move(arcs.List);

    // Elements that came back are filed again; each keeps its number in the
    // index where that still lies between its neighbours', else the list is
    // numbered afresh.
    if (GridValid) {
        auto refile = [this](const auto &list, const std::vector<qsizetype> &back, qsizetype &filed) {
            bool inOrder = true;
            for (qsizetype k : back) {
                const quint32 order = list[k]->GridOrder;
                if ((k > 0 && list[k - 1]->GridOrder >= order) || (k + 1 < list.size() && list[k + 1]->GridOrder <= order))
                    inOrder = false;
            }
            if (!inOrder)
                for (TNetElement *e : list)
                    e->GridOrder = ++GridNextOrder;
            for (qsizetype k : back) {
                // Numbers given after it (appended elements) must be larger.
                GridNextOrder = std::max(GridNextOrder, list[k]->GridOrder);
                FileElement(list[k]);
            }
            filed += qsizetype(back.size());
        };
        refile(Arcs, arcs.Back, GridArcs);
        refile(Places, places.Back, GridPlaces);
        refile(Transitions, transitions.Back, GridTransitions);
    }
    if (wasSelected)
        NotifySelectionChange();
    return true;
}
