#include "StateGraphScene.h"

#include "Analysis.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStyleOptionGraphicsItem>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

constexpr double NodePaddingX = 8;
constexpr double NodePaddingY = 5;
constexpr double ArrowLength = 8;
constexpr double ArrowHalfWidth = 3.5;
// The largest side of a PNG picture: larger drawings are scaled down to it.
constexpr double MaxPictureSide = 16384;
constexpr qsizetype LabelledEdgeLimit = 100;
constexpr qsizetype FullLayoutEdgeLimit = 400;
constexpr double LoopReach = 14;

const QColor DeadColor(255, 0, 0);
const QColor InexactColor(128, 128, 128);

// One state: its marking in a box.
class TStateItem : public QGraphicsItem
{
public:
    TStateItem(int state, const QString &text, QSizeF size, bool start, bool dead, bool exact)
        : Text(text)
        , Box(-size.width() / 2, -size.height() / 2, size.width(), size.height())
        , Start(start)
        , Dead(dead)
        , Exact(exact)
    {
        setData(StateKey, state);
        setFlag(ItemIsSelectable);
        setToolTip(text);
    }

    int type() const override { return StateItemType; }
    QRectF boundingRect() const override { return Box.adjusted(-2, -2, 2, 2); }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *) override
    {
        const QColor ink = Dead ? DeadColor : Exact ? QColor(Qt::black) : InexactColor;
        const bool selected = option->state & QStyle::State_Selected;
        painter->setPen(QPen(ink, selected ? 2 : 1));
        painter->setBrush(selected ? QColor(204, 224, 255) : QColor(Qt::white));
        painter->drawRect(Box);
        if (Start) {
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(Box.adjusted(3, 3, -3, -3));
        }
        painter->setFont(StateGraphNodeFont());
        painter->setPen(ink);
        painter->drawText(Box, Qt::AlignCenter, Text);
    }

private:
    QString Text;
    QRectF Box;
    bool Start, Dead, Exact;
};

QPainterPath Route(const QList<QPointF> &points)
{
    QPainterPath path(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    return path;
}

// The arrowhead at the route's end, pointing along its last leg.
QPolygonF ArrowHead(const QList<QPointF> &points)
{
    const QPointF tip = points.last();
    QPointF from = points[points.size() - 2];
    for (qsizetype i = points.size() - 2; i >= 0 && from == tip; --i)
        from = points[i];
    const QPointF d = tip - from;
    const double length = std::hypot(d.x(), d.y());
    if (length < 1e-6)
        return {};
    const QPointF unit = d / length, normal(-unit.y(), unit.x());
    const QPointF base = tip - unit * ArrowLength;
    return QPolygonF({tip, base + normal * ArrowHalfWidth, base - normal * ArrowHalfWidth});
}

// The point halfway along a route, where a label goes that the layout did not place.
QPointF RouteMiddle(const QList<QPointF> &points)
{
    double length = 0;
    for (qsizetype i = 1; i < points.size(); ++i)
        length += QLineF(points[i - 1], points[i]).length();
    double left = length / 2;
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QLineF leg(points[i - 1], points[i]);
        if (leg.length() >= left && leg.length() > 0)
            return leg.pointAt(left / leg.length());
        left -= leg.length();
    }
    return points.first();
}

// Where the ray from the centre of a box along dir leaves the box.
QPointF BorderPoint(QPointF centre, QSizeF size, QPointF dir)
{
    const double tx = std::abs(dir.x()) > 1e-9 ? size.width() / 2 / std::abs(dir.x()) : 1e18;
    const double ty = std::abs(dir.y()) > 1e-9 ? size.height() / 2 / std::abs(dir.y()) : 1e18;
    return centre + dir * std::min(tx, ty);
}

