#include "PetryNet.h"

#include "PetryNetPrivate.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

// The arc gesture (rubber band from a node to a node of the other kind) and
// dragging of the selection or of one bend point. All feedback is inverted
// onto the canvas and erased by drawing it again.

namespace {

int Nearest(double v)
{
    return int(std::nearbyint(v));
}

// Inverts every pixel that paint covers, each exactly once, however the shapes
// it draws overlap (a polygon's outline and fill, the band's line and head).
// paint draws in black onto a mask laid over bounds (canvas coordinates).
template <typename TPaint>
void InvertCovered(QPainter &canvas, QRect bounds, TPaint paint)
{
    if (const QPaintDevice *device = canvas.device()) {
        const QRect visible(0, 0, device->width(), device->height());
        bounds &= canvas.worldTransform().inverted().mapRect(visible);
    }
    if (bounds.isEmpty())
        return;
    QImage mask(bounds.size(), QImage::Format_Grayscale8);
    mask.fill(255);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(-bounds.topLeft());
        paint(p);
    }
    const QPainter::CompositionMode mode = canvas.compositionMode();
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    for (int y = 0; y < mask.height(); ++y) {
        const uchar *row = mask.constScanLine(y);
        for (int x = 0; x < mask.width();) {
            if (row[x] == 255) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < mask.width() && row[x] != 255)
                ++x;
            canvas.fillRect(QRect(bounds.left() + start, bounds.top() + y, x - start, 1), Qt::black);
        }
    }
    canvas.setCompositionMode(mode);
}

// The part of the canvas the painter can reach (canvas coordinates).
QRect CanvasArea(const QPainter &canvas)
{
    const QPaintDevice *device = canvas.device();
    if (!device)
        return {};
    return canvas.worldTransform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
}

} // namespace

void TPetryNet::BeginArc(int x, int y, QPainter &canvas)
{
    ArcSource = NodeAt(x, y);
    ArcTarget = nullptr;
    if (!ArcSource)
        return;
    const QPoint centre = ArcSource->CanvasCenter();
    RubberLine = {centre.x(), centre.y(), centre.x(), centre.y()};
    ElementChanging(ArcSource);
    ArcSource->Highlighted = true;
    ArcSource->Draw(canvas);
    DrawRubberArc(canvas);
}

void TPetryNet::TrackArc(int x, int y, QPainter &canvas)
{
    if (!ArcSource)
        return;
    TStaticNetElement *node = NodeAt(x, y);
    DrawRubberArc(canvas); // erase while it still looks as it was drawn
    if (node && node != ArcSource && node->Kind != ArcSource->Kind) {
        if (node != ArcTarget) {
            if (ArcTarget) {
                ElementChanging(ArcTarget);
                ArcTarget->Highlighted = false;
                ArcTarget->Draw(canvas);
            }
            ArcTarget = node;
            ElementChanging(ArcTarget);
            ArcTarget->Highlighted = true;
            ArcTarget->Draw(canvas);
        }
        RubberLine.X2 = ArcTarget->CanvasX();
        RubberLine.Y2 = ArcTarget->CanvasY();
    } else {
        if (ArcTarget) {
            ElementChanging(ArcTarget);
            ArcTarget->Highlighted = false;
            ArcTarget->Draw(canvas);
            ArcTarget = nullptr;
        }
        RubberLine.X2 = x;
        RubberLine.Y2 = y;
    }
    DrawRubberArc(canvas);
}

void TPetryNet::EndArc(QPainter &canvas)
{
    if (!ArcSource)
        return;
    DrawRubberArc(canvas);
    TStaticNetElement *source = ArcSource;
    TStaticNetElement *target = ArcTarget;
    ArcSource = nullptr;
    ArcTarget = nullptr;
    ElementChanging(source);
    source->Highlighted = false;
    source->Draw(canvas);
    if (!target)
        return;
    ElementChanging(target);
    target->Highlighted = false;
    target->Draw(canvas);

    // At most one arc per pair of nodes and direction; a duplicate is refused silently.
    const bool fromTransition = source->Kind == KindTransition;
    const bool exists = std::any_of(Arcs.cbegin(), Arcs.cend(), [&](const TArc *arc) {
        return (arc->StartNode == source || arc->StartNode == target)
            && (arc->EndNode == target || arc->EndNode == source)
            && arc->TransitionToPlace == fromTransition;
    });
    if (exists)
        return;
    TArc *arc = TArc::CreateBetween(this, source, target);
    SaveUndo(); // the snapshot holds the net without the new arc
    Arcs.append(arc);
    Saved = false;
    NotifyChange();
    arc->SetSelected(true);
}

