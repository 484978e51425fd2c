#pragma once
// The drawing of a state graph: laid out in the worker thread (Graphviz may
// take a while), turned into scene items in the window's thread, and saved
// as a PNG or SVG picture.

#include "AnalysisNet.h"
#include "AnalysisResult.h"
#include "GraphLayout.h"

#include <QFont>
#include <QList>
#include <QSizeF>
#include <QStringList>

class QGraphicsScene;

// Fonts of the drawing, in pixels so that the layout's room for the texts
// matches what is drawn at any screen resolution.
QFont StateGraphNodeFont();
QFont StateGraphLabelFont();

// A laid-out state graph with its texts.
struct TStateGraphDrawing
{
    struct TArrow
    {
        int From = 0;
        int To = 0;
        QString Label;             // the names of the transitions fired from From to To
    };

    bool Ok = false;
    QString Error;                 // Russian, when !Ok
    QStringList NodeTexts;         // per state: its marking as the state tree shows it
    QList<QSizeF> NodeSizes;
    QList<TArrow> Arrows;          // firings between the same two states share one arrow
    TGraphLayoutResult Layout;     // one route and label centre per arrow
};

// Lays out the kept graph of an analysis. Safe in any thread.
TStateGraphDrawing LayOutStateGraph(const TAnalysisNet &net, const TStateGraph &graph);

// Item type of a state in the scene; data(StateKey) holds the state's index.
constexpr int StateItemType = 65536 + 1;
constexpr int StateKey = 0;

// Fills the scene with the drawing: states as boxes (the start with a double
// border, dead states red, states with ω in grey), firings as labelled arrows.
void FillStateGraphScene(QGraphicsScene &scene, const TStateGraph &graph, const TStateGraphDrawing &drawing);

// Saves the scene as a picture: SVG (texts stay texts) when the name ends in
// ".svg", PNG otherwise. Writes through a temporary file, so a failure leaves
// any earlier file whole; answers false with a Russian text then.
bool SaveScenePicture(QGraphicsScene &scene, const QString &fileName, QString *error = nullptr);
