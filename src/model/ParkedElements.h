#pragma once

#include <QHash>

#include <memory>
#include <vector>

class TNetElement;
class TParkedElements;
class TPetryNet;

// Elements taken out of a net (deleted, or dropped by an undo) while an undo
// snapshot may still bring them back: they are out of every list, index and
// account of the net, and an undo puts the very same objects back, so every
// snapshot that names them by address stays valid. Each is owned by the group
// it was parked with, which the snapshot of the state it left holds; the
// group destroys its elements when the last such snapshot goes, unless they
// were brought back (or parked again with another group) meanwhile.
struct TParkingLot
{
    struct TEntry
    {
        TNetElement *Element = nullptr;
        const TParkedElements *Group = nullptr;
    };
    TPetryNet *Net = nullptr; // none once the net has destroyed every parked element
    QHash<const void *, TEntry> Parked; // by the address undo records name elements with

    // The parked element of this address and kind, or none.
    TNetElement *Find(const void *id, quint8 kind) const;
};

class TParkedElements
{
public:
    TParkedElements(std::shared_ptr<TParkingLot> lot, std::vector<TNetElement *> elements);
    ~TParkedElements();
    TParkedElements(const TParkedElements &) = delete;
    TParkedElements &operator=(const TParkedElements &) = delete;

private:
    std::shared_ptr<TParkingLot> Lot;
    std::vector<TNetElement *> Elements;
};
