#include "PetryNet.h"

#include "PetryNetPrivate.h"

#include <algorithm>

namespace {

// The elements of near (drawing order) that are of kind, in list order.
std::vector<TNetElement *> OfKind(const std::vector<TNetElement *> &near, quint8 kind)
{
    std::vector<TNetElement *> out;
    std::copy_if(near.begin(), near.end(), std::back_inserter(out), [kind](const TNetElement *e) { return e->Kind == kind; });
    return out;
}


void SetEverySelected(TPetryNet &net, bool selected)
{
    for (TNetElement *e : net.Arcs)
        e->SetSelected(selected);
    for (TNetElement *e : net.Places)
        e->SetSelected(selected);
    for (TNetElement *e : net.Transitions)
        e->SetSelected(selected);
}

} // namespace

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
        for (TNetElement *e : OfKind(near, kind))
            if (e->ContainsPoint(x, y)) {
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
    bool any = false;
    const std::vector<TNetElement *> near = ElementsIn(SidesToRect(r.Left, r.Top, r.Right, r.Bottom));
    auto mark = [&](quint8 kind) {
        for (TNetElement *e : OfKind(near, kind))
            if (e->IntersectsRect(r.Left, r.Top, r.Right, r.Bottom)) {
                e->SetSelected(value);
                any = true;
            }
    };
    mark(KindTransition);
    mark(KindPlace);
    mark(KindArc);
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
    SetEverySelected(*this, true);
    NotifySelectionChange();
}

void TPetryNet::ClearSelection()
{
    SetEverySelected(*this, false);
}

void TPetryNet::CancelSelection()
{
    ClearSelection();
    NotifySelectionChange();
}

TSides TPetryNet::GetSelectionRect() const
{
    TSides r{MaxX(), MaxY(), 0, 0};
    auto take = [&r](const TNetElement *e) { ExtendSides(r, e); };
    for (const TNetElement *e : Transitions)
        if (e->Selected)
            take(e);
    for (const TNetElement *e : Places)
        if (e->Selected)
            take(e);
    for (const TArc *a : Arcs)
        if (a->Selected && a->BothEndsSelected())
            take(a);
    return r;
}
