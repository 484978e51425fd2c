// Nets generated for the benchmarks, the same for the model and the window.
#pragma once

#include "NetUnit.h"

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <memory>

inline constexpr int Cell = 40; // grid spacing of generated nodes

// A net of about n elements: a quarter places, a quarter transitions, half
// arcs. Nodes lie on a grid, place and transition alternating; each place
// feeds its transition, which feeds the next place. Every fifth arc has a
// bend point, every tenth element a description. Built directly, without the
// undo snapshots that AddPlace takes, so building stays linear.
inline std::unique_ptr<TPetryNet> BuildNet(int n)
{
    auto net = std::make_unique<TPetryNet>();
    const int places = std::max(1, n / 4), transitions = std::max(1, n / 4);
    const int nodes = places + transitions;
    const int columns = int(std::ceil(std::sqrt(double(nodes))));
    const int rows = (nodes + columns - 1) / columns;
    net->SheetWidth = columns * Cell + 40;
    net->SheetHeight = rows * Cell + 40;
    auto centre = [columns](int k) { return QPoint(20 + (k % columns) * Cell, 20 + (k / columns) * Cell); };
    for (int i = 0; i < nodes; ++i) {
        TStaticNetElement *node;
        if (i % 2 == 0 && net->PlaceCount() < places) {
            auto *p = new TPosition(net.get());
            p->Tokens = i % 3;
            net->Places.append(p);
            node = p;
        } else {
            auto *t = new TTransfer(net.get());
            net->Transitions.append(t);
            node = t;
        }
        node->X = centre(i).x();
        node->Y = centre(i).y();
        node->AssignDefaultName();
        if (i % 10 == 0) {
            node->HasDescription = true;
            node->Description = QStringLiteral("описание элемента");
        }
    }
    const int arcs = n - nodes;
    for (int a = 0; a < arcs; ++a) {
        const int i = (a / 2) % places;
        TPosition *p = net->Places[i];
        TTransfer *t = net->Transitions[i % transitions];
        TArc *arc = a % 2 == 0 ? TArc::CreateBetween(net.get(), p, t)
                               : TArc::CreateBetween(net.get(), t, net->Places[(i + 1) % places]);
        if (a % 5 == 0)
            arc->BendPoints.append(QPoint(p->X + Cell / 2, p->Y + Cell / 2));
        net->Arcs.append(arc);
    }
    return net;
}
