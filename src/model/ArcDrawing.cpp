#include "Arc.h"
#include "PetryNet.h"

#include <QPainter>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double BarbAngle = 0.2;
constexpr int BarbLength = 20;
constexpr int TickHalf = 6;

const QColor SelectedPen(128, 128, 128);
const QColor HeadFill(255, 0, 0);
const QColor SelectedHeadFill(255, 128, 128);
const QColor HandleFill(0, 255, 0);

// Rounds to the nearest integer, halves to the even neighbour.
int Nearest(double v)
{
    return int(std::nearbyint(v));
}

// Slope of the line from b to a. A vertical line gets an infinite slope with
// the sign of a.y - b.y, so atan gives +-pi/2; coinciding points give 0.
double Slope(QPoint a, QPoint b)
{
    const double dy = a.y() - b.y();
    if (a.x() != b.x())
        return dy / (a.x() - b.x());
    if (dy == 0)
        return 0;
    return std::copysign(std::numeric_limits<double>::infinity(), dy);
}

// Tip and the two barb ends of the arrow head, which sits on the border of
// the node the tokens flow into. None when the neighbouring polyline point
// lies on that node's centre, where the direction is undefined.
std::optional<std::array<QPoint, 3>> ArrowHead(const TArc &arc)
{
    const TStaticNetElement *target = arc.TransitionToPlace ? arc.PlaceEnd() : arc.TransitionEnd();
    if (!target)
        return std::nullopt;
    const QList<QPoint> line = arc.Polyline();
    const QPoint q = target == arc.EndNode ? line[line.size() - 2] : line[1];
    const QPoint c = target->CanvasCenter();

    const double s = Slope(q, c);
    const double d = std::hypot(double(q.x() - c.x()), double(q.y() - c.y()));
    if (d == 0)
        return std::nullopt;

    double r;
    if (target->Kind == KindPlace) {
        r = target->NodeWidth() / 2; // the place border taken as a circle
    } else {
        const double hw = target->NodeWidth() / 2;
        const double hh = target->NodeHeight() / 2;
        if (hh >= std::fabs(s * hw))
            r = std::hypot(s * hw, hw); // leaves through a side
        else
            r = std::hypot(hh / s, hh); // leaves through the top or bottom
    }

    const QPoint tip(Nearest((q.x() * r + (d - r) * c.x()) / d),
                     Nearest((q.y() * r + (d - r) * c.y()) / d));
    const double alpha = std::atan(s);
    const double turn = tip.x() > q.x() ? Pi : 0;
    auto barb = [&](double beta) {
        return tip + QPoint(Nearest(BarbLength * std::cos(beta)), Nearest(BarbLength * std::sin(beta)));
    };
    return std::array<QPoint, 3>{tip, barb(alpha + BarbAngle + turn), barb(alpha - BarbAngle + turn)};
}

void SetFeedbackTools(QPainter &canvas)
{
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    canvas.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    canvas.setBrush(Qt::NoBrush);
}

} // namespace

void TArc::Draw(QPainter &canvas) const
{
    const QColor penColour = Selected ? SelectedPen : QColor(Qt::black);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setPen(QPen(penColour, 1, Qt::SolidLine));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawPolyline(Polyline());

    if (const auto head = ArrowHead(*this)) {
        canvas.setBrush(Selected ? SelectedHeadFill : HeadFill);
        canvas.drawPolygon(head->data(), 3);
        // QPainter may leave out a lower or right corner of an outline; the
        // tip and the barb ends must show.
        canvas.drawPoints(head->data(), 3);
    }

    // Handles: 6 by 6 pixels from (x - 3, y - 3), outlined with the line's pen.
    canvas.setBrush(HandleFill);
    for (int i = 0; i < PointCount(); ++i) {
        const QPoint p = GetPoint(i);
        canvas.drawRect(p.x() - 3, p.y() - 3, 5, 5);
    }

    if (Multiplicity <= 1)
        return;

    // Label: a tick across the middle of the longest segment, and the weight
    // beside the tick's end K, pushed off the line by half its size.
    const TSegment seg = LongestSegment();
    const double gamma = std::atan(Slope(seg.A, seg.B)) + Pi / 2;
    const QPoint across(Nearest(TickHalf * std::cos(gamma)), Nearest(TickHalf * std::sin(gamma)));
    const QPoint k = seg.M - across;
    canvas.drawLine(seg.M + across, k);

    const int cell = Net->PlaceWidth / 2;
    const auto [w, h] = MeasureCount(cell, Multiplicity);
    QPoint topLeft = gamma <= Pi / 2 ? QPoint(k.x() - w, k.y() - h) : QPoint(k.x(), k.y() - h);
    if (gamma < Pi / 4 || gamma > 3 * Pi / 4)
        topLeft.ry() += h / 2;
    else if (gamma < Pi / 2)
        topLeft.rx() += w / 2;
    else
        topLeft.rx() -= w / 2;
    topLeft += QPoint(1, 1);
    canvas.fillRect(QRect(topLeft, QSize(w, h)), Qt::white);
    DrawCount(canvas, cell, Multiplicity, topLeft);
}

void TArc::DrawDragFeedback(int dx, int dy, bool apply, QPainter &canvas)
{
    const bool startMoves = StartNode && StartNode->Selected;
    const bool endMoves = EndNode && EndNode->Selected;
    if (!startMoves && !endMoves)
        return;
    canvas.save();
    SetFeedbackTools(canvas);
    if (startMoves && endMoves) {
        // The whole arc travels with its nodes, bend points included.
        if (apply) {
            for (int i = 0; i < PointCount(); ++i)
                SetPoint(i, GetPoint(i) + QPoint(dx, dy));
        }
        canvas.drawPolyline(Polyline());
    } else {
        // One end moves: only the segment touching it follows.
        QPoint from = StartNode->CanvasCenter();
        QPoint to = EndNode->CanvasCenter();
        if (PointCount() > 0) {
            if (startMoves)
                to = GetPoint(0);
            else
                from = GetPoint(PointCount() - 1);
        }
        canvas.drawLine(from, to);
    }
    canvas.restore();
}

void TArc::DrawPointDragFeedback(int index, int dx, int dy, bool apply, QPainter &canvas)
{
    if (index < 0 || index >= PointCount())
        return;
    if (apply)
        SetPoint(index, GetPoint(index) + QPoint(dx, dy));
    const QPoint points[3] = {
        index == 0 ? StartNode->CanvasCenter() : GetPoint(index - 1),
        GetPoint(index),
        index == PointCount() - 1 ? EndNode->CanvasCenter() : GetPoint(index + 1),
    };
    canvas.save();
    SetFeedbackTools(canvas);
    canvas.drawPolyline(points, 3);
    canvas.restore();
}
