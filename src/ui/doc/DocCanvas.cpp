// The canvas: where the sheet lies, how it is scrolled and painted, and the
// commands that act on the point of the last popup click.
//
// The canvas keeps its picture in Screen. A full redraw composes the sheet
// and the net off screen and copies the result onto Screen in one block;
// gesture feedback is inverted straight onto Screen and erased by drawing it
// again. The widget's paint event only shows Screen.
#include "DocForm.h"

#include "PetryNet.h"
#include "controls/PanelUnit.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

namespace {
// Whether a scroll bar can move at all.
bool HasRange(const QScrollBar *bar)
{
    return bar->minimum() != bar->maximum();
}

// A dotted rectangle that inverts what it covers, every other pixel of its
// border, each exactly once; right and bottom lie outside.
void InvertFocusRect(QPainter &canvas, const QRect &r)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    QPolygon dots;
    auto dot = [&dots](int x, int y) {
        if ((x + y) % 2 == 0)
            dots << QPoint(x, y);
    };
    const int right = r.left() + r.width() - 1, bottom = r.top() + r.height() - 1;
    for (int x = r.left(); x <= right; ++x) {
        dot(x, r.top());
        if (bottom != r.top())
            dot(x, bottom);
    }
    for (int y = r.top() + 1; y < bottom; ++y) {
        dot(r.left(), y);
        if (right != r.left())
            dot(right, y);
    }
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    canvas.setPen(QPen(Qt::black, 1));
    canvas.drawPoints(dots);
    canvas.restore();
}
// The band between two corners, as focus rectangles take it: put in order,
// with the right and bottom corner outside.
QRect BandRect(QPoint a, QPoint b)
{
    return QRect(a, b).normalized().adjusted(0, 0, -1, -1);
}
} // namespace

void TDocForm::LayoutSheet(int width, int height)
{
    if (!HasDoc())
        return;
    auto place = [](int available, int sheet, QScrollBar *bar, qint32 &origin) {
        if (available < sheet) {
            bar->setMaximum(sheet - available);
            origin = -bar->value();
        } else {
            origin = (available - sheet) / 2;
            bar->setMaximum(1);
        }
    };
    {
        // The origin is set here; the bars' own handlers must not overrule it.
        const QSignalBlocker blockDown(DownScrollBar);
        const QSignalBlocker blockRight(RightScrollBar);
        place(width - 20, Net->SheetWidth, DownScrollBar, Net->SheetLeft);
        place(height - 20, Net->SheetHeight, RightScrollBar, Net->SheetTop);
    }
    ScreenStale = true;
    DocArea->update();
}

void TDocForm::DownScrollBarScroll(int position)
{
    if (!HasDoc() || !HasRange(DownScrollBar))
        return;
    Net->SheetLeft = -position;
    ScreenStale = true;
    DocArea->update();
}

void TDocForm::RightScrollBarScroll(int position)
{
    if (!HasDoc() || !HasRange(RightScrollBar))
        return;
    Net->SheetTop = -position;
    ScreenStale = true;
    DocArea->update();
}

QPoint TDocForm::ScrollCanvasBy(int dx, int dy)
{
    if (!HasDoc())
        return {};
    auto scroll = [](int step, QScrollBar *bar, qint32 &origin, int sheet, int canvas) {
        const int old = bar->value();
        if (HasRange(bar)) {
            origin -= step;
            if (origin > 0) {
                origin = 0;
            } else if (origin + sheet + 20 < canvas) {
                origin = canvas - sheet - 20;
            } else {
                const QSignalBlocker blocker(bar);
                bar->setValue(old + step);
            }
        }
        return bar->value() - old;
    };
    const int stepX = scroll(dx, DownScrollBar, Net->SheetLeft, Net->SheetWidth, DocArea->width());
    const int stepY = scroll(dy, RightScrollBar, Net->SheetTop, Net->SheetHeight, DocArea->height());
    RepaintCanvas();
    return {stepX, stepY};
}

void TDocForm::RepaintCanvas()
{
    ComposeCanvas();
    DocArea->update();
}

