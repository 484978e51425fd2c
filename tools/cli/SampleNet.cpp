#include "SampleNet.h"

#include "NetUnit.h"

#include <initializer_list>

namespace {

TArc *Connect(TPetryNet &net, TStaticNetElement *from, TStaticNetElement *to, int multiplicity,
              std::initializer_list<QPoint> bends = {})
{
    TArc *arc = TArc::CreateBetween(&net, from, to);
    net.Arcs.append(arc);
    arc->Multiplicity = multiplicity;
    for (const QPoint &p : bends)
        arc->AddPoint(p.x(), p.y(), false);
    return arc;
}

} // namespace

void BuildSampleNet(TPetryNet &net)
{
    net.SheetWidth = 710;
    net.SheetHeight = 510;
    TPosition *p1 = net.AddPlace(80, 100);
    TTransfer *t1 = net.AddTransition(220, 100);
    TPosition *p2 = net.AddPlace(360, 100);
    TTransfer *t2 = net.AddTransition(500, 100);
    TPosition *p3 = net.AddPlace(640, 100);
    TTransfer *t3 = net.AddTransition(360, 260);
    TTransfer *t4 = net.AddTransition(640, 260);
    TPosition *p4 = net.AddPlace(640, 420);
    TPosition *p5 = net.AddPlace(220, 420);
    p1->Tokens = 3;
    p3->Tokens = 12;
    p4->Tokens = 1;
    p5->Tokens = 2;

    Connect(net, p1, t1, 2);                  // right, labelled
    Connect(net, t1, p2, 1);                  // right
    Connect(net, p2, t3, 1);                  // down
    Connect(net, t2, p3, 3);                  // right, labelled
    Connect(net, p4, t2, 1, {{500, 420}});    // up, one bend point
    Connect(net, p3, t4, 20);                 // down; 12 tokens do not enable t4
    Connect(net, t3, p5, 4, {{360, 420}});    // left, labelled, one bend point
    Connect(net, p5, t1, 1);                  // up
    Connect(net, t4, p4, 1);                  // down
    Connect(net, t3, p1, 2, {{240, 180}, {120, 180}}); // slanted, two bend points
    net.ClearSelection();

    net.NetName = QStringLiteral("Пример");
    net.Description = QStringLiteral("Все виды элементов сети");
}

void ApplySampleStates(TPetryNet &net)
{
    net.StartModelling(); // clears the selection, so it comes first
    for (int i = 1; i < net.PlaceCount(); i += 2)
        net.Place(i)->Selected = true;
    for (int i = 1; i < net.TransitionCount(); i += 2)
        net.Transition(i)->Selected = true;
    for (int i = 1; i < net.ArcCount(); i += 2)
        net.Arc(i)->Selected = true;
    if (net.PlaceCount() > 0)
        net.Places.last()->Highlighted = true;
    if (net.TransitionCount() > 0)
        net.Transitions.last()->Highlighted = true;
}