// An arrow between two boxes that the layout did not route: a straight line,
// moved a little to its right so that the two arrows of a pair stay apart,
// or a small loop on the right side of a box.
QList<QPointF> StraightRoute(QPointF from, QSizeF fromSize, QPointF to, QSizeF toSize)
{
    if (from == to) {
        const double x = from.x() + fromSize.width() / 2, y = from.y();
        return {{x, y - 4}, {x + LoopReach, y - 8}, {x + LoopReach, y + 8}, {x, y + 4}};
    }
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    const QPointF aside = QPointF(-d.y(), d.x()) / length * 3;
    return {BorderPoint(from, fromSize, d) + aside, BorderPoint(to, toSize, -d) + aside};
}

bool Fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

QFont StateGraphNodeFont()
{
    QFont font;
    font.setPixelSize(12);
    return font;
}

QFont StateGraphLabelFont()
{
    QFont font;
    font.setPixelSize(11);
    return font;
}

TStateGraphDrawing LayOutStateGraph(const TAnalysisNet &net, const TStateGraph &graph)
{
    TStateGraphDrawing drawing;
    const QFontMetricsF metrics(StateGraphNodeFont());
    TLayoutGraph layout;
    layout.LabelFontSize = StateGraphLabelFont().pixelSize();
    layout.NodeSpacing = 24;
    layout.RankSpacing = 36;
    for (const QList<qint64> &marking : graph.Markings) {
        const QString text = MarkingText(marking);
        const QSizeF size(std::ceil(metrics.horizontalAdvance(text)) + 2 * NodePaddingX,
                          std::ceil(metrics.height()) + 2 * NodePaddingY);
        drawing.NodeTexts << text;
        drawing.NodeSizes << size;
        layout.Nodes.append(TLayoutNode{size, TLayoutShape::Box});
    }
    QHash<QPair<int, int>, int> arrowOf;
    for (const TStateGraph::TEdge &e : graph.Edges) {
        const QString name = e.Transition >= 0 && e.Transition < net.TransitionCount()
                                 ? net.TransitionNames[e.Transition] : QString();
        const auto it = arrowOf.constFind({e.From, e.To});
        if (it == arrowOf.cend()) {
            arrowOf.insert({e.From, e.To}, int(drawing.Arrows.size()));
            drawing.Arrows.append({e.From, e.To, name});
        } else {
            drawing.Arrows[*it].Label += QStringLiteral(", ") + name;
        }
    }
    // Graphviz makes room for labels at a high price, and routing every
    // firing of a dense graph takes it minutes: larger graphs are laid out by
    // their tree of first firings, the other arrows drawn straight.
    const bool labelled = drawing.Arrows.size() <= LabelledEdgeLimit;
    const bool whole = drawing.Arrows.size() <= FullLayoutEdgeLimit || graph.Parent.size() != graph.StateCount();
    QList<int> laidOut; // arrow of each layout edge
    for (int i = 0; i < drawing.Arrows.size(); ++i) {
        const TStateGraphDrawing::TArrow &arrow = drawing.Arrows[i];
        if (whole || (arrow.From != arrow.To && graph.Parent[arrow.To] == arrow.From)) {
            laidOut << i;
            layout.Edges.append(TLayoutEdge{arrow.From, arrow.To, labelled ? arrow.Label : QString()});
        }
    }
    TGraphLayoutResult result = LayoutGraph(layout);
    // Reachability graphs are often wide and shallow: ranks from left to
    // right give a drawing nearer the shape of a window then.
    if (result.Ok && result.Size.width() > 3 * result.Size.height()) {
        layout.LeftToRight = true;
        TGraphLayoutResult across = LayoutGraph(layout);
        auto stretch = [](QSizeF size) { return qMax(size.width() / size.height(), size.height() / size.width()); };
        if (across.Ok && stretch(across.Size) < stretch(result.Size))
            result = std::move(across);
    }
    drawing.Ok = result.Ok;
    drawing.Error = result.Error;
    drawing.Layout = result;
    if (!result.Ok || whole)
        return drawing;
    drawing.Layout.Routes.clear();
    drawing.Layout.LabelCentres.clear();
    for (const TStateGraphDrawing::TArrow &arrow : drawing.Arrows) {
        drawing.Layout.Routes.append(StraightRoute(result.Centres[arrow.From], drawing.NodeSizes[arrow.From],
                                                   result.Centres[arrow.To], drawing.NodeSizes[arrow.To]));
        drawing.Layout.LabelCentres.append(QPointF());
    }
    for (int e = 0; e < laidOut.size(); ++e)
        drawing.Layout.Routes[laidOut[e]] = result.Routes[e];
    return drawing;
}

