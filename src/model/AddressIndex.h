#pragma once

#include <QtGlobal>

#include <algorithm>
#include <bit>
#include <vector>

// Position of each of a fixed set of objects, found by address. Saving and
// restoring write an arc's ends as positions in the node lists; at a million
// nodes an open-addressing table of plain pairs, filled once and probed
// linearly, takes a fraction of the time of a general hash.
class TAddressIndex
{
public:
    explicit TAddressIndex(qsizetype count)
    {
        const size_t capacity = std::bit_ceil(size_t(std::max<qsizetype>(count, 4)) * 2);
        Slots.assign(capacity, TSlot{});
        Shift = 64 - std::countr_zero(capacity);
    }

    // The first position given for an address wins.
    void Insert(const void *address, int position)
    {
        for (size_t i = Home(address);; i = (i + 1) & (Slots.size() - 1)) {
            if (Slots[i].Address == address)
                return;
            if (!Slots[i].Address) {
                Slots[i] = {address, position};
                return;
            }
        }
    }

    // -1 for an address not inserted.
    int Value(const void *address) const
    {
        if (!address)
            return -1;
        for (size_t i = Home(address);; i = (i + 1) & (Slots.size() - 1)) {
            if (Slots[i].Address == address)
                return Slots[i].Position;
            if (!Slots[i].Address)
                return -1;
        }
    }

private:
    struct TSlot
    {
        const void *Address = nullptr;
        int Position = -1;
    };
    size_t Home(const void *address) const
    {
        return size_t((quintptr(address) * 0x9E3779B97F4A7C15ull) >> Shift);
    }

    std::vector<TSlot> Slots;
    int Shift = 62;
};
