#pragma once

// Helpers shared by the files that implement TPetryNet; not part of the model's interface.

#include "PetryNet.h"

#include <algorithm>

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
};
void WriteNetSizes(const TPetryNet &net, TNetMemoryStream &stream);
void ApplyNetSizes(TPetryNet &net, const TNetSizes &sizes);