void TDocForm::ComposeCanvas()
{
    const QSize size = DocArea->size();
    QImage picture(size, QImage::Format_RGB32);
    const QColor workspace = AppWorkspaceColor();
    picture.fill(workspace);
    if (HasDoc()) {
        QPainter p(&picture);
        const int x0 = Net->SheetLeft, y0 = Net->SheetTop;
        const int left = x0 + 4, top = y0 + 4;
        const int right = x0 + Net->SheetWidth - 5, bottom = y0 + Net->SheetHeight - 5;
        const QColor shadow = darken(workspace, 50);
        p.fillRect(QRect(right, top + 5, 5, bottom - top), shadow);
        p.fillRect(QRect(left + 5, bottom, right - left, 5), shadow);
        Net->Draw(p, false);
    }
    if (ScreenPainter) {
        // Redrawn from inside a gesture step (a net notification): paint
        // through the gesture's painter, the only one Screen may have.
        QPainter &s = *ScreenPainter;
        s.save();
        s.setCompositionMode(QPainter::CompositionMode_Source);
        s.drawImage(0, 0, picture);
        s.restore();
        ScreenStale = false;
        DrawGestureFeedback(s);
        return;
    }
    if (Screen.size() != size)
        Screen = QImage(size, QImage::Format_RGB32);
    QPainter s(&Screen);
    s.setCompositionMode(QPainter::CompositionMode_Source);
    s.drawImage(0, 0, picture);
    s.setCompositionMode(QPainter::CompositionMode_SourceOver);
    ScreenStale = false;
    // A redraw in the middle of a gesture keeps its feedback on the screen.
    DrawGestureFeedback(s);
}

void TDocForm::OnScreen(const std::function<void(QPainter &)> &paint)
{
    if (ScreenPainter) {
        paint(*ScreenPainter);
        return;
    }
    if (ScreenStale || Screen.size() != DocArea->size())
        ComposeCanvas();
    {
        QPainter s(&Screen);
        ScreenPainter = &s;
        paint(s);
        ScreenPainter = nullptr;
    }
    DocArea->update();
}

void TDocForm::DrawGestureFeedback(QPainter &canvas)
{
    if (BandShown)
        InvertFocusRect(canvas, BandRect(ClickPoint, TrackPoint));
    if (!HasDoc())
        return;
    Net->DrawGestureFeedback(canvas);
}

void TDocForm::DrawBand(QPainter &canvas)
{
    InvertFocusRect(canvas, BandRect(ClickPoint, TrackPoint));
    BandShown = !BandShown;
}

void TDocForm::DocContentPaint(TGKPanel *panel)
{
    if (ScreenStale || Screen.size() != panel->size())
        ComposeCanvas();
    QPainter &c = *panel->Canvas();
    c.drawImage(0, 0, Screen);
    c.setPen(darken(AppWorkspaceColor(), 60));
    c.setBrush(Qt::NoBrush);
    c.drawRect(panel->rect().adjusted(0, 0, -1, -1));
}

TArc *TDocForm::SelectedArc() const
{
    const TSelectionSummary selection = Selection();
    return selection.Count == 1 && selection.First->Kind == KindArc ? static_cast<TArc *>(selection.First) : nullptr;
}

TNetElement *TDocForm::ElementAtClickPoint() const
{
    return HasDoc() ? Net->ElementAt(ClickPoint.x(), ClickPoint.y()) : nullptr;
}

void TDocForm::AfterCanvasEdit()
{
    // Status line and command states follow every change made on the canvas.
    UpdateInspector();
    UpdateActions();
    RepaintCanvas();
}

void TDocForm::ActionNetCreatePosExecute()
{
    Net->AddPlace(ClickPoint.x(), ClickPoint.y());
    AfterCanvasEdit();
}

void TDocForm::ActionNetCreateTransferExecute()
{
    Net->AddTransition(ClickPoint.x(), ClickPoint.y());
    AfterCanvasEdit();
}

void TDocForm::ActionEditInvDirCExecute()
{
    if (auto *arc = dynamic_cast<TArc *>(ElementAtClickPoint()))
        arc->InvertDirection();
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcAddPointCExecute()
{
    SelectedArc()->AddPoint(ClickPoint.x(), ClickPoint.y(), false);
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcDelPointCExecute()
{
    TArc *arc = SelectedArc();
    arc->DeletePoint(arc->PointIndexAt(ClickPoint.x(), ClickPoint.y()));
    AfterCanvasEdit();
}

void TDocForm::ActionEditInvDirectionExecute()
{
    // In list order, each arc checked after the ones before it have turned.
    for (TArc *arc : Net->Arcs)
        if (arc->Selected && arc->CanInvertDirection())
            arc->InvertDirection();
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcAddPointExecute()
{
    SelectedArc()->AddPoint(0, 0, true);
    AfterCanvasEdit();
}

void TDocForm::ActionEditArcDelPointExecute()
{
    TArc *arc = SelectedArc();
    arc->DeletePoint(arc->PointCount() - 1);
    AfterCanvasEdit();
}

void TDocForm::ActionEditSelectAllExecute()
{
    Net->SelectAll();
    RepaintCanvas();
}

void TDocForm::ActionEditCancSelExecute()
{
    Net->CancelSelection();
    Execute(ActionNetDoSelection);
    RepaintCanvas();
}
