#pragma once

// What the PNML reader collects before anything is built; internal to the formats library.

#include <QHash>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <algorithm>
#include <bit>
#include <memory>
#include <vector>

// The name of this program's toolspecific blocks.
inline constexpr char16_t PnmlToolName[] = u"petrinets-editor";
inline constexpr char16_t PnmlToolVersion[] = u"1.0";

// The texts the document keeps (ids, names, arc ends): copied into large
// blocks that never move, so a view stays valid as long as the document and
// a hundred thousand short texts cost a few allocations instead of one each.
class TPnmlTexts
{
public:
    QStringView Add(QStringView text)
    {
        if (text.size() > Room) {
            const qsizetype size = std::max<qsizetype>(BlockSize, text.size());
            Blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(size)); // not zeroed first
            Free = Blocks.back().get();
            Room = size;
        }
        char16_t *const start = Free;
        std::copy(text.utf16(), text.utf16() + text.size(), start);
        Free += text.size();
        Room -= text.size();
        return QStringView(start, text.size());
    }

private:
    static constexpr qsizetype BlockSize = 32768;
    std::vector<std::unique_ptr<char16_t[]>> Blocks;
    char16_t *Free = nullptr;
    qsizetype Room = 0;
};

// Every id of the document, by its text: finds duplicates while reading and
// resolves arc ends without a copy of each id. Ids are the most numerous keys
// of a document, so they live in one array of plain slots probed linearly,
// where a general hash table costs two cache misses a probe. The texts are
// views into the document's TPnmlTexts; hashes are Qt's, seeded per process.
class TPnmlIds
{
public:
    explicit TPnmlIds(qsizetype expected = 0) { Rehash(std::bit_ceil(size_t(std::max<qsizetype>(expected, 8)) * 2)); }

    static quint32 Hash(QStringView id) { return quint32(qHash(id, QHashSeed::globalSeed())); }
    // Starts loading the slot where the search for a hash begins, so that an
    // Insert a little later finds it in the cache.
    void Prefetch(quint32 hash) const { __builtin_prefetch(&Slots[hash & (Slots.size() - 1)]); }
    // False, adding nothing, when the id is already there.
    bool Insert(QStringView id, qint32 ref) { return Insert(id, Hash(id), ref); }
    bool Insert(QStringView id, quint32 hash, qint32 ref)
    {
        if (size_t(Count + 1) * 2 > Slots.size())
            Rehash(Slots.size() * 2);
        TSlot &slot = Find(id, hash);
        if (slot.Text)
            return false;
        slot = {id.data(), hash, qint32(id.size()), ref};
        ++Count;
        return true;
    }
    qint32 Value(QStringView id, qint32 fallback) const { return Value(id, Hash(id), fallback); }
    qint32 Value(QStringView id, quint32 hash, qint32 fallback) const
    {
        const TSlot &slot = const_cast<TPnmlIds *>(this)->Find(id, hash);
        return slot.Text ? slot.Ref : fallback;
    }

private:
    struct TSlot
    {
        const QChar *Text = nullptr; // empty slot: ids are never empty
        quint32 Hash = 0;
        qint32 Size = 0; // documents are far below 2^31 characters
        qint32 Ref = 0;
    };
    // The slot holding id, or the empty one where it belongs.
    TSlot &Find(QStringView id, quint32 hash)
    {
        const size_t mask = Slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            TSlot &slot = Slots[i];
            if (!slot.Text || (slot.Hash == hash && QStringView(slot.Text, slot.Size) == id))
                return slot;
        }
    }
    void Rehash(size_t size)
    {
        std::vector<TSlot> old(size);
        old.swap(Slots);
        for (const TSlot &slot : old)
            if (slot.Text)
                Find(QStringView(slot.Text, slot.Size), slot.Hash) = slot;
    }

    std::vector<TSlot> Slots;
    qsizetype Count = 0;
};

// What an id names: a node (its index in TPnmlDocument::Nodes), an arc
// (PnmlArcRef of its index) or something else (net, page, reference).
inline constexpr qint32 PnmlOtherRef = -1;
inline constexpr qint32 PnmlArcRef(qsizetype arc) { return qint32(-2 - arc); }

// Ids, names and unresolved arc ends view the document's TPnmlTexts.
struct TPnmlNode
{
    QStringView Id;
    bool IsPlace = true;
    QStringView Name;
    bool HasName = false;
    qint32 Tokens = 0;
    bool HasPosition = false;
    QPointF Position;
    bool HasDimension = false;
    QSizeF Dimension;
    qint32 Own = -1; // index into TPnmlDocument::OwnElements
};

Q_DECLARE_TYPEINFO(TPnmlNode, Q_RELOCATABLE_TYPE);

struct TPnmlArc
{
    QStringView Id;
    // Ends naming a node read before the arc are resolved while reading;
    // the others (references, nodes further on) keep their ids.
    qint32 SourceNode = -1, TargetNode = -1;
    QStringView Source;
    QStringView Target;
    QStringView Name;
    bool HasName = false;
    qint32 Weight = 1;
    QList<QPointF> Points;
    qint32 Own = -1; // index into TPnmlDocument::OwnElements
};
Q_DECLARE_TYPEINFO(TPnmlArc, Q_RELOCATABLE_TYPE);

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
    QList<QString> ReferenceOrder;      // reference node ids in document order
    TPnmlOwnBlock Own;
    bool OwnNetName = false;                       // the own block named the net
    // Attached to their nodes and arcs once the document is read; of two for
    // one element the later counts.
    QList<TPnmlOwnElement> OwnElements;
    // Every id of the document, and the texts its keys and the records view.
    TPnmlTexts Texts;
    TPnmlIds Ids;
};

// What an offending element is, for refusal messages; composed only when refusing.
enum class TPnmlKind { Place, Transition, Arc, Reference };
QString PnmlOwner(TPnmlKind kind, QStringView id); // e.g. "Позиция «p1»"

// Parses the XML into doc. Answers an empty string on success, else the
// Russian reason of the refusal.
QString ReadPnmlDocument(const QByteArray &bytes, TPnmlDocument &doc);
