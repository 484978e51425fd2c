#include "GraphLayout.h"
#include "Pnml.h"
#include "PnmlDocument.h"

#include "NetContent.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace {

// Beyond this many nodes and arcs together the layered layout takes too long
// (a second for 800 of them on a loaded machine); such nets get a grid.
constexpr qsizetype MaxLayeredLayoutElements = 4000;
// Empty border kept around imported drawings, pixels.
constexpr int SheetMargin = 20;
constexpr int DefaultSheetWidth = 710;
constexpr int DefaultSheetHeight = 510;
// Node sizes of the editor whose files give the corner of a node without its size.
constexpr QSizeF CornerPlaceSize(30, 30);
constexpr QSizeF CornerTransitionSize(10, 30);

QString Quoted(QStringView s)
{
    return QStringLiteral("«") + s.toString() + QStringLiteral("»");
}

struct TRefusal
{
    QString Reason;
};

class TPnmlBuilder
{
public:
    TPnmlBuilder(TPnmlDocument &doc, const TPetryNet &net)
        : Doc(doc)
    {
        // Sizes of a foreign net are the ones the target net already draws with.
        if (Doc.Own.Present) {
            Sizes = {Doc.Own.PlaceWidth, Doc.Own.PlaceHeight, Doc.Own.TransitionWidth, Doc.Own.TransitionHeight};
        } else {
            Sizes = {net.PlaceWidth, net.PlaceHeight, net.TransitionWidth, net.TransitionHeight};
        }
    }

    // False when the net's sizes are beyond what a document holds.
    bool Build(TPetryNet &net, bool &laidOut);

private:
    struct TArcEnds
    {
        int Source = -1, Target = -1;
    };
    struct TModelSizes
    {
        qint32 PlaceWidth, PlaceHeight, TransitionWidth, TransitionHeight;
    } Sizes;

    [[noreturn]] void Refuse(const QString &reason) { throw TRefusal{reason}; }
    int ResolveNode(QStringView id, TPnmlKind ownerKind, QStringView ownerId);
    void ResolveArcs();
    bool CornerDialect() const;
    void PlaceForeignNodes(bool &laidOut);
    void LayOut();
    void ShiftOntoSheet();
    QSizeF ModelSize(const TPnmlNode &n) const
    {
        return n.IsPlace ? QSizeF(Sizes.PlaceWidth, Sizes.PlaceHeight) : QSizeF(Sizes.TransitionWidth, Sizes.TransitionHeight);
    }
    static bool Inside(QPointF p, QPointF centre, QSizeF size)
    {
        return std::fabs(p.x() - centre.x()) <= size.width() / 2 + 2 && std::fabs(p.y() - centre.y()) <= size.height() / 2 + 2;
    }
    bool Construct(TPetryNet &net);

    TPnmlDocument &Doc;
    // Per node, whether it is a place: the arcs look their ends' kinds up
    // here, in a few kilobytes, instead of in the records.
    std::vector<bool> NodeIsPlace;
    QList<TArcEnds> Ends;            // per arc, indices into Doc.Nodes
    QList<QPointF> Centres;          // per node
    QList<QSizeF> SourceSizes;       // per node: the size its own document drew it with
    QList<QList<QPointF>> Bends;     // per arc, flow source to flow target
};

int TPnmlBuilder::ResolveNode(QStringView id, TPnmlKind ownerKind, QStringView ownerId)
{
    QString current = id.toString();
    // A reference may name another reference; a chain longer than all of them is a cycle.
    for (qsizetype hops = 0; hops <= Doc.References.size(); ++hops) {
        const qint32 node = Doc.Ids.Value(current, PnmlOtherRef);
        if (node >= 0)
            return node;
        const auto ref = Doc.References.constFind(current);
        if (ref == Doc.References.cend())
            break;
        current = *ref;
    }
    Refuse(QStringLiteral("%1: узел %2 не найден.").arg(PnmlOwner(ownerKind, ownerId), Quoted(id)));
}

// The ends of the arcs seen so far, as one number each, in a flat table
// probed linearly: a set lookup per arc is the builder's largest cost.
class TEndsSeen
{
public:
    explicit TEndsSeen(qsizetype count) : Slots(std::bit_ceil(size_t(count) * 2 + 2), 0) {}
    // False when the pair is already there.
    bool Insert(int source, int target)
    {
        const quint64 key = ((quint64(quint32(source)) << 32) | quint32(target)) + 1; // 0 marks an empty slot
        const size_t mask = Slots.size() - 1;
        for (size_t i = size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;; i = (i + 1) & mask) {
            if (Slots[i] == key)
                return false;
            if (Slots[i] == 0) {
                Slots[i] = key;
                return true;
            }
        }
    }

private:
    std::vector<quint64> Slots;
};

