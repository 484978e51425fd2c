#pragma once

// What the PNML reader collects before anything is built; internal to the formats library.

#include <QHash>
#include <QHashFunctions>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

// The name of this program's toolspecific blocks.
inline constexpr char16_t PnmlToolName[] = u"petrinets-editor";
inline constexpr char16_t PnmlToolVersion[] = u"1.0";

// An id of the document, as a view into the string its record keeps, with
// its hash computed once: one table of them finds duplicates while reading
// and resolves arc ends, without a copy of each id.
struct TPnmlIdKey
{
    QStringView Text;
    size_t Hash = 0;
    explicit TPnmlIdKey(QStringView text)
        : Text(text), Hash(qHash(text, QHashSeed::globalSeed()))
    {
    }
    friend bool operator==(const TPnmlIdKey &a, const TPnmlIdKey &b) { return a.Hash == b.Hash && a.Text == b.Text; }
};
inline size_t qHash(const TPnmlIdKey &key, size_t) { return key.Hash; }

// What an id names: a node (its index in TPnmlDocument::Nodes), an arc
// (PnmlArcRef of its index) or something else (net, page, reference).
inline constexpr qint32 PnmlOtherRef = -1;
inline constexpr qint32 PnmlArcRef(qsizetype arc) { return qint32(-2 - arc); }

struct TPnmlNode
{
    QString Id;
    bool IsPlace = true;
    QString Name;
    bool HasName = false;
    qint32 Tokens = 0;
    bool HasPosition = false;
    QPointF Position;
    bool HasDimension = false;
    QSizeF Dimension;
    qint32 Own = -1; // index into TPnmlDocument::OwnElements
};

struct TPnmlArc
{
    QString Id;
    // Ends naming a node read before the arc are resolved while reading;
    // the others (references, nodes further on) keep their ids.
    qint32 SourceNode = -1, TargetNode = -1;
    QString Source;
    QString Target;
    QString Name;
    bool HasName = false;
    qint32 Weight = 1;
    QList<QPointF> Points;
    qint32 Own = -1; // index into TPnmlDocument::OwnElements
};

// An element's facts only this program's own block carries.
struct TPnmlOwnElement
{
    QString Ref;           // the id of the element it describes
    QString Description;
    bool HasDescription = false;
    QString Name;          // overrides the name label: it may hold line breaks
    bool HasName = false;
    bool DrawnFromTarget = false; // the arc's polyline runs from the flow's target
};

// The net-level facts only this program's own block carries.
struct TPnmlOwnBlock
{
    bool Present = false;
    QString Author;
    QString Description;
    qint32 SheetWidth = 0, SheetHeight = 0;
    qint32 PlaceWidth = 24, PlaceHeight = 24, TransitionWidth = 10, TransitionHeight = 24;
};

struct TPnmlDocument
{
    QString NetName;
    bool HasNetName = false;
    QString NetId;
    QList<TPnmlNode> Nodes;             // document order, places and transitions mixed
    QList<TPnmlArc> Arcs;
    QHash<QString, QString> References; // reference node id -> the id it names
    TPnmlOwnBlock Own;
    bool OwnNetName = false;                       // the own block named the net
    // Attached to their nodes and arcs once the document is read; of two for
    // one element the later counts.
    QList<TPnmlOwnElement> OwnElements;
    // Every id of the document: the keys view the records' own strings and
    // OtherIds, which keeps those of the net, pages and references.
    QHash<TPnmlIdKey, qint32> Ids;
    QList<QString> OtherIds;
};

// What an offending element is, for refusal messages; composed only when refusing.
enum class TPnmlKind { Place, Transition, Arc, Reference };
QString PnmlOwner(TPnmlKind kind, const QString &id); // e.g. "Позиция «p1»"

// Parses the XML into doc. Answers an empty string on success, else the
// Russian reason of the refusal.
QString ReadPnmlDocument(const QByteArray &bytes, TPnmlDocument &doc);
