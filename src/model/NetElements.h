#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <atomic>

class QFont;
class QPainter;
class TArc;
class TNetMemoryStream;
class TPetryNet;

// Element kind codes, kept in every element and written in every record.
enum TElementKind : quint8 {
    KindPlace = 1,
    KindTransition = 2,
    KindArc = 3,
};

// Largest distance from the origin a stored coordinate may have; keeps every
// canvas computation far from 32-bit overflow.
constexpr qint32 MaxCoordinate = 1 << 24;

// Whether a stored point lies within MaxCoordinate of the origin on both axes.
// Compared without qAbs, which overflows for the smallest 32-bit integer.
inline bool InCoordinateRange(QPoint p)
{
    return p.x() >= -MaxCoordinate && p.x() <= MaxCoordinate && p.y() >= -MaxCoordinate && p.y() <= MaxCoordinate;
}

// The rectangle the platform makes of four sides: right and bottom lie
// outside; a zero width or height grows to one pixel, so a click point acts as
// a 1-pixel rectangle; swapped sides are put in order.
QRect SidesToRect(int left, int top, int right, int bottom);

// The word a default name starts with ("Позиция", "Переход", "Дуга"); empty for other kinds.
QString KindWord(quint8 kind);

// The "Arial" font of element texts, whose cell (ascent + descent) is at most
// cellHeight pixels high.
QFont ElementFont(int cellHeight);

// A count (tokens, a weight) in the element font of a cell of cellHeight.
struct TCountSize
{
    int Width = 0;
    int Height = 0;
};
TCountSize MeasureCount(int cellHeight, qint32 n);
// Draws it with its cell's top left at topLeft, in the painter's pen.
void DrawCount(QPainter &canvas, int cellHeight, qint32 n, QPoint topLeft);

// An element's selection flag; reads as a bool. The net keeps count of its
// selected elements as SetSelected changes them. A flag written directly (as
// tests and benchmarks do) only makes every net take its count afresh at the
// next question about the selection.
class TSelectionMark
{
public:
    TSelectionMark() = default;
    TSelectionMark(const TSelectionMark &) = default;
    operator bool() const { return Bits & IsSelected; }
    TSelectionMark &operator=(bool value)
    {
        if (bool(*this) != value) {
            Bits ^= IsSelected;
            Written.fetch_add(1, std::memory_order_relaxed);
        }
        return *this;
    }
    TSelectionMark &operator=(const TSelectionMark &other) { return *this = bool(other); }
    // Grows with every direct write that changed a flag.
    static quint32 WriteCount() { return Written.load(std::memory_order_relaxed); }

private:
    friend class TPetryNet;
    // Listed: held in the net's list of its selection; visited: a scratch mark
    // of the net's look-ups.
    enum : quint8 { IsSelected = 1, IsListed = 2, IsVisited = 4 };
    quint8 Bits = 0;
    inline static std::atomic<quint32> Written{0};
};

// Base of every element of a net: name, description, kind, selection and the
// header record. An element belongs to exactly one net and removes itself from
// the net's list of its kind when destroyed.
class TNetElement
{
public:
    explicit TNetElement(TPetryNet *net);
    virtual ~TNetElement();
    TNetElement(const TNetElement &) = delete;
    TNetElement &operator=(const TNetElement &) = delete;

    virtual void ShiftBy(int dx, int dy) = 0;
    virtual int GetLeft() const = 0;
    virtual int GetTop() const = 0;
    virtual int GetRight() const = 0;
    virtual int GetBottom() const = 0;
    virtual void SaveToStream(TNetMemoryStream &stream) const;
    virtual void LoadFromStream(TNetMemoryStream &stream);
    virtual bool ContainsPoint(int x, int y) const = 0;
    virtual bool IntersectsRect(int left, int top, int right, int bottom) const = 0;
    virtual void Draw(QPainter &canvas) const = 0;

    void SetSelected(bool value);
    void SetHasDescription(bool value);
    void AssignDefaultName();
    // Editors rename and describe through these, so the document is marked changed.
    void SetName(const QString &value);
    void SetDescription(const QString &value);

    TPetryNet *Net;
    QString Name;
    QString Description;
    quint8 Kind = 0;
    TSelectionMark Selected;
    bool HasDescription = false;

private:
    friend class TPetryNet; // keeps the spatial index's bookkeeping
    enum : quint8 { NotFiled, Filed, Refiling };
    quint8 GridState = NotFiled;
    quint32 GridOrder = 0; // grows with the position in the list of its kind
};

// Base of places and transitions (nodes): centre, attached arcs, highlight.
class TStaticNetElement : public TNetElement
{
public:
    explicit TStaticNetElement(TPetryNet *net);
    ~TStaticNetElement() override;

    void ShiftBy(int dx, int dy) override;
    int GetLeft() const override { return NodeRect().left(); }
    int GetTop() const override { return NodeRect().top(); }
    int GetRight() const override { return NodeRect().left() + NodeRect().width(); }
    int GetBottom() const override { return NodeRect().top() + NodeRect().height(); }
    void SaveToStream(TNetMemoryStream &stream) const override;
    void LoadFromStream(TNetMemoryStream &stream) override;
    virtual void DrawOutline(QPainter &canvas) const = 0;

    int CanvasX() const;
    int CanvasY() const;
    QPoint CanvasCenter() const { return {CanvasX(), CanvasY()}; }
    void SetCanvasX(int v);
    void SetCanvasY(int v);
    int NodeWidth() const;
    int NodeHeight() const;
    // Canvas rectangle of the node; right and bottom edges lie outside it.
    QRect NodeRect() const;

    int ArcCount() const { return int(ArcList.size()); }
    TArc *ArcAt(int i) const;
    void AttachArc(TArc *arc);
    bool DetachArc(TArc *arc);
    int IncomingCount() const;
    int OutgoingCount() const { return ArcCount() - IncomingCount(); }
    TArc *IncomingArc(int i) const;
    TArc *OutgoingArc(int i) const;

    // Owning: destroying the node destroys every attached arc.
    QList<TArc *> ArcList;
    qint32 X = 0;
    qint32 Y = 0;
    bool Highlighted = false;

protected:
    // Whether an arc carries tokens into this node.
    bool IsIncoming(const TArc *arc) const;
};

// A place ("Позиция"): holds tokens.
class TPosition : public TStaticNetElement
{
public:
    explicit TPosition(TPetryNet *net);

    void SaveToStream(TNetMemoryStream &stream) const override;
    void LoadFromStream(TNetMemoryStream &stream) override;
    bool ContainsPoint(int x, int y) const override;
    bool IntersectsRect(int left, int top, int right, int bottom) const override;
    void Draw(QPainter &canvas) const override;
    void DrawOutline(QPainter &canvas) const override;

    // Takes an undo snapshot first when the value really changes.
    void SetTokens(qint32 n);

    qint32 Tokens = 0;
};

// A transition ("Переход"): fires when every incoming arc is satisfied.
class TTransfer : public TStaticNetElement
{
public:
    explicit TTransfer(TPetryNet *net);

    bool ContainsPoint(int x, int y) const override;
    bool IntersectsRect(int left, int top, int right, int bottom) const override;
    void Draw(QPainter &canvas) const override;
    void DrawOutline(QPainter &canvas) const override;

    bool IsEnabled() const;
    void Fire();
};