void TPnmlBuilder::ResolveArcs()
{
    TEndsSeen seen(Doc.Arcs.size());
    Ends.reserve(Doc.Arcs.size());
    for (const TPnmlArc &arc : Doc.Arcs) {
        auto owner = [&] { return PnmlOwner(TPnmlKind::Arc, arc.Id); };
        TArcEnds e;
        e.Source = arc.SourceNode >= 0 ? arc.SourceNode : ResolveNode(arc.Source, TPnmlKind::Arc, arc.Id);
        e.Target = arc.TargetNode >= 0 ? arc.TargetNode : ResolveNode(arc.Target, TPnmlKind::Arc, arc.Id);
        if (NodeIsPlace[e.Source] == NodeIsPlace[e.Target])
            Refuse(QStringLiteral("%1 соединяет два узла одного вида; дуга должна соединять позицию и переход.").arg(owner()));
        if (!seen.Insert(e.Source, e.Target))
            Refuse(QStringLiteral("%1 повторяет другую дугу с теми же концами и направлением.").arg(owner()));
        Ends.append(e);
    }
}

// Files of one editor give the top-left corner of 30 × 30 places and 10 × 30
// transitions without a dimension, and start and end every arc's point list
// on the borders of its nodes: recognised by those end points.
bool TPnmlBuilder::CornerDialect() const
{
    int withPoints = 0, matching = 0;
    for (qsizetype i = 0; i < Doc.Arcs.size(); ++i) {
        const TPnmlArc &arc = Doc.Arcs[i];
        if (arc.Points.size() < 2)
            continue;
        ++withPoints;
        auto cornerBox = [](const TPnmlNode &n) {
            const QSizeF s = n.IsPlace ? CornerPlaceSize : CornerTransitionSize;
            return std::pair{n.Position + QPointF(s.width() / 2, s.height() / 2), s};
        };
        const TPnmlNode &from = Doc.Nodes[Ends[i].Source], &to = Doc.Nodes[Ends[i].Target];
        if (from.HasDimension || to.HasDimension || !from.HasPosition || !to.HasPosition)
            continue;
        const auto [c1, s1] = cornerBox(from);
        const auto [c2, s2] = cornerBox(to);
        if (Inside(arc.Points.first(), c1, s1) && Inside(arc.Points.last(), c2, s2))
            ++matching;
    }
    return withPoints > 0 && matching * 2 >= withPoints;
}

void TPnmlBuilder::PlaceForeignNodes(bool &laidOut)
{
    const bool corner = CornerDialect();
    bool missing = false;
    for (const TPnmlNode &n : Doc.Nodes) {
        QSizeF size = ModelSize(n);
        QPointF c = n.Position;
        if (n.HasDimension) { // position is the top-left corner of the given box
            size = n.Dimension;
            c += QPointF(size.width() / 2, size.height() / 2);
        } else if (corner) {
            size = n.IsPlace ? CornerPlaceSize : CornerTransitionSize;
            c += QPointF(size.width() / 2, size.height() / 2);
        }
        missing = missing || !n.HasPosition;
        Centres.append(c);
        SourceSizes.append(size);
    }
    // Nets from model collections often put every node at one point.
    QSet<QPair<qint64, qint64>> distinct;
    for (const QPointF &c : Centres)
        distinct.insert({qRound64(c.x()), qRound64(c.y())});
    if (missing || distinct.size() < Centres.size()) {
        laidOut = true;
        LayOut();
        return;
    }
    // Points inside the end nodes are those nodes' border points, not bends.
    for (qsizetype i = 0; i < Doc.Arcs.size(); ++i) {
        QList<QPointF> points;
        const int s = Ends[i].Source, t = Ends[i].Target;
        for (const QPointF &p : Doc.Arcs[i].Points)
            if (!Inside(p, Centres[s], SourceSizes[s]) && !Inside(p, Centres[t], SourceSizes[t]))
                points.append(p);
        Bends.append(points);
    }
    ShiftOntoSheet();
}

