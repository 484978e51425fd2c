#pragma once

// Small helpers for building nets in tests.

#include "NetUnit.h"

#include <QRandomGenerator>

#include <memory>

// A net as the window makes it: sheet 710 x 510 at the canvas origin.
inline std::unique_ptr<TPetryNet> MakeNet()
{
    auto net = std::make_unique<TPetryNet>();
    net->SheetWidth = 710;
    net->SheetHeight = 510;
    return net;
}

// Adds an arc drawn from start to end, as the arc gesture does.
inline TArc *Connect(TPetryNet &net, TStaticNetElement *start, TStaticNetElement *end, qint32 multiplicity = 1)
{
    TArc *arc = TArc::CreateBetween(&net, start, end);
    arc->Multiplicity = multiplicity;
    net.Arcs.append(arc);
    return arc;
}

// Adds an arc with bend points given in canvas coordinates.
inline TArc *Connect(TPetryNet &net, TStaticNetElement *start, TStaticNetElement *end, const QList<QPoint> &canvasBends)
{
    TArc *arc = Connect(net, start, end);
    for (const QPoint &p : canvasBends)
        arc->BendPoints.append(p - QPoint(net.OriginX(), net.OriginY()));
    return arc;
}

// A random net of the given size: every place has tokens and a description
// now and then, arcs carry weights and bend points.
inline void FillRandomNet(TPetryNet &net, quint32 seed, int places, int transitions, int arcs)
{
    QRandomGenerator rng(seed);
    for (int i = 0; i < places; ++i) {
        TPosition *p = net.AddPlace(20 + rng.bounded(660), 20 + rng.bounded(460));
        p->Tokens = rng.bounded(10);
        if (rng.bounded(3) == 0) {
            p->HasDescription = true;
            p->Description = QStringLiteral("Описание %1").arg(i);
        }
    }
    for (int i = 0; i < transitions; ++i)
        net.AddTransition(20 + rng.bounded(660), 20 + rng.bounded(460));
    for (int i = 0; i < arcs && places > 0 && transitions > 0; ++i) {
        TStaticNetElement *p = net.Places[rng.bounded(places)];
        TStaticNetElement *t = net.Transitions[rng.bounded(transitions)];
        const bool fromPlace = rng.bounded(2) == 0;
        TStaticNetElement *start = fromPlace ? p : t;
        TStaticNetElement *end = fromPlace ? t : p;
        bool duplicate = false;
        for (const TArc *a : start->ArcList)
            duplicate |= a->Joins(start, end) && a->TransitionToPlace == !fromPlace;
        if (duplicate)
            continue;
        TArc *arc = Connect(net, start, end, 1 + rng.bounded(4));
        for (int k = rng.bounded(3); k > 0; --k)
            arc->BendPoints.append(QPoint(rng.bounded(700), rng.bounded(500)));
    }
    net.CancelSelection();
}

// The element records of a net, for comparing two nets.
inline QByteArray ElementBytes(const TPetryNet &net)
{
    TNetMemoryStream s;
    net.WriteElements(s);
    return s.Data();
}

// Bend points of an arc in canvas coordinates.
inline QList<QPoint> CanvasPoints(const TArc *arc)
{
    QList<QPoint> points;
    for (int i = 0; i < arc->PointCount(); ++i)
        points.append(arc->GetPoint(i));
    return points;
}
