#pragma once

// Helpers shared by the files that implement TPetryNet; not part of the model's interface.

#include "PetryNet.h"

#include <algorithm>
#include <bit>
#include <vector>

// Elements parsed from a stream but not yet part of the net; whatever is still
// held here when the lists die is destroyed.
struct TPetryNet::TElementLists
{
    TElementLists() = default;
    TElementLists(const TElementLists &) = delete;
    TElementLists &operator=(const TElementLists &) = delete;
    ~TElementLists();
    bool IsEmpty() const { return Places.isEmpty() && Transitions.isEmpty() && Arcs.isEmpty(); }

    QList<TPosition *> Places;
    QList<TTransfer *> Transitions;
    QList<TArc *> Arcs;
};

// The ends and direction of every arc read so far, as one number each: the
// place's and the transition's index in their lists and the direction. A flat
// table probed linearly, one memory access per arc where a general set makes
// two or more: loading a large document checks one pair per arc. It starts at
// the size the arcs to come need (at most 65,536 of them, so that a damaged
// count reserves little) and doubles when half full.
class TArcEndsSeen
{
public:
    explicit TArcEndsSeen(qsizetype count)
        : Slots(std::bit_ceil(size_t(std::clamp<qsizetype>(count, 0, 1 << 16)) * 2 + 2))
    {
    }
    // False when the pair is already there. Indices are those of existing nodes.
    bool Insert(qint32 place, qint32 transition, bool toPlace)
    {
        if (Used * 2 >= Slots.size())
            Grow();
        // 0 marks an empty slot.
        if (!Put(Slots, ((quint64(quint32(place)) << 32) | (quint64(quint32(transition)) << 1) | quint64(toPlace)) + 1))
            return false;
        ++Used;
        return true;
    }

private:
    static bool Put(std::vector<quint64> &table, quint64 key)
    {
        const size_t mask = table.size() - 1;
        for (size_t i = size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;; i = (i + 1) & mask) {
            if (table[i] == 0) {
                table[i] = key;
                return true;
            }
            if (table[i] == key)
                return false;
        }
    }
    void Grow()
    {
        std::vector<quint64> bigger(Slots.size() * 2);
        for (const quint64 key : Slots)
            if (key != 0)
                Put(bigger, key);
        Slots = std::move(bigger);
    }

    std::vector<quint64> Slots;
    size_t Used = 0;
};

// Position of an element in a list of one of its kinds, compared as a plain
// element so that no downcast is needed; searched from the back, where
// recently created elements and bulk deletions are.
template <class T>
int IndexOf(const QList<T *> &list, const TNetElement *element)
{
    for (qsizetype i = list.size() - 1; i >= 0; --i)
        if (static_cast<const TNetElement *>(list[i]) == element)
            return int(i);
    return -1;
}

template <class T>
void RemoveElement(QList<T *> &list, const TNetElement *element)
{
    const int i = IndexOf(list, element);
    if (i >= 0)
        list.removeAt(i);
}

// Fixed texts of the document file.
// Grows a selection-style rectangle (sides as the net reports them) to hold the element.
inline void ExtendSides(TSides &r, const TNetElement *e)
{
    r.Left = std::min(r.Left, e->GetLeft());
    r.Top = std::min(r.Top, e->GetTop());
    r.Right = std::max(r.Right, e->GetRight());
    r.Bottom = std::max(r.Bottom, e->GetBottom());
}

inline constexpr qint32 FileMagic = 43215678;
inline const char FileTag[] = "<QV-Document-File-V1.0::QV-Document-Data::";
inline const char ContentTag[] = "::QV-Content-Data::";

// The sizes that a document and an undo snapshot share; reading refuses sizes
// no editor makes.
struct TNetSizes
{
    qint32 SheetWidth = 0, SheetHeight = 0, PlaceWidth = 0, PlaceHeight = 0, TransitionWidth = 0, TransitionHeight = 0;
    static TNetSizes Read(TNetMemoryStream &stream);
    bool InRange() const;
};
void WriteNetSizes(const TPetryNet &net, TNetMemoryStream &stream);
void ApplyNetSizes(TPetryNet &net, const TNetSizes &sizes);