void TPnmlBuilder::LayOut()
{
    Bends = QList<QList<QPointF>>(Doc.Arcs.size());
    if (Doc.Nodes.size() + Doc.Arcs.size() > MaxLayeredLayoutElements) {
        // A grid in document order: readable enough to start from, and fast.
        const int columns = int(std::ceil(std::sqrt(double(Doc.Nodes.size()))));
        for (qsizetype i = 0; i < Doc.Nodes.size(); ++i)
            Centres[i] = QPointF(SheetMargin + 30 + (i % columns) * 60, SheetMargin + 30 + (i / columns) * 60);
        return;
    }
    TLayoutGraph graph;
    graph.Margin = SheetMargin;
    // Wider than the layout's defaults: arcs and their arrowheads need room
    // between nodes that are only 10 to 24 pixels across.
    graph.NodeSpacing = 40;
    graph.RankSpacing = 60;
    graph.Nodes.reserve(Doc.Nodes.size());
    for (const TPnmlNode &n : Doc.Nodes)
        graph.Nodes.append({ModelSize(n), n.IsPlace ? TLayoutShape::Ellipse : TLayoutShape::Box});
    for (const TArcEnds &e : Ends)
        graph.Edges.append({e.Source, e.Target, {}});
    const TGraphLayoutResult result = LayoutGraph(graph);
    if (!result.Ok)
        Refuse(result.Error);
    Centres = result.Centres;
    for (qsizetype i = 0; i < Ends.size(); ++i) {
        const QList<QPointF> &route = result.Routes[i];
        const QPointF sc = Centres[Ends[i].Source], tc = Centres[Ends[i].Target];
        const QSizeF ss = ModelSize(Doc.Nodes[Ends[i].Source]), ts = ModelSize(Doc.Nodes[Ends[i].Target]);
        // Keep the route's corners; drop its ends and points on a straight run.
        QList<QPointF> corners;
        QPointF prev = sc;
        for (qsizetype k = 1; k + 1 < route.size(); ++k) {
            const QPointF p = route[k], next = route[k + 1];
            // Corners next to an end node only bend the arrow.
            if (Inside(p, sc, ss + QSizeF(16, 16)) || Inside(p, tc, ts + QSizeF(16, 16)))
                continue;
            const QPointF d = next - prev;
            const double len = std::hypot(d.x(), d.y());
            const double off = len > 0 ? std::fabs(d.x() * (p.y() - prev.y()) - d.y() * (p.x() - prev.x())) / len : 0;
            if (off < 1.5)
                continue;
            corners.append(p);
            prev = p;
        }
        Bends[i] = corners;
    }
}

// A foreign drawing may use negative coordinates or touch the sheet's edge.
void TPnmlBuilder::ShiftOntoSheet()
{
    double minX = SheetMargin, minY = SheetMargin;
    for (qsizetype i = 0; i < Centres.size(); ++i) {
        const QSizeF s = ModelSize(Doc.Nodes[i]);
        minX = std::min(minX, Centres[i].x() - s.width() / 2);
        minY = std::min(minY, Centres[i].y() - s.height() / 2);
    }
    for (const QList<QPointF> &points : Bends)
        for (const QPointF &p : points) {
            minX = std::min(minX, p.x());
            minY = std::min(minY, p.y());
        }
    const QPointF shift(SheetMargin - minX, SheetMargin - minY);
    if (shift.isNull())
        return;
    for (QPointF &c : Centres)
        c += shift;
    for (QList<QPointF> &points : Bends)
        for (QPointF &p : points)
            p += shift;
}

bool TPnmlBuilder::Build(TPetryNet &net, bool &laidOut)
{
    laidOut = false;
    NodeIsPlace.reserve(size_t(Doc.Nodes.size()));
    for (const TPnmlNode &n : Doc.Nodes)
        NodeIsPlace.push_back(n.IsPlace);
    // References must name nodes of their own kind; arcs may end at them.
    // In document order, so that the first offender is the one named.
    for (const QString &id : std::as_const(Doc.ReferenceOrder))
        ResolveNode(id, TPnmlKind::Reference, id);
    ResolveArcs();
    if (Doc.Own.Present) {
        // Our own documents store centres and exact bend points.
        Centres.reserve(Doc.Nodes.size());
        Bends.reserve(Doc.Arcs.size());
        bool missing = false;
        for (const TPnmlNode &n : Doc.Nodes) {
            Centres.append(n.Position);
            missing = missing || !n.HasPosition;
        }
        for (qsizetype i = 0; i < Doc.Arcs.size(); ++i)
            Bends.append(Doc.Arcs[i].Points);
        if (missing) {
            laidOut = true;
            LayOut();
        }
    } else {
        PlaceForeignNodes(laidOut);
    }
    return Construct(net);
}

QPoint ToNet(QPointF p, TPnmlKind kind, QStringView id)
{
    const QPoint q(qRound64(std::clamp(p.x(), -2e9, 2e9)), qRound64(std::clamp(p.y(), -2e9, 2e9)));
    if (!InCoordinateRange(q))
        throw TRefusal{QStringLiteral("%1: координаты (%2, %3) вне допустимого диапазона.").arg(PnmlOwner(kind, id)).arg(p.x()).arg(p.y())};
    return q;
}

