#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

// Automatic layout of a directed graph with Graphviz's layered ("dot") engine,
// for nets without a picture and for drawings of state graphs. Coordinates are
// pixels, y pointing down, with the graph's bounding box starting at Margin.

enum class TLayoutShape { Box, Ellipse };

struct TLayoutNode
{
    QSizeF Size;         // the node's box in pixels; the layout never resizes it
    TLayoutShape Shape = TLayoutShape::Box;
};

struct TLayoutEdge
{
    int From = 0;        // indices into TLayoutGraph::Nodes
    int To = 0;
    QString Label;       // optional; the layout keeps room for it and places it
};

struct TLayoutGraph
{
    QList<TLayoutNode> Nodes;
    QList<TLayoutEdge> Edges;
    bool LeftToRight = false; // ranks run left to right instead of top to bottom
    double NodeSpacing = 30;  // between nodes of one rank, pixels
    double RankSpacing = 40;  // between ranks, pixels
    double Margin = 20;       // empty border around the drawing, pixels
    double LabelFontSize = 10;
};

struct TGraphLayoutResult
{
    bool Ok = false;
    QString Error;                // Russian, when !Ok
    QSizeF Size;                  // the drawing with its margins
    QList<QPointF> Centres;       // one per node
    // One per edge: the route from the border of From to the border of To,
    // both ends included, through the layout's corner points.
    QList<QList<QPointF>> Routes;
    QList<QPointF> LabelCentres;  // one per edge; (0, 0) without a label
};

// Lays the graph out. Safe to call from any thread: Graphviz itself is not
// reentrant, so calls are serialised. Edges naming no node are refused.
TGraphLayoutResult LayoutGraph(const TLayoutGraph &graph);
