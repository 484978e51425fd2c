#pragma once

// What the PNML reader collects before anything is built; internal to the formats library.

#include <QHash>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

// The name of this program's toolspecific blocks.
inline constexpr char16_t PnmlToolName[] = u"petrinets-editor";
inline constexpr char16_t PnmlToolVersion[] = u"1.0";

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
};

struct TPnmlArc
{
    QString Id;
    QString Source;
    QString Target;
    QString Name;
    bool HasName = false;
    qint32 Weight = 1;
    QList<QPointF> Points;
};

// An element's facts only this program's own block carries.
struct TPnmlOwnElement
{
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
    QHash<QString, TPnmlOwnElement> OwnElements;   // by element id
};

// What an offending element is, for refusal messages; composed only when refusing.
enum class TPnmlKind { Place, Transition, Arc, Reference };
QString PnmlOwner(TPnmlKind kind, const QString &id); // e.g. "Позиция «p1»"

// Parses the XML into doc. Answers an empty string on success, else the
// Russian reason of the refusal.
QString ReadPnmlDocument(const QByteArray &bytes, TPnmlDocument &doc);
