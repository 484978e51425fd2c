#include "PetryNet.h"

#include <QPainter>

#include <algorithm>

// Sheet, then clipping to the inside of its frame; the caller restores the painter.
void TPetryNet::DrawSheet(QPainter &canvas, bool elementsOnly) const
{
    // The sheet's right and bottom sides lie outside it; QPainter's outline
    // covers width + 1 pixels, hence the "- 1"s.
    const TSides sheet = GetSheetRect();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    if (!elementsOnly) {
        canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
        canvas.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        canvas.setBrush(Qt::white);
        canvas.drawRect(sheet.Left, sheet.Top, sheet.Right - sheet.Left - 1, sheet.Bottom - sheet.Top - 1);
    }
    // Elements never paint over the sheet's frame.
    canvas.setClipRect(QRect(sheet.Left + 1, sheet.Top + 1, sheet.Right - sheet.Left - 2,
                             sheet.Bottom - sheet.Top - 2),
                       canvas.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void TPetryNet::Draw(QPainter &canvas, bool elementsOnly) const
{
    canvas.save();
    DrawSheet(canvas, elementsOnly);
    // Arcs first, so node bodies cover the lines' ends; transitions on top.
    for (const TArc *arc : Arcs)
        arc->Draw(canvas);
    for (const TPosition *place : Places)
        place->Draw(canvas);
    for (const TTransfer *transition : Transitions)
        transition->Draw(canvas);
    canvas.restore();
}

void TPetryNet::Draw(QPainter &canvas, bool elementsOnly, const QRect &visible) const
{
    canvas.save();
    DrawSheet(canvas, elementsOnly);
    // What an element paints may reach past its indexed outline: an arrow
    // head's barbs, a weight beside its arc, a token count wider than its
    // place; all of it stays within a few node sizes of the outline.
    const int reach = 64 + 3 * std::max({PlaceWidth, PlaceHeight, TransitionWidth, TransitionHeight});
    for (const TNetElement *e : ElementsIn(visible.adjusted(-reach, -reach, reach, reach)))
        e->Draw(canvas);
    canvas.restore();
}
