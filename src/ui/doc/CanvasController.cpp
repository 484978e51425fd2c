// The canvas: its widgets, where the sheet lies, how it is scrolled and
// painted. The picture is kept in Screen (see CanvasController.h).
#include "CanvasController.h"

#include "PetryNet.h"
#include "controls/ColorMap.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"

#include <QPainter>
#include <QScrollBar>
#include <QRegion>
#include <QSignalBlocker>

#include <cstring>

#include <utility>

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
    // A logical pixel each, also at a higher device pixel ratio, where a
    // point would straddle two of them.
    for (const QPoint &p : std::as_const(dots))
        canvas.fillRect(QRect(p, QSize(1, 1)), Qt::black);
    canvas.restore();
}
// Moves an RGB32 picture's pixels by shift; what comes into view keeps old
// pixels until it is drawn.
void ShiftImage(QImage &image, QPoint shift)
{
    uchar *bits = image.bits();
    const qsizetype line = image.bytesPerLine();
    const int rows = image.height() - qAbs(shift.y());
    const size_t bytes = size_t(image.width() - qAbs(shift.x())) * 4;
    const int toX = qMax(shift.x(), 0) * 4, fromX = qMax(-shift.x(), 0) * 4;
    auto move = [&](int to) {
        std::memmove(bits + to * line + toX, bits + (to - shift.y()) * line + fromX, bytes);
    };
    // Downwards the rows are moved from the bottom up, so none is read after
    // it was written over.
    if (shift.y() > 0)
        for (int y = image.height() - 1; y >= shift.y(); --y)
            move(y);
    else
        for (int y = 0; y < rows; ++y)
            move(y);
}

// The band between two corners, as focus rectangles take it: put in order,
// with the right and bottom corner outside.
QRect BandRect(QPoint a, QPoint b)
{
    return QRect(a, b).normalized().adjusted(0, 0, -1, -1);
}

// The picture of a widget at the screen's resolution: it has the widget's
// size times the device pixel ratio in pixels and carries that ratio, so
// everything drawn on it is placed in logical pixels and comes out sharp.
QImage PictureFor(const QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    QImage picture(widget->size() * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    return picture;
}

bool Fits(const QImage &picture, const QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    return picture.devicePixelRatio() == ratio && picture.size() == widget->size() * ratio;
}
} // namespace

TCanvasController::TCanvasController(QWidget *parent, const TXPColorMap &map, TCanvasHost &host)
    : Host(host)
{
    Build(parent, map);
    InstallCanvasHandlers();
}

TCanvasController::~TCanvasController() = default;

void TCanvasController::Build(QWidget *parent, const TXPColorMap &map)
{
    DocArea = new TGKPanel(parent);
    DocArea->setObjectName(QStringLiteral("DocArea"));
    DocArea->SetEraseBackground(false);
    DocArea->SetSingleBorder(true);
    DocArea->setFocusPolicy(Qt::StrongFocus);
    DocArea->setMinimumWidth(120);
    DocArea->OnPaint = [this](TGKPanel *p) { DocContentPaint(p); };

    DSBPanel = new TGKPanel(DocArea);
    DSBPanel->setObjectName(QStringLiteral("DSBPanel"));
    DownScrollBar = new QScrollBar(Qt::Horizontal, DSBPanel);
    DownScrollBar->setObjectName(QStringLiteral("DownScrollBar"));
    RSBPanel = new TGKPanel(DocArea);
    RSBPanel->setObjectName(QStringLiteral("RSBPanel"));
    RightScrollBar = new QScrollBar(Qt::Vertical, RSBPanel);
    RightScrollBar->setObjectName(QStringLiteral("RightScrollBar"));
    for (QScrollBar *bar : {DownScrollBar, RightScrollBar}) {
        bar->setRange(1, 1);
        bar->setSingleStep(10);
        bar->setPageStep(200);
        bar->setFocusPolicy(Qt::NoFocus);
    }
    PropCall = new TGKSpeedButton(RSBPanel);
    PropCall->setObjectName(QStringLiteral("PropCall"));
    PropCall->SetColorMap(&map);
    PropCall->SetGlyph(TGKGlyph::LeftArrow);
    PropCall->resize(14, 14);
    connect(DocArea, &TGKPanel::Resized, this, [this](QSize s) {
        LayoutCanvasChildren();
        LayoutSheet(s.width(), s.height());
    });
}

