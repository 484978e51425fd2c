// Hints over the canvas: a short description of the element under the mouse,
// composed again at a fixed interval while the mouse rests on the canvas, so
// that it follows token changes made by firings.
#include "CanvasController.h"

#include "PetryNet.h"
#include "controls/PanelUnit.h"

#include <QApplication>
#include <QTimer>
#include <QToolTip>

void TCanvasController::SetCanvasHints(bool on)
{
    HintsOn = on;
    DocArea->setProperty("CanvasHints", on);
    if (!on && HintTimer && HintTimer->isActive()) {
        HintTimer->stop();
        QToolTip::hideText();
    }
}

int TCanvasController::CanvasHintInterval() const
{
    return HasNet() && Net->Modelling ? 500 : 100;
}

QString TCanvasController::CanvasHintText(QPoint p) const
{
    if (!HasNet())
        return {};
    const TNetElement *element = Net->ElementAt(p.x(), p.y());
    if (!element)
        return {};
    const QString crlf = QStringLiteral("\r\n");
    if (element->Kind == KindArc) {
        const auto *arc = static_cast<const TArc *>(element);
        const QString place = arc->PlaceEnd() ? arc->PlaceEnd()->Name : QString();
        const QString transition = arc->TransitionEnd() ? arc->TransitionEnd()->Name : QString();
        return arc->Name + QStringLiteral(" (Дуга)\r\nКратность: ") + QString::number(arc->Multiplicity) + crlf +
               (arc->TransitionToPlace ? transition + QStringLiteral(" -> ") + place
                                       : place + QStringLiteral(" -> ") + transition);
    }
    const auto *node = static_cast<const TStaticNetElement *>(element);
    const QString arcs = QStringLiteral("\r\nВходных дуг: ") + QString::number(node->IncomingCount()) +
                         QStringLiteral("\r\nВыходных дуг: ") + QString::number(node->OutgoingCount());
    if (element->Kind == KindPlace)
        return node->Name + QStringLiteral(" (Позиция)\r\nЧисло фишек: ") +
               QString::number(static_cast<const TPosition *>(node)->Tokens) + arcs;
    QString text = node->Name + QStringLiteral(" (Переход)") + arcs;
    if (Net->Modelling)
        text += static_cast<const TTransfer *>(node)->IsEnabled() ? QStringLiteral("\r\nГотов к запуску")
                                                                 : QStringLiteral("\r\nНе запускаемый");
    return text;
}

void TCanvasController::ShowCanvasHint(QPoint p, QPoint globalPos)
{
    // Only the active document's canvas shows hints, and only while they are on.
    if (!HintsOn || !DocArea->isActiveWindow()) {
        HintTimer->stop();
        return;
    }
    // A popup menu over the canvas would be covered by the hint: the hint
    // goes and comes back only with a mouse move after the popup closed.
    if (QApplication::activePopupWidget()) {
        HintTimer->stop();
        QToolTip::hideText();
        return;
    }
    HintPoint = p;
    QString text = CanvasHintText(p);
    if (text.isEmpty()) {
        HintTimer->stop();
        QToolTip::hideText();
        return;
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // While editing the hint lives just longer than the interval, so each
    // composition keeps it up; while modelling it stays the usual time.
    QToolTip::showText(globalPos, text, DocArea, QRect(), Net->Modelling ? -1 : 110);
    HintTimer->start(CanvasHintInterval());
}

void TCanvasController::HintTimerTimer()
{
    if (!HintsOn || !DocArea->rect().contains(HintPoint)) {
        HintTimer->stop();
        return;
    }
    ShowCanvasHint(HintPoint, DocArea->mapToGlobal(HintPoint));
}
