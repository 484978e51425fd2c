#include "Arc.h"

#include "BandCover.h"
#include "NetStream.h"
#include "PetryNet.h"
#include "PetryNetPrivate.h"

#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double Distance(QPoint a, QPoint b)
{
    return std::hypot(double(a.x()) - b.x(), double(a.y()) - b.y());
}

QPoint Midpoint(QPoint a, QPoint b)
{
    return {(a.x() + b.x()) / 2, (a.y() + b.y()) / 2};
}

// The first longest leg of the polyline. index is the bend point the leg
// ends at, PointCount() for the leg into the end node, -1 when no leg has length.
TSegment LongestLeg(const TArc &arc, int &index)
{
    double best = 0;
    index = -1;
    QPoint a = arc.StartNode->CanvasCenter(), b = arc.EndNode->CanvasCenter();
    QPoint prev = a;
    for (int i = 0; i < arc.PointCount(); ++i) {
        const QPoint q = arc.GetPoint(i);
        const double d = Distance(prev, q);
        if (d > best) {
            best = d;
            a = prev;
            b = q;
            index = i;
        }
        prev = q;
    }
    const QPoint end = arc.EndNode->CanvasCenter();
    if (Distance(prev, end) > best) {
        a = prev;
        b = end;
        index = arc.PointCount();
    }
    return {a, b, Midpoint(a, b)};
}

// The polyline's extent through the node centres and bend points, widened by
// the 3-pixel hit margin.
TSides PaddedBounds(const TArc &arc)
{
    TSides r;
    r.Left = std::min(arc.StartNode->CanvasX(), arc.EndNode->CanvasX());
    r.Top = std::min(arc.StartNode->CanvasY(), arc.EndNode->CanvasY());
    r.Right = std::max(arc.StartNode->CanvasX(), arc.EndNode->CanvasX());
    r.Bottom = std::max(arc.StartNode->CanvasY(), arc.EndNode->CanvasY());
    for (int i = 0; i < arc.PointCount(); ++i) {
        const QPoint p = arc.GetPoint(i);
        r.Left = std::min(r.Left, p.x());
        r.Top = std::min(r.Top, p.y());
        r.Right = std::max(r.Right, p.x());
        r.Bottom = std::max(r.Bottom, p.y());
    }
    return {r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3};
}

TStaticNetElement *Resolve(quint8 kind, qint32 index, const QList<TPosition *> &places,
                           const QList<TTransfer *> &transitions)
{
    if (kind == KindPlace && index >= 0 && index < places.size())
        return places.at(index);
    if (kind == KindTransition && index >= 0 && index < transitions.size())
        return transitions.at(index);
    throw TNetStreamError("arc endpoint does not name a node");
}

// Band polygon of the point hit test: 3 pixels above and below a flat segment,
// left and right of a steep one (steeper than one radian).
QPolygon HitBand(QPoint p, QPoint q)
{
    const double angle = q.x() == p.x() ? M_PI / 2 : std::atan(double(q.y() - p.y()) / double(q.x() - p.x()));
    if (std::fabs(angle) < 1)
        return QPolygon({QPoint(p.x(), p.y() - 3), QPoint(p.x(), p.y() + 3), QPoint(q.x(), q.y() + 3), QPoint(q.x(), q.y() - 3)});
    return QPolygon({QPoint(p.x() - 3, p.y()), QPoint(p.x() + 3, p.y()), QPoint(q.x() + 3, q.y()), QPoint(q.x() - 3, q.y())});
}

// Band polygon of the rectangle test: 2 pixels either side, horizontally for
// a vertical segment, vertically for every other.
QPolygon RectBand(QPoint p, QPoint q)
{
    if (q.x() == p.x())
        return QPolygon({QPoint(p.x() - 2, p.y()), QPoint(p.x() + 2, p.y()), QPoint(q.x() + 2, q.y()), QPoint(q.x() - 2, q.y())});
    return QPolygon({QPoint(p.x(), p.y() - 2), QPoint(p.x(), p.y() + 2), QPoint(q.x(), q.y() + 2), QPoint(q.x(), q.y() - 2)});
}

} // namespace

TArc::TArc(TPetryNet *net)
    : TNetElement(net)
{
    Kind = KindArc;
    Name = KindWord(KindArc);
}

TArc *TArc::CreateBetween(TPetryNet *net, TStaticNetElement *start, TStaticNetElement *end)
{
    auto *arc = new TArc(net);
    arc->StartNode = start;
    arc->EndNode = end;
    start->AttachArc(arc);
    end->AttachArc(arc);
    arc->Name = KindWord(KindArc) + net->NextNumber(KindArc);
    arc->TransitionToPlace = start->Kind == KindTransition;
    return arc;
}

TArc *TArc::CreateLoaded(TPetryNet *net, TNetMemoryStream &stream)
{
    return CreatePasted(net, stream, net->Places, net->Transitions);
}

