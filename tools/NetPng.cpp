// netpng: renders a .qvx document to a PNG picture without the editor.
//
//   netpng in.qvx out.png            the net as the editor draws it
//   netpng --states in.qvx out.png   the same in modelling mode, with the
//                                    second, fourth, ... element of each list
//                                    selected and the last place and the last
//                                    transition highlighted
//   netpng --sample out.qvx          writes the demonstration net

#include "NetUnit.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int DefaultSheetWidth = 710;
constexpr int DefaultSheetHeight = 510;
const QColor WindowBackground(212, 208, 200);

void PrintUsage()
{
    std::fputs("usage: netpng [--states] in.qvx out.png\n"
               "       netpng --sample out.qvx\n",
               stderr);
}

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

// A small net whose elements, rendered with --states, show every look an
// element can have: plain, selected, highlighted, enabled, token numbers,
// multiplicity labels, bend points and arrows in all four directions.
void BuildSample(TPetryNet &net)
{
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

// The looks that documents do not store: modelling, selection, highlight.
void ApplyStates(TPetryNet &net)
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

QImage Render(TPetryNet &net)
{
    if (net.SheetWidth <= 0 || net.SheetHeight <= 0) {
        net.SheetWidth = DefaultSheetWidth;
        net.SheetHeight = DefaultSheetHeight;
    }
    net.SheetLeft = 0;
    net.SheetTop = 0;
    QImage image(net.SheetWidth, net.SheetHeight, QImage::Format_RGB32);
    image.fill(WindowBackground);
    QPainter canvas(&image);
    net.Draw(canvas, false);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    // Fonts need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);

    TPetryNet net;
    if (args.size() == 2 && args[0] == QLatin1String("--sample")) {
        net.SheetWidth = DefaultSheetWidth;
        net.SheetHeight = DefaultSheetHeight;
        BuildSample(net);
        net.FileName = args[1];
        if (!net.SaveToFile()) {
            std::fprintf(stderr, "netpng: cannot write %s\n", qPrintable(args[1]));
            return 1;
        }
        return 0;
    }

    const bool states = !args.isEmpty() && args[0] == QLatin1String("--states");
    if (states)
        args.removeFirst();
    if (args.size() != 2) {
        PrintUsage();
        return 2;
    }
    net.FileName = args[0];
    if (!net.LoadFromFile()) {
        std::fprintf(stderr, "netpng: cannot read %s\n", qPrintable(args[0]));
        return 1;
    }
    if (states)
        ApplyStates(net);
    if (!Render(net).save(args[1], "PNG")) {
        std::fprintf(stderr, "netpng: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