// Builds the net's elements straight from the records, with the texts kept as
// the document file keeps them; a refusal on the way leaves the net as it was.
bool TPnmlBuilder::Construct(TPetryNet &net)
{
    double right = 0, bottom = 0;
    for (qsizetype i = 0; i < Centres.size(); ++i) {
        const QSizeF size = ModelSize(Doc.Nodes[i]);
        right = std::max(right, Centres[i].x() + size.width() / 2);
        bottom = std::max(bottom, Centres[i].y() + size.height() / 2);
    }
    for (const QList<QPointF> &points : Bends)
        for (const QPointF &p : points) {
            right = std::max(right, p.x());
            bottom = std::max(bottom, p.y());
        }
    TNetSizes sizes{Doc.Own.SheetWidth, Doc.Own.SheetHeight, Sizes.PlaceWidth, Sizes.PlaceHeight,
                    Sizes.TransitionWidth, Sizes.TransitionHeight};
    if (!Doc.Own.Present) {
        sizes.SheetWidth = qint32(std::min<double>(MaxCoordinate, std::max<double>(DefaultSheetWidth, std::ceil(right) + SheetMargin)));
        sizes.SheetHeight = qint32(std::min<double>(MaxCoordinate, std::max<double>(DefaultSheetHeight, std::ceil(bottom) + SheetMargin)));
    }

    static const TPnmlOwnElement none;
    auto own = [&](qint32 index) -> const TPnmlOwnElement & { return index >= 0 ? Doc.OwnElements[index] : none; };
    auto name = [](const TPnmlOwnElement &e, bool hasName, QStringView label, QStringView id) -> QStringView {
        return e.HasName ? QStringView(e.Name) : hasName ? label : id;
    };
    const qsizetype places = std::count(NodeIsPlace.cbegin(), NodeIsPlace.cend(), true);
    TNetContentBuilder content(net, places, Doc.Nodes.size() - places, Doc.Arcs.size());
    // Places first, then transitions, each in document order.
    std::vector<TStaticNetElement *> made(size_t(Doc.Nodes.size()));
    for (const bool placesNow : {true, false}) {
        for (qsizetype i = 0; i < Doc.Nodes.size(); ++i) {
            if (NodeIsPlace[size_t(i)] != placesNow)
                continue;
            const TPnmlNode &n = Doc.Nodes[i];
            const TPnmlOwnElement &e = own(n.Own);
            const QPoint centre = ToNet(Centres[i], placesNow ? TPnmlKind::Place : TPnmlKind::Transition, n.Id);
            const QStringView text = name(e, n.HasName, n.Name, n.Id);
            made[size_t(i)] = placesNow ? static_cast<TStaticNetElement *>(content.AddPlace(text, e.HasDescription, e.Description, centre, n.Tokens))
                                        : content.AddTransition(text, e.HasDescription, e.Description, centre);
        }
    }
    for (qsizetype i = 0; i < Doc.Arcs.size(); ++i) {
        const TPnmlArc &a = Doc.Arcs[i];
        const TPnmlOwnElement &e = own(a.Own);
        const bool reversed = e.DrawnFromTarget;
        const int start = reversed ? Ends[i].Target : Ends[i].Source;
        const int end = reversed ? Ends[i].Source : Ends[i].Target;
        const QList<QPointF> &points = Bends[i];
        QList<QPoint> bends;
        bends.reserve(points.size());
        for (qsizetype k = 0; k < points.size(); ++k)
            bends.append(ToNet(points[reversed ? points.size() - 1 - k : k], TPnmlKind::Arc, a.Id));
        content.AddArc(name(e, a.HasName, a.Name, a.Id), e.HasDescription, e.Description, made[size_t(start)],
                       made[size_t(end)], !NodeIsPlace[size_t(Ends[i].Source)], a.Weight, std::move(bends));
    }
    return content.Install(Doc.HasNetName ? QStringView(Doc.NetName) : !Doc.NetId.isEmpty() ? QStringView(Doc.NetId) : u"Сеть Петри",
                           Doc.Own.Author, Doc.Own.Description, sizes);
}

} // namespace

bool ImportPnml(const QByteArray &bytes, TPetryNet &net, QString *error, bool *laidOut)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (bytes.size() > MaxPnmlSize)
        return fail(QStringLiteral("Файл PNML больше %1 МБ.").arg(MaxPnmlSize >> 20));
    TPnmlDocument doc;
    const QString reason = ReadPnmlDocument(bytes, doc);
    if (!reason.isEmpty())
        return fail(reason);
    bool layout = false;
    bool built = false;
    try {
        built = TPnmlBuilder(doc, net).Build(net, layout);
    } catch (const TRefusal &r) {
        return fail(r.Reason);
    }
    if (!built)
        return fail(QStringLiteral("Размеры листа или узлов сети вне допустимого диапазона."));
    if (laidOut)
        *laidOut = layout;
    return true;
}
