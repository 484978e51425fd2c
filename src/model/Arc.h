#pragma once

#include "NetElements.h"

#include <QList>
#include <QPair>
#include <QPoint>
#include <QSet>

// The three points of a polyline segment: its two ends and its midpoint.
struct TSegment
{
    QPoint A;
    QPoint B;
    QPoint M;
};

// The ends and direction of every arc read so far (defined with the net's loader).
class TArcEndsSeen;

// An arc ("Дуга"): a weighted connection between one place and one transition,
// drawn as a polyline from the StartNode centre through the bend points to the
// EndNode centre. The flow direction is held apart in TransitionToPlace.
class TArc : public TNetElement
{
public:
    // A new arc drawn by the user from start to end; attaches itself to both.
    static TArc *CreateBetween(TPetryNet *net, TStaticNetElement *start, TStaticNetElement *end);
    // Reads a record whose endpoint indices refer to the net's own lists.
    static TArc *CreateLoaded(TPetryNet *net, TNetMemoryStream &stream);
    // Reads a record whose endpoint indices refer to the given lists. Throws
    // TNetStreamError, and builds nothing, when the record is damaged. With
    // seen, a second arc with the same ends and direction is found there
    // rather than by a walk over its start's arcs.
    static TArc *CreatePasted(TPetryNet *net, TNetMemoryStream &stream,
                              const QList<TPosition *> &places,
                              const QList<TTransfer *> &transitions, TArcEndsSeen *seen = nullptr);
    ~TArc() override;

    void ShiftBy(int dx, int dy) override;
    int GetLeft() const override;
    int GetTop() const override;
    int GetRight() const override;
    int GetBottom() const override;
    void SaveToStream(TNetMemoryStream &stream) const override;
    void LoadFromStream(TNetMemoryStream &stream) override;
    bool ContainsPoint(int x, int y) const override;
    bool IntersectsRect(int left, int top, int right, int bottom) const override;
    void Draw(QPainter &canvas) const override;

    // Clipboard form of the record: endpoints by their position among the
    // selected nodes; nothing is written unless both ends are selected.
    void SaveSelectedToStream(TNetMemoryStream &stream) const;

    TStaticNetElement *PlaceEnd() const;
    TStaticNetElement *TransitionEnd() const;
    TPosition *Place() const;
    void SetMultiplicity(qint32 n);
    bool IsSatisfied() const;
    void MoveTokens();
    void InvertDirection();
    bool CanInvertDirection() const;
    bool BothEndsSelected() const;
    // Whether this arc joins the same two nodes as other, in either order.
    bool Joins(const TStaticNetElement *a, const TStaticNetElement *b) const;

    int PointCount() const { return int(BendPoints.size()); }
    QPoint GetPoint(int i) const;
    void SetPoint(int i, QPoint p);
    void AddPoint(int x, int y, bool atLongest);
    void DeletePoint(int i);
    int PointIndexAt(int x, int y) const;
    TSegment LongestSegment() const;
    // Canvas points of the whole polyline: start centre, bend points, end centre.
    QList<QPoint> Polyline() const;

    // XOR feedback while nodes or one bend point are dragged.
    void DrawDragFeedback(int dx, int dy, bool apply, QPainter &canvas);
    void DrawPointDragFeedback(int index, int dx, int dy, bool apply, QPainter &canvas);

    TStaticNetElement *StartNode = nullptr;
    TStaticNetElement *EndNode = nullptr;
    QList<QPoint> BendPoints; // net coordinates
    bool TransitionToPlace = false;
    qint32 Multiplicity = 1;

private:
    friend class TPetryNet; // writes records with endpoint indices it has computed
    friend class TNetContentBuilder;
    explicit TArc(TPetryNet *net);
    void ReadRecord(TNetMemoryStream &stream, const QList<TPosition *> &places,
                    const QList<TTransfer *> &transitions, TArcEndsSeen *seen = nullptr);
    void WriteRecord(TNetMemoryStream &stream, int startIndex, int endIndex) const;
};