void FillStateGraphScene(QGraphicsScene &scene, const TStateGraph &graph, const TStateGraphDrawing &drawing)
{
    scene.clear();
    const TGraphLayoutResult &layout = drawing.Layout;
    if (!drawing.Ok || layout.Centres.size() != graph.StateCount() || layout.Routes.size() != drawing.Arrows.size()
        || layout.LabelCentres.size() != drawing.Arrows.size())
        return;
    scene.setSceneRect(QRectF(QPointF(0, 0), layout.Size));
    const QFont labelFont = StateGraphLabelFont();
    for (qsizetype i = 0; i < drawing.Arrows.size(); ++i) {
        const QList<QPointF> &route = layout.Routes[i];
        if (route.size() < 2)
            continue;
        auto *line = scene.addPath(Route(route), QPen(Qt::black, 1));
        line->setZValue(0);
        const QPolygonF head = ArrowHead(route);
        if (!head.isEmpty())
            scene.addPolygon(head, QPen(Qt::black, 1), QBrush(Qt::black))->setZValue(0);
        const QString &text = drawing.Arrows[i].Label;
        if (!text.isEmpty()) {
            auto *label = scene.addSimpleText(text, labelFont);
            const QPointF placed = layout.LabelCentres.value(i);
            if (placed.isNull()) // beside the route's middle, clear of the line
                label->setPos(RouteMiddle(route) + QPointF(3, -label->boundingRect().height() / 2));
            else
                label->setPos(placed - label->boundingRect().center());
            label->setZValue(1);
        }
    }
    for (int s = 0; s < graph.StateCount(); ++s) {
        auto *item = new TStateItem(s, drawing.NodeTexts.value(s), drawing.NodeSizes.value(s), s == graph.Start,
                                    graph.IsDead(s), graph.IsExact(s));
        item->setPos(layout.Centres[s]);
        item->setZValue(2);
        scene.addItem(item);
    }
}

bool SaveScenePicture(QGraphicsScene &scene, const QString &fileName, QString *error)
{
    const QString cannot = QStringLiteral("Не удалось сохранить рисунок в файл «%1».").arg(fileName);
    const QRectF source = scene.sceneRect();
    if (source.isEmpty())
        return Fail(error, QStringLiteral("Рисунок пуст."));
    // The selection is the view's, not part of the picture.
    const QList<QGraphicsItem *> selected = scene.selectedItems();
    scene.clearSelection();
    auto restore = qScopeGuard([&] {
        for (QGraphicsItem *item : selected)
            item->setSelected(true);
    });

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, cannot + u' ' + file.errorString());
    if (QFileInfo(fileName).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(source.size().toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), source.size()));
        svg.setTitle(QStringLiteral("Граф состояний"));
        QPainter painter;
        if (!painter.begin(&svg))
            return Fail(error, cannot);
        painter.fillRect(QRectF(QPointF(0, 0), source.size()), Qt::white);
        scene.render(&painter, QRectF(QPointF(0, 0), source.size()), source);
        painter.end();
    } else {
        const double scale = qMin(1.0, MaxPictureSide / qMax(source.width(), source.height()));
        QImage image((source.size() * scale).toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        if (image.isNull())
            return Fail(error, cannot + QStringLiteral(" Не хватает памяти."));
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        scene.render(&painter, QRectF(image.rect()), source);
        painter.end();
        if (!image.save(&file, "PNG"))
            return Fail(error, cannot);
    }
    if (!file.commit())
        return Fail(error, cannot + u' ' + file.errorString());
    return true;
}
