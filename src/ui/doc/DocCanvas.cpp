// The canvas: where the sheet lies, how it is painted, and the commands that
// act on the point of the last popup click. Mouse gestures build on these.
#include "DocForm.h"

#include "PetryNet.h"
#include "controls/PanelUnit.h"

#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

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
    place(width - 20, Net->SheetWidth, DownScrollBar, Net->SheetLeft);
    place(height - 20, Net->SheetHeight, RightScrollBar, Net->SheetTop);
    DocArea->update();
}

void TDocForm::RepaintCanvas()
{
    DocArea->repaint();
}

void TDocForm::DocContentPaint(TGKPanel *panel)
{
    // Everything is composed off screen and copied in one block, so the
    // canvas never flickers.
    const qreal ratio = panel->devicePixelRatioF();
    QPixmap picture(panel->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    const QColor workspace = AppWorkspaceColor();
    picture.fill(workspace);
    QPainter p(&picture);
    if (HasDoc()) {
        const int x0 = Net->SheetLeft, y0 = Net->SheetTop;
        const int left = x0 + 4, top = y0 + 4;
        const int right = x0 + Net->SheetWidth - 5, bottom = y0 + Net->SheetHeight - 5;
        const QColor shadow = darken(workspace, 50);
        p.fillRect(QRect(QPoint(right, top + 5), QPoint(right + 4, bottom + 4)), shadow);
        p.fillRect(QRect(QPoint(left + 5, bottom), QPoint(right + 4, bottom + 4)), shadow);
        Net->Draw(p, false);
    }
    p.setPen(darken(workspace, 60));
    p.setBrush(Qt::NoBrush);
    p.drawRect(panel->rect().adjusted(0, 0, -1, -1));
    p.end();
    panel->Canvas()->drawPixmap(0, 0, picture);
}

void TDocForm::SetCanvasHints(bool on)
{
    DocArea->setProperty("CanvasHints", on);
}

bool TDocForm::SingleSelectedArc() const
{
    return HasDoc() && Net->SelectedCount() == 1 && Net->SelectedElement(0)->Kind == KindArc;
}

TNetElement *TDocForm::ElementAtClickPoint() const
{
    return HasDoc() ? Net->ElementAt(ClickPoint.x(), ClickPoint.y()) : nullptr;
}

void TDocForm::ActionNetCreatePosExecute()
{
    Net->AddPlace(ClickPoint.x(), ClickPoint.y());
    RepaintCanvas();
}

void TDocForm::ActionNetCreateTransferExecute()
{
    Net->AddTransition(ClickPoint.x(), ClickPoint.y());
    RepaintCanvas();
}

void TDocForm::ActionEditInvDirCExecute()
{
    if (auto *arc = dynamic_cast<TArc *>(ElementAtClickPoint()))
        arc->InvertDirection();
    RepaintCanvas();
}

void TDocForm::ActionEditArcAddPointCExecute()
{
    static_cast<TArc *>(Net->SelectedElement(0))->AddPoint(ClickPoint.x(), ClickPoint.y(), false);
    RepaintCanvas();
}

void TDocForm::ActionEditArcDelPointCExecute()
{
    auto *arc = static_cast<TArc *>(Net->SelectedElement(0));
    arc->DeletePoint(arc->PointIndexAt(ClickPoint.x(), ClickPoint.y()));
    RepaintCanvas();
}

void TDocForm::ActionEditInvDirectionExecute()
{
    for (int i = 0; i < Net->SelectedCount(); ++i)
        if (auto *arc = dynamic_cast<TArc *>(Net->SelectedElement(i)); arc && arc->CanInvertDirection())
            arc->InvertDirection();
    RepaintCanvas();
}

void TDocForm::ActionEditArcAddPointExecute()
{
    static_cast<TArc *>(Net->SelectedElement(0))->AddPoint(0, 0, true);
    RepaintCanvas();
}

void TDocForm::ActionEditArcDelPointExecute()
{
    auto *arc = static_cast<TArc *>(Net->SelectedElement(0));
    arc->DeletePoint(arc->PointCount() - 1);
    RepaintCanvas();
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