TArc *TArc::CreatePasted(TPetryNet *net, TNetMemoryStream &stream, const QList<TPosition *> &places,
                         const QList<TTransfer *> &transitions, TArcEndsSeen *seen)
{
    auto *arc = new TArc(net);
    try {
        arc->ReadRecord(stream, places, transitions, seen);
    } catch (...) {
        delete arc;
        throw;
    }
    return arc;
}

TArc::~TArc()
{
    Net->ElementDestroyed(this);
    if (StartNode)
        StartNode->DetachArc(this);
    if (EndNode)
        EndNode->DetachArc(this);
}

void TArc::LoadFromStream(TNetMemoryStream &stream)
{
    Net->ElementMoving(this);
    if (StartNode)
        StartNode->DetachArc(this);
    if (EndNode)
        EndNode->DetachArc(this);
    StartNode = EndNode = nullptr;
    BendPoints.clear();
    ReadRecord(stream, Net->Places, Net->Transitions);
}

void TArc::ReadRecord(TNetMemoryStream &stream, const QList<TPosition *> &places,
                      const QList<TTransfer *> &transitions, TArcEndsSeen *seen)
{
    TNetElement::LoadFromStream(stream);
    TransitionToPlace = stream.ReadBoolean();
    Multiplicity = stream.ReadInteger();
    const quint8 startKind = stream.ReadByte();
    const qint32 startIndex = stream.ReadInteger();
    TStaticNetElement *start = Resolve(startKind, startIndex, places, transitions);
    const quint8 endKind = stream.ReadByte();
    const qint32 endIndex = stream.ReadInteger();
    TStaticNetElement *end = Resolve(endKind, endIndex, places, transitions);
    if (startKind == endKind)
        throw TNetStreamError("arc joins two nodes of one kind");
    if (seen) {
        const bool fromPlace = startKind == KindPlace;
        if (!seen->Insert(fromPlace ? startIndex : endIndex, fromPlace ? endIndex : startIndex, TransitionToPlace))
            throw TNetStreamError("second arc with the same ends and direction");
    } else {
        for (const TArc *other : start->ArcList)
            if (other->Joins(start, end) && other->TransitionToPlace == TransitionToPlace)
                throw TNetStreamError("second arc with the same ends and direction");
    }
    StartNode = start;
    EndNode = end;
    start->AttachArc(this);
    end->AttachArc(this);
    const qint32 n = stream.ReadInteger();
    if (n < 0 || qint64(n) * 8 > stream.Remaining())
        throw TNetStreamError("bad bend point count");
    BendPoints.reserve(n);
    for (qint32 i = 0; i < n; ++i) {
        const QPoint p = stream.ReadPoint();
        if (!InCoordinateRange(p))
            throw TNetStreamError("bend point out of range");
        BendPoints.append(p);
    }
}

void TArc::WriteRecord(TNetMemoryStream &stream, int startIndex, int endIndex) const
{
    TNetElement::SaveToStream(stream);
    stream.WriteBoolean(TransitionToPlace);
    stream.WriteInteger(Multiplicity);
    stream.WriteByte(StartNode->Kind);
    stream.WriteInteger(startIndex);
    stream.WriteByte(EndNode->Kind);
    stream.WriteInteger(endIndex);
    stream.WriteInteger(qint32(BendPoints.size()));
    for (const QPoint &p : BendPoints)
        stream.WritePoint(p);
}

void TArc::SaveToStream(TNetMemoryStream &stream) const
{
    WriteRecord(stream, Net->IndexOfElement(StartNode), Net->IndexOfElement(EndNode));
}

void TArc::SaveSelectedToStream(TNetMemoryStream &stream) const
{
    if (BothEndsSelected())
        WriteRecord(stream, Net->SelectedIndexOf(StartNode), Net->SelectedIndexOf(EndNode));
}

TStaticNetElement *TArc::PlaceEnd() const
{
    return StartNode && StartNode->Kind == KindPlace ? StartNode : EndNode;
}

TStaticNetElement *TArc::TransitionEnd() const
{
    return StartNode && StartNode->Kind == KindTransition ? StartNode : EndNode;
}

TPosition *TArc::Place() const
{
    TStaticNetElement *node = PlaceEnd();
    return node && node->Kind == KindPlace ? static_cast<TPosition *>(node) : nullptr;
}

void TArc::SetMultiplicity(qint32 n)
{
    if (n == Multiplicity)
        return;
    Net->ElementChanging(this);
    Net->SaveUndo();
    Multiplicity = n;
}

bool TArc::IsSatisfied() const
{
    if (TransitionToPlace)
        return true;
    const TPosition *place = Place();
    return place && place->Tokens >= Multiplicity;
}

void TArc::MoveTokens()
{
    TPosition *place = Place();
    if (!place || !IsSatisfied())
        return;
    const qint64 tokens = qint64(place->Tokens) + (TransitionToPlace ? qint64(Multiplicity) : -qint64(Multiplicity));
    // Counts never wrap around; the enabling test keeps firings inside the range.
    if (tokens < std::numeric_limits<qint32>::min() || tokens > std::numeric_limits<qint32>::max())
        return;
    place->SetTokens(qint32(tokens));
}

