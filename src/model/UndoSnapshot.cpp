#include "UndoSnapshot.h"

#include "AddressIndex.h"
#include "ParkedElements.h"
#include "PetryNet.h"

#include <algorithm>

namespace {

// Equal texts are mostly the very same shared text, which needs no scan.
bool SameText(const QString &a, const QString &b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

bool SameHeader(const TElementRecord &r, const TNetElement &e)
{
    return r.Id == &e && r.HasDescription == e.HasDescription && SameText(r.Name, e.Name)
        && SameText(r.Description, e.Description);
}

void TakeHeader(TElementRecord &r, const TNetElement &e)
{
    r.Id = &e;
    r.Name = e.Name;
    r.Description = e.Description;
    r.HasDescription = e.HasDescription;
}

qint32 TokensOf(const TStaticNetElement &node)
{
    return node.Kind == KindPlace ? static_cast<const TPosition &>(node).Tokens : 0;
}

bool Matches(const TNodeRecord &r, const TStaticNetElement &e)
{
    return SameHeader(r, e) && r.X == e.X && r.Y == e.Y && r.Tokens == TokensOf(e);
}

bool Matches(const TArcRecord &r, const TArc &e)
{
    return SameHeader(r, e) && r.Start == e.StartNode && r.End == e.EndNode && r.Multiplicity == e.Multiplicity
        && r.TransitionToPlace == e.TransitionToPlace && r.BendPoints == e.BendPoints;
}

TNodeRecordPtr MakeRecord(const TStaticNetElement &e)
{
    auto *r = new TNodeRecord;
    TakeHeader(*r, e);
    r->X = e.X;
    r->Y = e.Y;
    r->Tokens = TokensOf(e);
    return TNodeRecordPtr(r);
}

TArcRecordPtr MakeRecord(const TArc &e)
{
    auto *r = new TArcRecord;
    TakeHeader(*r, e);
    r->Start = e.StartNode;
    r->End = e.EndNode;
    r->BendPoints = e.BendPoints;
    r->Multiplicity = e.Multiplicity;
    r->TransitionToPlace = e.TransitionToPlace;
    return TArcRecordPtr(r);
}

// The list's records: the previous one of an element when it still matches,
// else a new one. Previous records are followed in step with the list; those
// of parked elements (deleted since) are passed over, and an element not at
// the cursor then is looked for a few records ahead. A list where nothing
// changed shares the previous records whole.
template <class TElement, class TRecordPtr>
std::shared_ptr<const std::vector<TRecordPtr>> TakeRecords(const QList<TElement *> &list,
                                                           const std::shared_ptr<const std::vector<TRecordPtr>> &previous,
                                                           const TParkingLot *parked)
{
    constexpr size_t LookAhead = 16;
    auto out = std::make_shared<std::vector<TRecordPtr>>();
    out->reserve(size_t(list.size()));
    size_t j = 0, shared = 0;
    const size_t n = previous ? previous->size() : 0;
    for (const TElement *e : list) {
        if (parked)
            while (j < n && (*previous)[j]->Id != e && parked->Parked.contains((*previous)[j]->Id))
                ++j;
        if (j < n && (*previous)[j]->Id != e) {
            for (size_t k = j + 1; k < std::min(n, j + LookAhead); ++k)
                if ((*previous)[k]->Id == e) {
                    j = k;
                    break;
                }
        }
        if (j < n && (*previous)[j]->Id == e) {
            const TRecordPtr &r = (*previous)[j++];
            if (Matches(*r, *e)) {
                out->push_back(r);
                ++shared;
                continue;
            }
        }
        out->push_back(MakeRecord(*e));
    }
    if (previous && shared == n && n == out->size())
        return previous;
    return out;
}

// While modelling nothing but token counts changes (the window blocks every
// edit): the places' records are compared by count alone, and the other
// lists are shared whole.
TNodeRecords TakeTokenRecords(const QList<TPosition *> &places, const TNodeRecords &previous)
{
    std::shared_ptr<std::vector<TNodeRecordPtr>> out;
    for (size_t i = 0; i < previous->size(); ++i) {
        const TNodeRecord &r = *(*previous)[i];
        const TPosition &p = *places[qsizetype(i)];
        if (r.Tokens == p.Tokens && r.Id == &p)
            continue;
        if (!out)
            out = std::make_shared<std::vector<TNodeRecordPtr>>(*previous);
        auto *changed = new TNodeRecord(r);
        changed->Id = &p;
        changed->Tokens = p.Tokens;
        (*out)[i] = TNodeRecordPtr(changed);
    }
    return out ? TNodeRecords(out) : previous;
}

// The fields a record holds, written into the element without a word to the net.
void WriteHeader(TNetElement &e, const TElementRecord &r)
{
    e.Name = r.Name;
    e.Description = r.Description;
    e.HasDescription = r.HasDescription;
}

void WriteBody(TStaticNetElement &e, const TNodeRecord &r)
{
    e.X = r.X;
    e.Y = r.Y;
    e.Highlighted = false;
    if (e.Kind == KindPlace)
        static_cast<TPosition &>(e).Tokens = r.Tokens;
}

void WriteBody(TArc &e, const TArcRecord &r)
{
    e.Multiplicity = r.Multiplicity;
    e.TransitionToPlace = r.TransitionToPlace;
    e.BendPoints = r.BendPoints;
}

// The element's name, description and selection as its record has them.
void RestoreHeader(TPetryNet &net, TNetElement &e, const TElementRecord &r, bool &told)
{
    if (!SameText(e.Name, r.Name) || !SameText(e.Description, r.Description) || e.HasDescription != r.HasDescription) {
        if (!told)
            net.ElementMoving(&e);
        told = true;
        WriteHeader(e, r);
    }
    if (e.Selected)
        e.SetSelected(false);
}

} // namespace

void RestoreRecord(TPetryNet &net, TStaticNetElement &e, const TNodeRecord &r)
{
    bool told = false;
    const qint32 tokens = TokensOf(e);
    if (e.X != r.X || e.Y != r.Y || tokens != r.Tokens || e.Highlighted) {
        net.ElementMoving(&e);
        told = true;
        WriteBody(e, r);
    }
    RestoreHeader(net, e, r, told);
}

void RestoreRecord(TPetryNet &net, TArc &e, const TArcRecord &r)
{
    bool told = false;
    if (e.Multiplicity != r.Multiplicity || e.TransitionToPlace != r.TransitionToPlace || e.BendPoints != r.BendPoints) {
        net.ElementMoving(&e);
        told = true;
        WriteBody(e, r);
    }
    RestoreHeader(net, e, r, told);
}

void SetRecord(TStaticNetElement &e, const TNodeRecord &r)
{
    WriteHeader(e, r);
    WriteBody(e, r);
}

void SetRecord(TArc &e, const TArcRecord &r)
{
    WriteHeader(e, r);
    WriteBody(e, r);
}

namespace {

void WriteHeader(TNetMemoryStream &stream, const TElementRecord &r, quint8 kind)
{
    stream.WriteString(r.Name);
    stream.WriteInteger(r.HasDescription ? 1 : 0);
    stream.WriteString(r.Description);
    stream.WriteByte(kind);
}

} // namespace

std::shared_ptr<const TNetSnapshot> TakeNetSnapshot(const TPetryNet &net, const TNetSnapshot *previous,
                                                    const TParkingLot *parked)
{
    auto s = std::make_shared<TNetSnapshot>();
    s->NetName = net.NetName;
    s->Description = net.Description;
    s->Sizes = {net.SheetWidth, net.SheetHeight, net.PlaceWidth, net.PlaceHeight, net.TransitionWidth,
                net.TransitionHeight};
    s->Lists = {net.Places.constData(), net.Transitions.constData(), net.Arcs.constData()};
    if (net.Modelling && previous && previous->Lists == s->Lists && previous->Places->size() == size_t(net.PlaceCount())
        && previous->Transitions->size() == size_t(net.TransitionCount())
        && previous->Arcs->size() == size_t(net.ArcCount())) {
        s->Places = TakeTokenRecords(net.Places, previous->Places);
        s->Transitions = previous->Transitions;
        s->Arcs = previous->Arcs;
        return s;
    }
    s->Places = TakeRecords(net.Places, previous ? previous->Places : nullptr, parked);
    s->Transitions = TakeRecords(net.Transitions, previous ? previous->Transitions : nullptr, parked);
    s->Arcs = TakeRecords(net.Arcs, previous ? previous->Arcs : nullptr, parked);
    return s;
}

void WriteSnapshotElements(const TNetSnapshot &snapshot, TNetMemoryStream &stream)
{
    const std::vector<TNodeRecordPtr> &placeRecords = *snapshot.Places;
    const std::vector<TNodeRecordPtr> &transitionRecords = *snapshot.Transitions;
    const qsizetype nodes = qsizetype(placeRecords.size() + transitionRecords.size());
    TAddressIndex places(nodes), transitions(nodes);
    stream.WriteInteger(qint32(placeRecords.size()));
    for (size_t i = 0; i < placeRecords.size(); ++i) {
        const TNodeRecord &r = *placeRecords[i];
        WriteHeader(stream, r, KindPlace);
        stream.WritePoint(QPoint(r.X, r.Y));
        stream.WriteInteger(r.Tokens);
        places.Insert(r.Id, int(i));
    }
    stream.WriteInteger(qint32(transitionRecords.size()));
    for (size_t i = 0; i < transitionRecords.size(); ++i) {
        const TNodeRecord &r = *transitionRecords[i];
        WriteHeader(stream, r, KindTransition);
        stream.WritePoint(QPoint(r.X, r.Y));
        transitions.Insert(r.Id, int(i));
    }
    stream.WriteInteger(qint32(snapshot.Arcs->size()));
    auto writeEnd = [&](const void *node) {
        const int p = places.Value(node);
        stream.WriteByte(p >= 0 ? KindPlace : KindTransition);
        stream.WriteInteger(p >= 0 ? p : transitions.Value(node));
    };
    for (const TArcRecordPtr &a : *snapshot.Arcs) {
        WriteHeader(stream, *a, KindArc);
        stream.WriteBoolean(a->TransitionToPlace);
        stream.WriteInteger(a->Multiplicity);
        writeEnd(a->Start);
        writeEnd(a->End);
        stream.WriteInteger(qint32(a->BendPoints.size()));
        for (const QPoint &p : a->BendPoints)
            stream.WritePoint(p);
    }
}
