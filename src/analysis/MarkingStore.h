#pragma once
// Reached markings, packed, with an open-addressing hash set over them.

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// An array that grows by fixed blocks, so growing never copies what it holds
// and never keeps twice the memory it needs.
template<typename T>
class TBlockArray
{
public:
    static constexpr int BlockBits = 16;
    static constexpr int64_t BlockSize = int64_t(1) << BlockBits;

    explicit TBlockArray(int64_t itemsPerEntry = 1) : PerEntry(itemsPerEntry) {}
    T *At(int64_t i) { return Blocks[i >> BlockBits].get() + (i & (BlockSize - 1)) * PerEntry; }
    const T *At(int64_t i) const { return Blocks[i >> BlockBits].get() + (i & (BlockSize - 1)) * PerEntry; }
    T &operator[](int64_t i) { return *At(i); }
    T operator[](int64_t i) const { return *At(i); }
    // Room for one more entry at index Count; answers a pointer to it.
    T *Append()
    {
        if ((Count & (BlockSize - 1)) == 0 && (Count >> BlockBits) == int64_t(Blocks.size()))
            Blocks.push_back(std::make_unique<T[]>(size_t(BlockSize * PerEntry)));
        return At(Count++);
    }
    int64_t Size() const { return Count; }
    int64_t MemoryBytes() const { return int64_t(Blocks.size()) * BlockSize * PerEntry * int64_t(sizeof(T)); }
    void Clear()
    {
        Blocks.clear();
        Count = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> Blocks;
    int64_t PerEntry = 1;
    int64_t Count = 0;
};

// Every marking takes Width bytes per place: 1, 2 or 4, the fewest that hold
// the largest count seen so far. A larger count re-packs all markings.
// A slot of the hash set holds a marking's index in its low bits and the top
// bits of its hash in the bits the index does not need, so most slots of
// other markings are passed over without reading their marking.
class TMarkingStore
{
public:
    // maxMarkings: the most markings it will hold (at most 2^32 - 2).
    TMarkingStore(int places, int64_t maxMarkings);

    int Width() const { return CountWidth; }
    int Stride() const { return StrideBytes; }
    int64_t Size() const { return Data.Size(); }
    // Largest count the current width holds.
    int64_t WidthLimit() const { return CountWidth == 1 ? 0xFF : CountWidth == 2 ? 0xFFFF : INT32_MAX; }

    const uint8_t *At(int64_t index) const { return Data.At(index); }
    void Pack(const int32_t *marking, uint8_t *out) const;
    void Unpack(int64_t index, int32_t *marking) const { UnpackFrom(Data.At(index), marking); }
    void UnpackFrom(const uint8_t *packed, int32_t *marking) const;
    // Writes one count into a packed marking.
    void Put(uint8_t *packed, int place, int32_t count) const
    {
        if (CountWidth == 1) {
            packed[place] = uint8_t(count);
        } else if (CountWidth == 2) {
            const uint16_t v = uint16_t(count);
            std::memcpy(packed + 2 * place, &v, 2);
        } else {
            std::memcpy(packed + 4 * place, &count, 4);
        }
    }
    uint64_t Hash(const uint8_t *packed) const
    {
        uint64_t h = 0x9E3779B97F4A7C15ULL ^ uint64_t(StrideBytes);
        int i = 0;
        for (; i + 8 <= StrideBytes; i += 8) {
            uint64_t w;
            std::memcpy(&w, packed + i, 8);
            h = (h ^ w) * 0x9E3779B97F4A7C15ULL;
            h ^= h >> 29;
        }
        if (i < StrideBytes) {
            uint64_t w = 0;
            std::memcpy(&w, packed + i, size_t(StrideBytes - i));
            h = (h ^ w) * 0x9E3779B97F4A7C15ULL;
        }
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        return h;
    }
    bool Equal(const uint8_t *a, const uint8_t *b) const
    {
        int i = 0;
        for (; i + 8 <= StrideBytes; i += 8) {
            uint64_t x, y;
            std::memcpy(&x, a + i, 8);
            std::memcpy(&y, b + i, 8);
            if (x != y)
                return false;
        }
        return i == StrideBytes || std::memcmp(a + i, b + i, size_t(StrideBytes - i)) == 0;
    }

    // The index of the marking, adding it when new; `added` tells which.
    uint32_t Insert(const uint8_t *packed, uint64_t hash, bool &added);
    // The index of the marking, or -1 when it was never added.
    int64_t Find(const uint8_t *packed, uint64_t hash) const;
    // Re-packs every marking so counts up to `count` fit.
    void WidenFor(int64_t count);
    void Prefetch(uint64_t hash) const { __builtin_prefetch(Slots.data() + (hash & Mask)); }
    // Once the slot is at hand: fetches the marking it most likely holds.
    void PrefetchMarking(uint64_t hash) const
    {
        const uint32_t slot = Slots[hash & Mask];
        if (slot != Empty && (slot & ~IndexMask) == Tag(hash))
            __builtin_prefetch(Data.At(slot & IndexMask));
    }

    int64_t MemoryBytes() const { return Data.MemoryBytes() + int64_t(Slots.size()) * 4; }

private:
    void Rehash(size_t slotCount);
    uint32_t Tag(uint64_t hash) const { return uint32_t(hash >> 32) & ~IndexMask; }

    static constexpr uint32_t Empty = UINT32_MAX;
    int Places = 0;
    int CountWidth = 1;
    int StrideBytes = 0;
    TBlockArray<uint8_t> Data;
    std::vector<uint32_t> Slots;
    uint64_t Mask = 0;
    uint32_t IndexMask = UINT32_MAX;
};
