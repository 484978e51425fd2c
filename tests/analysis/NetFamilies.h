#pragma once
// Generators of classic net families with published state-space figures.

#include "AnalysisNet.h"

#include <initializer_list>
#include <utility>

namespace NetFamilies {

using TArcs = std::initializer_list<std::pair<int, qint32>>;

inline int Transition(TAnalysisNet &net, const QString &name, TArcs in, TArcs out)
{
    const int t = net.AddTransition(name);
    for (auto [p, w] : in)
        net.AddArc(p, t, w, false);
    for (auto [p, w] : out)
        net.AddArc(p, t, w, true);
    return t;
}

// The Kanban system of four machines with n kanbans each (16 places, 16 transitions).
inline TAnalysisNet Kanban(int n)
{
    TAnalysisNet net;
    int kanban[5], m[5], back[5], out[5];
    for (int i = 1; i <= 4; ++i) {
        kanban[i] = net.AddPlace(QStringLiteral("P%1").arg(i), n);
        m[i] = net.AddPlace(QStringLiteral("Pm%1").arg(i), 0);
        back[i] = net.AddPlace(QStringLiteral("Pback%1").arg(i), 0);
        out[i] = net.AddPlace(QStringLiteral("Pout%1").arg(i), 0);
    }
    for (int i = 1; i <= 4; ++i) {
        Transition(net, QStringLiteral("tok%1").arg(i), {{m[i], 1}}, {{out[i], 1}});
        Transition(net, QStringLiteral("tredo%1").arg(i), {{m[i], 1}}, {{back[i], 1}});
        Transition(net, QStringLiteral("tback%1").arg(i), {{back[i], 1}}, {{m[i], 1}});
    }
    Transition(net, QStringLiteral("tin4"), {{kanban[4], 1}}, {{m[4], 1}});
    Transition(net, QStringLiteral("tsynch4_23"), {{out[4], 1}, {kanban[2], 1}, {kanban[3], 1}},
               {{kanban[4], 1}, {m[2], 1}, {m[3], 1}});
    Transition(net, QStringLiteral("tsynch1_23"), {{out[2], 1}, {out[3], 1}, {kanban[1], 1}},
               {{kanban[2], 1}, {kanban[3], 1}, {m[1], 1}});
    Transition(net, QStringLiteral("tout1"), {{out[1], 1}}, {{kanban[1], 1}});
    return net;
}

// Dining philosophers, five places each: thinking, holding the left or the
// right fork, eating, and the fork to the right.
inline TAnalysisNet Philosophers(int n)
{
    TAnalysisNet net;
    QList<int> think, left, right, eat, fork;
    for (int i = 1; i <= n; ++i) {
        think << net.AddPlace(QStringLiteral("Think_%1").arg(i), 1);
        fork << net.AddPlace(QStringLiteral("Fork_%1").arg(i), 1);
        left << net.AddPlace(QStringLiteral("Catch1_%1").arg(i), 0);
        right << net.AddPlace(QStringLiteral("Catch2_%1").arg(i), 0);
        eat << net.AddPlace(QStringLiteral("Eat_%1").arg(i), 0);
    }
    for (int i = 0; i < n; ++i) {
        const int l = fork[(i + n - 1) % n], r = fork[i];
        Transition(net, QStringLiteral("FF1a_%1").arg(i + 1), {{think[i], 1}, {l, 1}}, {{left[i], 1}});
        Transition(net, QStringLiteral("FF1b_%1").arg(i + 1), {{think[i], 1}, {r, 1}}, {{right[i], 1}});
        Transition(net, QStringLiteral("FF2a_%1").arg(i + 1), {{left[i], 1}, {r, 1}}, {{eat[i], 1}});
        Transition(net, QStringLiteral("FF2b_%1").arg(i + 1), {{right[i], 1}, {l, 1}}, {{eat[i], 1}});
        Transition(net, QStringLiteral("End_%1").arg(i + 1), {{eat[i], 1}}, {{think[i], 1}, {l, 1}, {r, 1}});
    }
    return net;
}

} // namespace NetFamilies