void TArc::InvertDirection()
{
    Net->ElementChanging(this);
    TransitionToPlace = !TransitionToPlace;
    Net->MarkChanged();
}

bool TArc::Joins(const TStaticNetElement *a, const TStaticNetElement *b) const
{
    return (StartNode == a && EndNode == b) || (StartNode == b && EndNode == a);
}

bool TArc::CanInvertDirection() const
{
    const bool target = !TransitionToPlace;
    for (const TArc *other : StartNode->ArcList)
        if (other->Joins(StartNode, EndNode) && other->TransitionToPlace == target)
            return false;
    return true;
}

bool TArc::BothEndsSelected() const
{
    return StartNode->Selected && EndNode->Selected;
}

QPoint TArc::GetPoint(int i) const
{
    return BendPoints.at(i) + QPoint(Net->OriginX(), Net->OriginY());
}

void TArc::SetPoint(int i, QPoint p)
{
    Net->ElementMoving(this);
    BendPoints[i] = p - QPoint(Net->OriginX(), Net->OriginY());
}

QList<QPoint> TArc::Polyline() const
{
    QList<QPoint> points;
    points.reserve(BendPoints.size() + 2);
    points.append(StartNode->CanvasCenter());
    for (int i = 0; i < PointCount(); ++i)
        points.append(GetPoint(i));
    points.append(EndNode->CanvasCenter());
    return points;
}

TSegment TArc::LongestSegment() const
{
    int index;
    return LongestLeg(*this, index);
}

void TArc::AddPoint(int x, int y, bool atLongest)
{
    const QPoint start = StartNode->CanvasCenter(), end = EndNode->CanvasCenter();
    int index = -1;
    QPoint point;
    if (atLongest) {
        point = LongestLeg(*this, index).M;
    } else {
        point = QPoint(x, y);
        double best = Distance(start, end);
        QPoint prev = start;
        for (int i = 0; i < PointCount(); ++i) {
            const QPoint q = GetPoint(i);
            const double s = Distance(prev, point) + Distance(point, q);
            if (s < best) {
                best = s;
                index = i;
            }
            prev = q;
        }
        if (Distance(prev, point) + Distance(point, end) < best)
            index = PointCount();
    }
    point -= QPoint(Net->OriginX(), Net->OriginY());
    Net->SaveUndo();
    Net->ElementMoving(this);
    if (index == -1 || index == PointCount())
        BendPoints.append(point);
    else
        BendPoints.insert(index, point);
}

void TArc::DeletePoint(int i)
{
    if (i < 0 || i >= PointCount())
        return;
    Net->SaveUndo();
    Net->ElementMoving(this);
    BendPoints.removeAt(i);
}

int TArc::PointIndexAt(int x, int y) const
{
    for (int i = 0; i < PointCount(); ++i) {
        const QPoint p = GetPoint(i);
        if (x >= p.x() - 3 && x < p.x() + 3 && y >= p.y() - 3 && y < p.y() + 3)
            return i;
    }
    return -1;
}

int TArc::GetLeft() const
{
    return PaddedBounds(*this).Left;
}

int TArc::GetTop() const
{
    return PaddedBounds(*this).Top;
}

int TArc::GetRight() const
{
    return PaddedBounds(*this).Right;
}

int TArc::GetBottom() const
{
    return PaddedBounds(*this).Bottom;
}

void TArc::ShiftBy(int dx, int dy)
{
    for (int i = 0; i < PointCount(); ++i) {
        SetPoint(i, GetPoint(i) + QPoint(dx, dy));
        QPoint p = GetPoint(i);
        if (p.x() < Net->OriginX() + 3)
            p.setX(Net->OriginX() + 3);
        if (p.y() < Net->OriginY() + 3)
            p.setY(Net->OriginY() + 3);
        if (p.x() > Net->MaxX() - 3)
            p.setX(Net->MaxX() - 3);
        if (p.y() > Net->MaxY() - 3)
            p.setY(Net->MaxY() - 3);
        SetPoint(i, p);
    }
}

bool TArc::ContainsPoint(int x, int y) const
{
    const TSides bounds = PaddedBounds(*this);
    if (x < bounds.Left || x > bounds.Right || y < bounds.Top || y > bounds.Bottom)
        return false;
    const QList<QPoint> points = Polyline();
    for (qsizetype i = 1; i < points.size(); ++i)
        if (BandCovers(HitBand(points[i - 1], points[i]), x, y))
            return true;
    return false;
}

bool TArc::IntersectsRect(int left, int top, int right, int bottom) const
{
    const QRect probe = SidesToRect(left, top, right, bottom);
    const QList<QPoint> points = Polyline();
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPolygon band = RectBand(points[i - 1], points[i]);
        if (band.boundingRect().intersects(probe) && BandMeetsRect(band, probe))
            return true;
    }
    return false;
}
