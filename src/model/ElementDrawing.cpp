#include "NetElements.h"
#include "PetryNet.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QStaticText>

// Painting of places and transitions. NodeRect's right and bottom edges lie
// outside the node, and so do those of every rectangle below; QPainter with a
// 1-pixel pen draws one pixel beyond width and height, hence the "- 1"s.

namespace {

const QColor SelectedBody(94, 174, 255);
const QColor PlainBody(0, 0, 255);
const QColor EnabledBody(192, 192, 192);
const QColor SelectedPen(128, 128, 128);
const QColor Lime(0, 255, 0);

void SetBodyTools(QPainter &canvas, bool selected, const QColor &body)
{
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setPen(QPen(selected ? SelectedPen : QColor(Qt::black), 1, Qt::SolidLine));
    canvas.setBrush(body);
}

// Outlines invert what they cover; callers save and restore the painter so
// the inverting mode never outlives them.
void SetOutlineTools(QPainter &canvas)
{
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    canvas.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    canvas.setBrush(Qt::NoBrush);
}

// The outline (pen) form of a rectangle whose right and bottom edges are outside.
QRect OutlineRect(const QRect &r)
{
    return {r.left(), r.top(), r.width() - 1, r.height() - 1};
}

} // namespace

QFont ElementFont(int cellHeight)
{
    // Heights are cell heights (ascent + descent): take the largest pixel size
    // whose cell fits, so a 12-pixel cell gives Liberation Sans at 11 pixels.
    // Text is drawn without smoothing, like every other shape of the net. The
    // search runs once per height: a repaint asks for the font of every node.
    thread_local QHash<int, QFont> cache;
    if (auto it = cache.constFind(cellHeight); it != cache.constEnd())
        return *it;
    QFont font(QStringLiteral("Arial"));
    font.setStyleStrategy(QFont::NoAntialias);
    int size = qMax(1, cellHeight);
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > cellHeight)
        font.setPixelSize(--size);
    cache.insert(cellHeight, font);
    return font;
}

namespace {

// Counts are drawn by the thousand in a repaint and take few values: each is
// laid out once per cell height and kept, text and measures.
struct TCountText
{
    QString Digits;
    QStaticText Text;
    TCountSize Size;
    int Ascent = 0;
};

const TCountText &CountText(int cellHeight, qint32 n)
{
    thread_local QHash<quint64, TCountText> cache;
    const quint64 key = (quint64(quint32(cellHeight)) << 32) | quint32(n);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    if (cache.size() >= 4096)
        cache.clear();
    const QFont font = ElementFont(cellHeight);
    const QFontMetrics metrics(font);
    TCountText count;
    count.Digits = QString::number(n);
    count.Text.setText(count.Digits);
    count.Text.setTextFormat(Qt::PlainText);
    count.Text.prepare(QTransform(), font);
    count.Size = {metrics.horizontalAdvance(count.Digits), metrics.height()};
    count.Ascent = metrics.ascent();
    return *cache.insert(key, count);
}

} // namespace

TCountSize MeasureCount(int cellHeight, qint32 n)
{
    return CountText(cellHeight, n).Size;
}

void DrawCount(QPainter &canvas, int cellHeight, qint32 n, QPoint topLeft)
{
    const TCountText &count = CountText(cellHeight, n);
    canvas.setFont(ElementFont(cellHeight));
    // On a picture drawn unscaled the text laid out once gives the very
    // pixels drawText gives; other devices (vector pictures, printers) and
    // scaled pictures get the text drawn as before.
    const QPaintEngine *engine = canvas.paintEngine();
    if (engine && engine->type() == QPaintEngine::Raster && canvas.deviceTransform().type() <= QTransform::TxTranslate)
        canvas.drawStaticText(topLeft, count.Text);
    else
        canvas.drawText(topLeft.x(), topLeft.y() + count.Ascent, count.Digits);
}

void TPosition::Draw(QPainter &canvas) const
{
    const QRect r = NodeRect();
    const QColor body = Selected ? SelectedBody : PlainBody;
    SetBodyTools(canvas, Selected, body);
    canvas.drawEllipse(OutlineRect(r));

    if (Highlighted) {
        // The highlight spot stays 3 pixels inside the body on every side.
        canvas.setPen(Qt::NoPen);
        canvas.setBrush(Lime);
        canvas.drawEllipse(r.adjusted(3, 3, -3, -3));
        return; // a highlighted place shows no number
    }

    if (Tokens > 0) {
        const int cell = r.height() / 2;
        const auto [w, h] = MeasureCount(cell, Tokens);
        const QPoint topLeft(r.left() + (r.width() - w) / 2, r.top() + h / 2);
        canvas.fillRect(QRect(topLeft, QSize(w, h)), body);
        canvas.setPen(Selected ? QColor(Qt::black) : QColor(Qt::white));
        DrawCount(canvas, cell, Tokens, topLeft);
    }
}

void TPosition::DrawOutline(QPainter &canvas) const
{
    canvas.save();
    SetOutlineTools(canvas);
    canvas.drawEllipse(OutlineRect(NodeRect()));
    canvas.restore();
}

void TTransfer::Draw(QPainter &canvas) const
{
    QRect r = NodeRect();
    const bool enabled = Net->Modelling && IsEnabled();
    const QColor body = Selected ? SelectedBody : enabled ? EnabledBody : PlainBody;
    SetBodyTools(canvas, Selected, body);
    canvas.drawRect(OutlineRect(r));

    if (Highlighted) {
        r.adjust(2, 2, -2, -2);
        canvas.setPen(Qt::NoPen);
        canvas.setBrush(Lime);
        canvas.drawRect(r);
    }

    if (enabled) {
        // A lime triangle pointing right: this transition may fire.
        const int s = NodeWidth() - 4;
        const int x = r.left() + s / 3;
        const int y = r.top() + 2;
        const QPoint corners[3] = {{x, y}, {x + s, y + s}, {x, y + 2 * s}};
        canvas.setPen(QPen(Lime, 1, Qt::SolidLine));
        canvas.setBrush(Lime);
        canvas.drawPolygon(corners, 3);
    }
}

void TTransfer::DrawOutline(QPainter &canvas) const
{
    canvas.save();
    SetOutlineTools(canvas);
    canvas.drawRect(OutlineRect(NodeRect()));
    canvas.restore();
}