void TPetryNet::CancelArc()
{
    for (TStaticNetElement *node : {ArcSource, ArcTarget})
        if (node) {
            ElementChanging(node);
            node->Highlighted = false;
        }
    ArcSource = nullptr;
    ArcTarget = nullptr;
}

void TPetryNet::DrawRubberArc(QPainter &canvas) const
{
    DrawRubberArc(canvas, RubberLine, ArcTarget);
}

void TPetryNet::DrawRubberArc(QPainter &canvas, const TRubberLine &band, const TStaticNetElement *target) const
{
    QPolygon head;
    if (band.X1 != band.X2) { // a vertical band, or one of length 0, has no head
        const double k = double(band.Y1 - band.Y2) / (band.X1 - band.X2);
        const double length = std::hypot(double(band.X1 - band.X2), double(band.Y1 - band.Y2));
        // The tip stops on the target's outline, or at the mouse without a target.
        double e = 0;
        if (target && target->Kind == KindPlace) {
            e = PlaceWidth / 2;
        } else if (target) {
            const double a = TransitionWidth / 2.0;
            const double b = TransitionHeight / 2.0;
            e = b >= std::fabs(a * k) ? std::hypot(a, a * k) : std::hypot(b, b / k);
        }
        const QPoint tip(Nearest((band.X1 * e + (length - e) * band.X2) / length),
                         Nearest((band.Y1 * e + (length - e) * band.Y2) / length));
        const double turn = band.X1 < tip.x() ? std::numbers::pi : 0;
        head << tip;
        for (const double delta : {0.2, -0.2}) {
            const double angle = std::atan(k) + delta + turn;
            head << tip + QPoint(Nearest(20 * std::cos(angle)), Nearest(20 * std::sin(angle)));
        }
    }

    const QRect bounds = QRect(QPoint(band.X1, band.Y1), QPoint(band.X2, band.Y2))
                             .normalized()
                             .united(head.boundingRect())
                             .adjusted(-2, -2, 2, 2);
    InvertCovered(canvas, bounds, [&](QPainter &p) {
        p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        p.drawLine(band.X1, band.Y1, band.X2, band.Y2);
        if (!head.isEmpty()) {
            p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::black);
            p.drawPolygon(head);
            p.setPen(QPen(Qt::black, 1));
            p.drawPoints(head); // corners QPainter may leave out
        }
    });
}

bool TPetryNet::BeginDrag(int x, int y, QPainter &canvas)
{
    // A bend point under the mouse wins over the nodes.
    DraggingBendPoint = false;
    for (TNetElement *near : ElementsIn(QRect(x, y, 1, 1))) {
        if (near->Kind != KindArc)
            break; // arcs come first, in list order
        auto *arc = static_cast<TArc *>(near);
        const int index = arc->PointIndexAt(x, y);
        if (index < 0)
            continue;
        DragBendIndex = index;
        DragArcIndex = IndexOf(Arcs, arc);
        DraggingBendPoint = true;
        if (!arc->Selected) {
            ClearSelection();
            arc->SetSelected(true);
            Draw(canvas, true, CanvasArea(canvas));
        }
        break;
    }
    if (DraggingBendPoint) {
        SaveUndo();
        Dragging = true;
        Arcs[DragArcIndex]->DrawPointDragFeedback(DragBendIndex, 0, 0, false, canvas);
        RubberLine.X1 = x;
        RubberLine.Y1 = y;
        NotifySelectionChange();
        return true;
    }

    TStaticNetElement *node = NodeAt(x, y);
    if (!node)
        return false;
    if (!node->Selected) {
        ClearSelection();
        node->SetSelected(true);
        Draw(canvas, true, CanvasArea(canvas));
        NotifySelectionChange();
    }
    SaveUndo();
    TakeDragSet();
    DrawDragFeedbacks(canvas, 0, 0, false);
    RubberLine.X1 = x;
    RubberLine.Y1 = y;
    Dragging = true;
    return true;
}

void TPetryNet::TakeDragSet()
{
    DragNodes.clear();
    DragArcs.clear();
    for (TPosition *place : Places)
        if (place->Selected)
            DragNodes.push_back(place);
    for (TTransfer *transition : Transitions)
        if (transition->Selected)
            DragNodes.push_back(transition);
    for (TArc *arc : Arcs)
        if (arc->StartNode->Selected || arc->EndNode->Selected)
            DragArcs.push_back(arc);
}

