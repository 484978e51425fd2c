#include "MarkingStore.h"

#include <algorithm>

namespace {

// A net without places still has one (empty) marking: give it one pad byte.
int StrideFor(int places, int width)
{
    return std::max(1, places * width);
}

} // namespace

TMarkingStore::TMarkingStore(int places, int64_t maxMarkings)
    : Places(places)
    , StrideBytes(StrideFor(places, 1))
    , Data(StrideFor(places, 1))
{
    // The index needs enough bits for every marking plus the empty mark.
    int bits = 16;
    while (bits < 32 && (int64_t(1) << bits) <= maxMarkings + 1)
        ++bits;
    IndexMask = bits == 32 ? UINT32_MAX : (uint32_t(1) << bits) - 1;
    Rehash(1024);
}

void TMarkingStore::Pack(const int32_t *marking, uint8_t *out) const
{
    if (Places == 0) {
        out[0] = 0;
        return;
    }
    switch (CountWidth) {
    case 1:
        for (int p = 0; p < Places; ++p)
            out[p] = uint8_t(marking[p]);
        break;
    case 2:
        for (int p = 0; p < Places; ++p) {
            const uint16_t v = uint16_t(marking[p]);
            std::memcpy(out + 2 * p, &v, 2);
        }
        break;
    default:
        std::memcpy(out, marking, size_t(Places) * 4);
    }
}

void TMarkingStore::UnpackFrom(const uint8_t *in, int32_t *marking) const
{
    switch (CountWidth) {
    case 1:
        for (int p = 0; p < Places; ++p)
            marking[p] = in[p];
        break;
    case 2:
        for (int p = 0; p < Places; ++p) {
            uint16_t v;
            std::memcpy(&v, in + 2 * p, 2);
            marking[p] = v;
        }
        break;
    default:
        std::memcpy(marking, in, size_t(Places) * 4);
    }
}

uint32_t TMarkingStore::Insert(const uint8_t *packed, uint64_t hash, bool &added)
{
    const uint32_t tag = Tag(hash);
    for (uint64_t i = hash & Mask;; i = (i + 1) & Mask) {
        const uint32_t slot = Slots[i];
        if (slot == Empty) {
            const uint32_t index = uint32_t(Data.Size());
            std::memcpy(Data.Append(), packed, size_t(StrideBytes));
            Slots[i] = index | tag;
            added = true;
            // Linear probing stays short below three quarters full.
            if (uint64_t(Data.Size()) * 4 > uint64_t(Slots.size()) * 3)
                Rehash(Slots.size() * 2);
            return index;
        }
        if ((slot & ~IndexMask) == tag && Equal(Data.At(slot & IndexMask), packed)) {
            added = false;
            return slot & IndexMask;
        }
    }
}

int64_t TMarkingStore::Find(const uint8_t *packed, uint64_t hash) const
{
    const uint32_t tag = Tag(hash);
    for (uint64_t i = hash & Mask;; i = (i + 1) & Mask) {
        const uint32_t slot = Slots[i];
        if (slot == Empty)
            return -1;
        if ((slot & ~IndexMask) == tag && Equal(Data.At(slot & IndexMask), packed))
            return slot & IndexMask;
    }
}

void TMarkingStore::Rehash(size_t slotCount)
{
    Slots.assign(slotCount, Empty);
    Slots.shrink_to_fit();
    Mask = slotCount - 1;
    for (int64_t k = 0; k < Data.Size(); ++k) {
        const uint64_t hash = Hash(Data.At(k));
        uint64_t i = hash & Mask;
        while (Slots[i] != Empty)
            i = (i + 1) & Mask;
        Slots[i] = uint32_t(k) | Tag(hash);
    }
}

void TMarkingStore::WidenFor(int64_t count)
{
    int width = CountWidth;
    while ((width == 1 && count > 0xFF) || (width == 2 && count > 0xFFFF))
        width *= 2;
    if (width == CountWidth)
        return;
    const int oldWidth = CountWidth;
    TBlockArray<uint8_t> old = std::move(Data);
    Data = TBlockArray<uint8_t>(StrideFor(Places, width));
    std::vector<int32_t> marking(size_t(Places) + 1);
    for (int64_t k = 0; k < old.Size(); ++k) {
        const uint8_t *in = old.At(k);
        for (int p = 0; p < Places; ++p) {
            if (oldWidth == 1) {
                marking[p] = in[p];
            } else {
                uint16_t v;
                std::memcpy(&v, in + 2 * p, 2);
                marking[p] = v;
            }
        }
        CountWidth = width;
        StrideBytes = StrideFor(Places, width);
        Pack(marking.data(), Data.Append());
    }
    CountWidth = width;
    StrideBytes = StrideFor(Places, width);
    Rehash(Slots.size());
}
