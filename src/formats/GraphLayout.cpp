#include "GraphLayout.h"

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>

#include <gvc.h>

#include <memory>
#include <vector>

namespace {

// Graphviz keeps global state: one layout at a time in the whole process.
QMutex GraphvizMutex;

constexpr double PointsPerInch = 72;

// Graphviz's attribute functions take non-const strings.
void Set(void *object, const char *name, const QByteArray &value)
{
    agsafeset(object, const_cast<char *>(name), const_cast<char *>(value.constData()),
              const_cast<char *>(""));
}

QByteArray Number(double v)
{
    return QByteArray::number(v, 'f', 4);
}

// One context for the process, made on first use under the mutex: making
// and freeing one per layout costs milliseconds and leaks inside Graphviz.
GVC_t *SharedContext()
{
    static GVC_t *context = gvContext();
    return context;
}

struct TGraphvizSession
{
    GVC_t *Context = nullptr;
    Agraph_t *Graph = nullptr;
    bool LaidOut = false;
    ~TGraphvizSession()
    {
        if (LaidOut)
            gvFreeLayout(Context, Graph);
        if (Graph)
            agclose(Graph);
    }
};

// The points a spline passes through: its ends and the end of every cubic
// piece (with "polyline" splines these are the route's corners).
void AppendRoute(const splines *spl, QList<QPointF> &route)
{
    for (int b = 0; b < spl->size; ++b) {
        const bezier &bz = spl->list[b];
        if (bz.size == 0)
            continue;
        if (bz.sflag)
            route.append({bz.sp.x, bz.sp.y});
        for (int i = 0; i < bz.size; i += 3)
            route.append({bz.list[i].x, bz.list[i].y});
        if ((bz.size - 1) % 3 != 0)
            route.append({bz.list[bz.size - 1].x, bz.list[bz.size - 1].y});
        if (bz.eflag)
            route.append({bz.ep.x, bz.ep.y});
    }
}

} // namespace

TGraphLayoutResult LayoutGraph(const TLayoutGraph &graph)
{
    TGraphLayoutResult result;
    for (const TLayoutEdge &e : graph.Edges)
        if (e.From < 0 || e.From >= graph.Nodes.size() || e.To < 0 || e.To >= graph.Nodes.size()) {
            result.Error = QStringLiteral("Дуга графа ссылается на несуществующую вершину.");
            return result;
        }
    if (graph.Nodes.isEmpty()) {
        result.Ok = true;
        result.Size = QSizeF(2 * graph.Margin, 2 * graph.Margin);
        return result;
    }

    QMutexLocker lock(&GraphvizMutex);
    agseterr(AGMAX); // no warnings on stderr; failures are reported by the result
    TGraphvizSession s;
    s.Context = SharedContext();
    char graphName[] = "g";
    s.Graph = agopen(graphName, Agdirected, nullptr);
    if (!s.Context || !s.Graph) {
        result.Error = QStringLiteral("Не удалось запустить автоматическую раскладку.");
        return result;
    }
    Set(s.Graph, "rankdir", graph.LeftToRight ? "LR" : "TB");
    Set(s.Graph, "nodesep", Number(graph.NodeSpacing / PointsPerInch));
    Set(s.Graph, "ranksep", Number(graph.RankSpacing / PointsPerInch));
    Set(s.Graph, "splines", "polyline");
    // Fewer crossing-reduction and network-simplex passes: deep graphs (long
    // cycles) otherwise take tens of seconds, for a drawing barely better.
    Set(s.Graph, "mclimit", "0.5");
    Set(s.Graph, "nslimit", "1");
    Set(s.Graph, "nslimit1", "1");
    Set(s.Graph, "fontsize", Number(graph.LabelFontSize));

    std::vector<Agnode_t *> nodes;
    nodes.reserve(graph.Nodes.size());
    for (qsizetype i = 0; i < graph.Nodes.size(); ++i) {
        const QByteArray name = "n" + QByteArray::number(i);
        Agnode_t *n = agnode(s.Graph, const_cast<char *>(name.constData()), 1);
        const TLayoutNode &node = graph.Nodes[i];
        Set(n, "shape", node.Shape == TLayoutShape::Ellipse ? "ellipse" : "box");
        Set(n, "fixedsize", "true");
        Set(n, "label", "");
        Set(n, "width", Number(qMax(1.0, node.Size.width()) / PointsPerInch));
        Set(n, "height", Number(qMax(1.0, node.Size.height()) / PointsPerInch));
        nodes.push_back(n);
    }
    std::vector<Agedge_t *> edges;
    edges.reserve(graph.Edges.size());
    for (const TLayoutEdge &e : graph.Edges) {
        Agedge_t *edge = agedge(s.Graph, nodes[e.From], nodes[e.To], nullptr, 1);
        if (!e.Label.isEmpty()) {
            Set(edge, "label", e.Label.toUtf8());
            Set(edge, "fontsize", Number(graph.LabelFontSize));
        }
        edges.push_back(edge);
    }

    if (gvLayout(s.Context, s.Graph, "dot") != 0) {
        result.Error = QStringLiteral("Автоматическая раскладка не удалась.");
        return result;
    }
    s.LaidOut = true;

    // Graphviz's y axis points up; ours points down.
    const boxf bb = GD_bb(s.Graph);
    const double m = graph.Margin;
    auto map = [&](QPointF p) { return QPointF(p.x() - bb.LL.x + m, bb.UR.y - p.y() + m); };
    result.Size = QSizeF(bb.UR.x - bb.LL.x + 2 * m, bb.UR.y - bb.LL.y + 2 * m);
    result.Centres.reserve(graph.Nodes.size());
    for (Agnode_t *n : nodes)
        result.Centres.append(map({ND_coord(n).x, ND_coord(n).y}));
    result.Routes.reserve(graph.Edges.size());
    result.LabelCentres.reserve(graph.Edges.size());
    for (qsizetype i = 0; i < graph.Edges.size(); ++i) {
        QList<QPointF> route;
        if (const splines *spl = ED_spl(edges[i]))
            AppendRoute(spl, route);
        if (route.size() < 2) // no spline: a straight line between the centres
            route = {result.Centres[graph.Edges[i].From], result.Centres[graph.Edges[i].To]};
        else
            for (QPointF &p : route)
                p = map(p);
        result.Routes.append(route);
        const textlabel_t *label = ED_label(edges[i]);
        result.LabelCentres.append(label && label->set ? map({label->pos.x, label->pos.y}) : QPointF());
    }
    result.Ok = true;
    return result;
}