// GetSelectionRect of the dragged set, without a walk over the whole net.
TSides TPetryNet::DragSetRect() const
{
    TSides r{MaxX(), MaxY(), 0, 0};
    auto take = [&r](const TNetElement *e) { ExtendSides(r, e); };
    for (const TStaticNetElement *node : DragNodes)
        take(node);
    for (const TArc *arc : DragArcs)
        if (arc->Selected && arc->BothEndsSelected())
            take(arc);
    return r;
}

void TPetryNet::DragTo(int x, int y, QPainter &canvas)
{
    if (!Dragging)
        return;
    // The selection's bounds stop at the sheet's inner border.
    const TSides s = DraggingBendPoint ? GetSelectionRect() : DragSetRect();
    int dx = x - RubberLine.X1;
    int dy = y - RubberLine.Y1;
    const int limitX = dx < 0 ? OriginX() - s.Left : MaxX() - s.Right;
    if (std::abs(limitX) < std::abs(dx))
        dx = limitX;
    const int limitY = dy < 0 ? OriginY() - s.Top : MaxY() - s.Bottom;
    if (std::abs(limitY) < std::abs(dy))
        dy = limitY;
    if (dx == 0 && dy == 0)
        return;
    RubberLine.X1 += dx;
    RubberLine.Y1 += dy;

    if (DraggingBendPoint) {
        if (TArc *arc = Arc(DragArcIndex)) {
            arc->DrawPointDragFeedback(DragBendIndex, 0, 0, false, canvas);
            arc->DrawPointDragFeedback(DragBendIndex, dx, dy, true, canvas);
        }
        return;
    }

    DrawDragFeedbacks(canvas, 0, 0, false);
    for (TStaticNetElement *node : DragNodes) {
        node->SetCanvasX(node->CanvasX() + dx);
        node->SetCanvasY(node->CanvasY() + dy);
    }
    DrawDragFeedbacks(canvas, dx, dy, true);
}

void TPetryNet::EndDrag(QPainter &canvas)
{
    if (!Dragging)
        return;
    Dragging = false;
    if (DraggingBendPoint) {
        DraggingBendPoint = false;
        if (TArc *arc = Arc(DragArcIndex))
            arc->DrawPointDragFeedback(DragBendIndex, 0, 0, false, canvas);
    } else {
        DrawDragFeedbacks(canvas, 0, 0, false);
        DragNodes.clear();
        DragArcs.clear();
    }
    Saved = false;
}

// Outlines of the selected nodes and the arc parts that follow them; with
// apply, arcs whose both ends are selected also move their bend points.
void TPetryNet::DrawDragFeedbacks(QPainter &canvas, int dx, int dy, bool apply)
{
    for (const TStaticNetElement *node : DragNodes)
        node->DrawOutline(canvas);
    for (TArc *arc : DragArcs)
        arc->DrawDragFeedback(dx, dy, apply, canvas);
}

void TPetryNet::DrawGestureFeedback(QPainter &canvas) const
{
    if (ArcSource)
        DrawRubberArc(canvas);
    if (!Dragging)
        return;
    if (DraggingBendPoint) {
        if (TArc *arc = Arc(DragArcIndex))
            arc->DrawPointDragFeedback(DragBendIndex, 0, 0, false, canvas);
        return;
    }
    for (const TStaticNetElement *node : DragNodes)
        node->DrawOutline(canvas);
    for (TArc *arc : DragArcs)
        arc->DrawDragFeedback(0, 0, false, canvas);
}

QRect TPetryNet::GestureFeedbackRect() const
{
    QRect r;
    if (ArcSource) {
        // The band's line, and the head's barbs (20 pixels, drawn 2 wide) at its tip.
        r |= QRect(QPoint(RubberLine.X1, RubberLine.Y1), QPoint(RubberLine.X2, RubberLine.Y2))
                 .normalized()
                 .adjusted(-24, -24, 24, 24);
        // Source and target are drawn highlighted, and plain again, on the way.
        r |= PaintedRect(ArcSource);
        if (ArcTarget)
            r |= PaintedRect(ArcTarget);
    }
    if (!Dragging)
        return r;
    if (DraggingBendPoint) {
        if (const TArc *arc = Arc(DragArcIndex))
            r |= PaintedRect(arc);
        return r;
    }
    // Outlines lie within what the elements paint, and the arcs' drag lines
    // within their bounds as they stand now, ends and bend points followed.
    constexpr qsizetype Many = 4096;
    if (DragNodes.size() + DragArcs.size() > Many)
        return QRect(QPoint(-(1 << 28), -(1 << 28)), QPoint(1 << 28, 1 << 28));
    for (const TStaticNetElement *node : DragNodes)
        r |= PaintedRect(node);
    for (const TArc *arc : DragArcs)
        r |= PaintedRect(arc);
    return r;
}