void TCanvasController::LayoutCanvasChildren()
{
    // Inside the border: the vertical bar on the right, the horizontal bar
    // along the bottom, and the properties button in the corner between them.
    const QRect client = DocArea->rect().adjusted(1, 1, -1, -1);
    RSBPanel->setGeometry(client.right() - 15, client.top(), 16, client.height());
    RightScrollBar->setGeometry(0, 0, 16, qMax(0, client.height() - 16));
    PropCall->move(1, RSBPanel->height() - 15);
    DSBPanel->setGeometry(client.left(), client.bottom() - 15, qMax(0, client.width() - 16), 16);
    DownScrollBar->setGeometry(0, 0, DSBPanel->width(), 16);
}

void TCanvasController::SetScrollBarsVisible(bool visible)
{
    DSBPanel->setVisible(visible);
    RSBPanel->setVisible(visible);
}

void TCanvasController::SetClickPoint(QPoint point, bool pasteThere)
{
    Click = point;
    PasteAtClick = pasteThere;
}

bool TCanvasController::TakePasteAtPoint()
{
    // Cleared by the paste that uses it.
    return std::exchange(PasteAtClick, false);
}


void TCanvasController::LayoutSheet(int width, int height)
{
    if (!HasNet())
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

void TCanvasController::DownScrollBarScroll(int position)
{
    if (!HasNet() || !HasRange(DownScrollBar))
        return;
    Net->SheetLeft = -position;
    ScreenStale = true;
    DocArea->update();
}

void TCanvasController::RightScrollBarScroll(int position)
{
    if (!HasNet() || !HasRange(RightScrollBar))
        return;
    Net->SheetTop = -position;
    ScreenStale = true;
    DocArea->update();
}

QPoint TCanvasController::ScrollCanvasBy(int dx, int dy)
{
    if (!HasNet())
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
    const QPoint before(Net->SheetLeft, Net->SheetTop);
    const int stepX = scroll(dx, DownScrollBar, Net->SheetLeft, Net->SheetWidth, DocArea->width());
    const int stepY = scroll(dy, RightScrollBar, Net->SheetTop, Net->SheetHeight, DocArea->height());
    ScrollScreen(QPoint(Net->SheetLeft, Net->SheetTop) - before);
    return {stepX, stepY};
}

void TCanvasController::ScrollScreen(QPoint shift)
{
    const bool current = !ScreenStale && !ScreenPainter && Fits(Screen, DocArea);
    // Pixels move by whole device pixels only; at a fractional ratio the
    // picture is composed again.
    const qreal ratio = Screen.devicePixelRatio();
    const bool whole = ratio == qRound(ratio);
    if (current && shift.isNull())
        return; // nothing moved, the picture is still right
    // Gesture feedback is inverted onto the picture and does not move with
    // the sheet, so with any shown the whole picture is composed again.
    const bool feedback = BandShown || Net->IsDragging() || Net->IsDrawingArc();
    if (!current || feedback || !whole || qAbs(shift.x()) >= DocArea->width() || qAbs(shift.y()) >= DocArea->height()) {
        RedrawCanvas();
        return;
    }
    ShiftImage(Screen, shift * qRound(ratio));
    {
        // Qt rounds a line cut by the picture's border slightly differently
        // from the same line drawn whole, so a band along the border is drawn
        // again as well: the pixels kept lay away from the old border and lie
        // away from the new one, and the picture is the one a full
        // composition gives.
        constexpr int Border = 32;
        const QRect area(QPoint(), DocArea->size());
        const QRect inner = area.adjusted(Border, Border, -Border, -Border);
        const QRegion exposed = QRegion(area) - (QRegion(inner.translated(shift)) & QRegion(inner));
        QPainter s(&Screen);
        for (const QRect &strip : exposed)
            ComposeRect(s, strip);
    }
    // A change not shown yet is composed where it now lies.
    RepaintCanvas();
    DocArea->update();
}

void TCanvasController::RepaintCanvas()
{
    const qreal ratio = Screen.devicePixelRatio();
    // At a fractional ratio an area's border falls between device pixels.
    if (!HasNet() || ScreenStale || (!ScreenPainter && !Fits(Screen, DocArea)) || ratio != qRound(ratio)) {
        RedrawCanvas();
        return;
    }
    const TPetryNet::TDirtyArea dirty = Net->TakeDirtyArea();
    if (dirty.Whole) {
        RedrawCanvas();
        return;
    }
    const QRect area = dirty.Rect & QRect(QPoint(), DocArea->size());
    if (area.isEmpty())
        return;
    ComposeArea(area);
    DocArea->update(area);
}

void TCanvasController::RedrawCanvas()
{
    ComposeCanvas();
    // The scroll bars' panels cover their part of the picture and did not
    // change: they are not painted again.
    QRegion shown(DocArea->rect());
    for (const QWidget *panel : {DSBPanel, RSBPanel})
        if (panel->isVisible())
            shown -= panel->geometry();
    DocArea->update(shown);
}

void TCanvasController::ComposeArea(const QRect &r)
{
    auto compose = [&](QPainter &s) {
        s.save();
        s.setCompositionMode(QPainter::CompositionMode_SourceOver);
        ComposeRect(s, r);
        // Feedback is inverted onto the picture: inside r it is gone now and
        // is inverted once more there, outside r it stays as it was.
        s.setClipRect(r);
        DrawGestureFeedback(s);
        s.restore();
    };
    if (ScreenPainter) {
        // Inside a gesture step (a net notification): the gesture's painter
        // is the only one Screen may have.
        compose(*ScreenPainter);
        return;
    }
    QPainter s(&Screen);
    compose(s);
}

void TCanvasController::ComposeRect(QPainter &p, const QRect &r) const
{
    // Only what meets r is drawn; the clip keeps every pixel outside r as it
    // was, and inside r the same as a composition of the whole picture.
    p.save();
    p.setClipRect(r);
    const QColor workspace = AppWorkspaceColor();
    p.fillRect(r, workspace);
    if (HasNet()) {
        const int x0 = Net->SheetLeft, y0 = Net->SheetTop;
        const int left = x0 + 4, top = y0 + 4;
        const int right = x0 + Net->SheetWidth - 5, bottom = y0 + Net->SheetHeight - 5;
        const QColor shadow = darken(workspace, 50);
        p.fillRect(QRect(right, top + 5, 5, bottom - top), shadow);
        p.fillRect(QRect(left + 5, bottom, right - left, 5), shadow);
        Net->Draw(p, false, r);
    }
    p.restore();
}

void TCanvasController::ComposeCanvas()
{
    // Everything changed so far is in the picture composed now.
    if (HasNet())
        Net->TakeDirtyArea();
    const QSize size = DocArea->size();
    if (ScreenPainter) {
        // Redrawn from inside a gesture step (a net notification): paint
        // through the gesture's painter, the only one Screen may have.
        QImage picture = PictureFor(DocArea);
        if (!size.isEmpty()) {
            QPainter p(&picture);
            ComposeRect(p, QRect(QPoint(), size));
        }
        QPainter &s = *ScreenPainter;
        s.save();
        s.setCompositionMode(QPainter::CompositionMode_Source);
        s.drawImage(0, 0, picture);
        s.restore();
        ScreenStale = false;
        DrawGestureFeedback(s);
        return;
    }
    if (!Fits(Screen, DocArea))
        Screen = PictureFor(DocArea);
    ScreenStale = false;
    if (size.isEmpty())
        return;
    // Composed straight into Screen: the visible part only, and no second
    // full-size copy.
    QPainter s(&Screen);
    ComposeRect(s, QRect(QPoint(), size));
    // A redraw in the middle of a gesture keeps its feedback on the screen.
    DrawGestureFeedback(s);
}

void TCanvasController::OnScreen(const std::function<void(QPainter &)> &paint)
{
    if (ScreenPainter) {
        paint(*ScreenPainter);
        return;
    }
    const bool whole = ScreenStale || !Fits(Screen, DocArea);
    if (whole)
        ComposeCanvas();
    // Feedback is erased where it was and drawn where it is now; whatever
    // else changes on the way is composed and shown by its own repaint.
    const bool band = BandShown;
    auto feedback = [this] { return HasNet() ? Net->GestureFeedbackRect() : QRect(); };
    QRect area = whole ? QRect() : feedback();
    {
        QPainter s(&Screen);
        ScreenPainter = &s;
        paint(s);
        ScreenPainter = nullptr;
    }
    if (whole) {
        DocArea->update();
        return;
    }
    area |= feedback();
    if (band || BandShown)
        area |= BandRect(Click, Track);
    DocArea->update(area.adjusted(-2, -2, 2, 2) & QRect(QPoint(), DocArea->size()));
}

void TCanvasController::DrawGestureFeedback(QPainter &canvas)
{
    if (BandShown)
        InvertFocusRect(canvas, BandRect(Click, Track));
    if (!HasNet())
        return;
    Net->DrawGestureFeedback(canvas);
}

void TCanvasController::DrawBand(QPainter &canvas)
{
    InvertFocusRect(canvas, BandRect(Click, Track));
    BandShown = !BandShown;
}

void TCanvasController::DocContentPaint(TGKPanel *panel)
{
    if (ScreenStale || !Fits(Screen, panel))
        ComposeCanvas();
    QPainter &c = *panel->Canvas();
    c.drawImage(0, 0, Screen);
    c.setPen(darken(AppWorkspaceColor(), 60));
    c.setBrush(Qt::NoBrush);
    c.drawRect(panel->rect().adjusted(0, 0, -1, -1));
}
