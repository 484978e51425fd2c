#include "PetryNet.h"

#include <QPolygon>

#include <algorithm>

// What part of the canvas picture changed since the window last asked, so
// that it composes only that part again. Every change point reports the
// element before it changes: its old look is added at once, and the element
// is kept so that its new look (a moved outline, a new weight) is added when
// the area is taken. The area is one rectangle, the union of all of them;
// past a size or a number of elements it no longer pays to follow, and the
// answer becomes the whole picture.

namespace {

// Elements followed one by one before the whole picture counts as changed.
constexpr qsizetype PendingLimit = 4096;
// Area (pixels) of the union beyond which the whole picture counts as changed.
constexpr qint64 AreaLimit = qint64(1) << 24;
// How far an arrow head's barbs and a bend point's handle reach from the line.
constexpr int ArcReach = 22;
// Digits of the largest count; no digit is wider than its font's pixel size.
constexpr int MaxDigits = 10;

int Digits(qint32 n)
{
    int d = 1;
    for (qint64 v = qAbs(qint64(n)); v >= 10; v /= 10)
        ++d;
    return d;
}

} // namespace

QRect TPetryNet::PaintedRect(const TNetElement *element) const
{
    if (element->Kind == KindPlace) {
        // The token count is centred on the place and may be wider than it;
        // its cell is half the place's height. The bound does not depend on
        // the count, so it also holds for a place being destroyed.
        const QRect r = static_cast<const TStaticNetElement *>(element)->NodeRect();
        const int reach = MaxDigits * (r.height() / 2) / 2 + 2;
        return r.adjusted(-reach, -2, reach, 2);
    }
    if (element->Kind == KindTransition) {
        // The lime triangle of an enabled transition grows with its width.
        const QRect r = static_cast<const TStaticNetElement *>(element)->NodeRect();
        const int s = r.width() - 4;
        QPolygon corners;
        for (const int inset : {0, 2}) {
            const int x = r.left() + inset + s / 3, y = r.top() + inset + 2;
            corners << QPoint(x, y) << QPoint(x + s, y + s) << QPoint(x, y + 2 * s);
        }
        return r.united(corners.boundingRect()).adjusted(-2, -2, 2, 2);
    }
    const auto *arc = static_cast<const TArc *>(element);
    if (!arc->StartNode || !arc->EndNode)
        return {};
    int left = arc->StartNode->X, right = left, top = arc->StartNode->Y, bottom = top;
    auto take = [&](QPoint p) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    };
    for (const QPoint &p : arc->BendPoints)
        take(p);
    take(QPoint(arc->EndNode->X, arc->EndNode->Y));
    int reach = ArcReach;
    if (arc->Multiplicity > 1) {
        // The weight beside a tick across the longest segment's middle: the
        // tick is 6 pixels long, the text (cell of half a place's width) is
        // pushed off its end by up to one and a half times its width.
        const int cell = std::max(1, PlaceWidth / 2);
        reach = std::max(reach, 10 + cell + 3 * Digits(arc->Multiplicity) * cell / 2);
    }
    return QRect(QPoint(left, top), QPoint(right, bottom))
        .translated(OriginX(), OriginY())
        .adjusted(-reach, -reach, reach, reach);
}

void TPetryNet::AddDirty(const QRect &canvasRect)
{
    if (DirtyWhole || canvasRect.isEmpty())
        return;
    DirtyRect |= canvasRect.translated(-OriginX(), -OriginY());
    if (qint64(DirtyRect.width()) * DirtyRect.height() > AreaLimit)
        MarkAllDirty();
}

void TPetryNet::ElementChanging(TNetElement *element)
{
    if (DirtyWhole)
        return;
    // The picture is drawn through the index, which files every element in
    // the lists first: one not filed in a valid index is not in the picture
    // yet (a node being added or pasted) and has no old look.
    if (!GridValid || element->GridState != TNetElement::NotFiled)
        AddDirty(PaintedRect(element));
    DirtyPending.insert(element);
    if (DirtyPending.size() > PendingLimit)
        MarkAllDirty();
    if (!Modelling)
        return;
    // Whether a transition may fire, which it shows while modelling, follows
    // the tokens of its places and the weights of its arcs.
    auto noteTransitionOf = [this](const TArc *arc) {
        if (const TStaticNetElement *t = arc->TransitionEnd(); t && t->Kind == KindTransition)
            AddDirty(PaintedRect(t));
    };
    if (element->Kind == KindArc)
        noteTransitionOf(static_cast<TArc *>(element));
    else if (element->Kind == KindPlace)
        for (const TArc *arc : static_cast<TStaticNetElement *>(element)->ArcList)
            noteTransitionOf(arc);
}

void TPetryNet::ElementsChanging(qsizetype count)
{
    if (count > PendingLimit)
        MarkAllDirty();
}

void TPetryNet::ElementVanishing(TNetElement *element)
{
    if (DirtyWhole)
        return;
    // Called from the destructors: only what the base parts hold is read.
    AddDirty(PaintedRect(element));
    if (element->Kind == KindArc) {
        if (const TStaticNetElement *t = static_cast<TArc *>(element)->TransitionEnd(); t && t->Kind == KindTransition)
            AddDirty(PaintedRect(t));
    }
    DirtyPending.remove(element);
}

TPetryNet::TDirtyArea TPetryNet::TakeDirtyArea()
{
    // Sheet and node sizes change every outline at once, and modelling
    // changes how every transition looks.
    const std::array<qint32, 7> look{SheetWidth, SheetHeight, PlaceWidth, PlaceHeight,
                                     TransitionWidth, TransitionHeight, Modelling};
    if (look != DirtyLook) {
        DirtyLook = look;
        MarkAllDirty();
    }
    for (const TNetElement *e : std::as_const(DirtyPending)) {
        if (DirtyWhole)
            break;
        AddDirty(PaintedRect(e));
    }
    TDirtyArea area;
    area.Whole = DirtyWhole;
    if (!area.Whole)
        area.Rect = DirtyRect.translated(OriginX(), OriginY());
    DirtyWhole = false;
    DirtyRect = QRect();
    DirtyPending.clear();
    return area;
}
