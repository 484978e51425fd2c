#pragma once
// Reached markings, bit-packed into 64-bit words, with an open-addressing
// hash set over them.

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// Memory for THugeArray: on huge pages when large enough (bytes: what was
// mapped, for FreeHuge).
void *AllocateHuge(size_t size, size_t &bytes);
void FreeHuge(void *base, size_t bytes);

// A fixed-size array of trivially copyable items whose large instances sit
// on huge pages: the hash set is read at random, and with small pages nearly
// every look-up would also miss the address translation cache.
template<typename T>
class THugeArray
{
public:
    THugeArray() = default;
    THugeArray(const THugeArray &) = delete;
    THugeArray &operator=(const THugeArray &) = delete;
    ~THugeArray() { Free(); }
    void Assign(size_t n, T value)
    {
        Free();
        Base = AllocateHuge(n * sizeof(T), Bytes);
        Items = static_cast<T *>(Base);
        Count = n;
        std::fill(Items, Items + n, value);
    }
    size_t Size() const { return Count; }
    T *Data() { return Items; }
    const T *Data() const { return Items; }
    T &operator[](size_t i) { return Items[i]; }
    T operator[](size_t i) const { return Items[i]; }

private:
    void Free() { FreeHuge(Base, Bytes); Base = nullptr; Items = nullptr; Count = 0; }
    void *Base = nullptr;
    size_t Bytes = 0;
    T *Items = nullptr;
    size_t Count = 0;
};

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
    // Grows to n entries at once (their contents unset).
    void Resize(int64_t n)
    {
        while (int64_t(Blocks.size()) * BlockSize < n)
            Blocks.push_back(std::make_unique<T[]>(size_t(BlockSize * PerEntry)));
        Count = n;
    }
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

// Every count takes Bits bits, the fewest that hold the largest count seen so
// far; counts are packed into 64-bit words without straddling two, so a small
// bounded net's marking is often one word: one compare, one cheap hash, and a
// firing is one addition per word it touches. A larger count re-packs all
// markings.
// A slot of the hash set holds a marking's index in its low bits and some bits
// of its hash in the bits the index does not need, so most slots of other
// markings are passed over without reading their marking. The slots are cut
// into partitions by the top bits of the hash, and probing stays within one:
// workers that own different partitions can add markings side by side.
class TMarkingStore
{
public:
    static constexpr int PartitionBits = 4;
    static constexpr int Partitions = 1 << PartitionBits;

    // maxMarkings: the most markings it will hold (at most 2^32 - 2).
    TMarkingStore(int places, int64_t maxMarkings);

    int Bits() const { return CountBits; }
    int Words() const { return WordCount; }
    // Bytes of one packed marking (whole words).
    int Stride() const { return WordCount * 8; }
    int64_t Size() const { return Data.Size(); }
    // Largest count the current width holds.
    int64_t WidthLimit() const { return (int64_t(1) << CountBits) - 1; }
    // Where a place's count sits: its word and its lowest bit in that word.
    int WordOf(int place) const { return place / PerWord; }
    int ShiftOf(int place) const { return (place % PerWord) * CountBits; }

    const uint8_t *At(int64_t index) const { return reinterpret_cast<const uint8_t *>(Data.At(index)); }
    void Pack(const int32_t *marking, uint8_t *out) const;
    void Unpack(int64_t index, int32_t *marking) const { UnpackFrom(At(index), marking); }
    void UnpackFrom(const uint8_t *packed, int32_t *marking) const;
    int64_t CountAt(const uint8_t *packed, int place) const
    {
        uint64_t w;
        std::memcpy(&w, packed + 8 * WordOf(place), 8);
        return int64_t((w >> ShiftOf(place)) & uint64_t(WidthLimit()));
    }
    // Writes one count into a packed marking.
    void Put(uint8_t *packed, int place, int32_t count) const
    {
        uint64_t w;
        uint8_t *at = packed + 8 * WordOf(place);
        std::memcpy(&w, at, 8);
        const int shift = ShiftOf(place);
        w = (w & ~(uint64_t(WidthLimit()) << shift)) | (uint64_t(uint32_t(count)) << shift);
        std::memcpy(at, &w, 8);
    }
    // One to one (each step can be undone), so a one-word marking's hash
    // tells it apart from every other.
    static uint64_t Mix(uint64_t x)
    {
        x ^= x >> 32;
        x *= 0xd6e8feb86659fd93ULL;
        x ^= x >> 32;
        x *= 0xd6e8feb86659fd93ULL;
        return x ^ (x >> 32);
    }
    uint64_t Hash(const uint8_t *packed) const
    {
        uint64_t w;
        std::memcpy(&w, packed, 8);
        uint64_t h = Mix(w);
        for (int i = 1; i < WordCount; ++i) {
            std::memcpy(&w, packed + 8 * i, 8);
            h = Mix(h ^ w ^ uint64_t(i));
        }
        return h;
    }
    bool Equal(const uint8_t *a, const uint8_t *b) const
    {
        for (int i = 0; i < WordCount; ++i) {
            uint64_t x, y;
            std::memcpy(&x, a + 8 * i, 8);
            std::memcpy(&y, b + 8 * i, 8);
            if (x != y)
                return false;
        }
        return true;
    }

    // The index of the marking, adding it when new; `added` tells which.
    uint32_t Insert(const uint8_t *packed, uint64_t hash, bool &added);
    // The index of the marking, or -1 when it was never added.
    int64_t Find(const uint8_t *packed, uint64_t hash) const;
    // Re-packs every marking so counts up to `count` fit.
    void WidenFor(int64_t count);
    void Prefetch(uint64_t hash) const { __builtin_prefetch(Slots.Data() + Home(hash)); }
    // Once the slot is at hand: fetches the marking it most likely holds.
    void PrefetchMarking(uint64_t hash) const
    {
        const uint32_t slot = Slots[Home(hash)];
        if (slot != Empty && (slot & ~IndexMask) == Tag(hash))
            __builtin_prefetch(Data.At(slot & IndexMask));
    }

    // Adding from several workers at once, one partition each. First
    // Reserve room for every marking that may come; then ClaimSlot in the
    // partition of the marking's hash marks it with a temporary number
    // (Size() + its ordinal among those its worker claimed; `claimed(ordinal)`
    // answers their markings); at last Extend makes room for the claimed
    // markings and each worker will Place its own under their final indices.
    int PartitionOf(uint64_t hash) const { return int(hash >> (64 - PartitionBits)); }
    // more[p]: how many markings may come into partition p; `workers` share
    // the re-hashing, each its partitions.
    void Reserve(const int64_t *more, int workers);
    // Grows by `count` markings; answers the index of the first.
    int64_t Extend(int64_t count);
    void Place(int64_t slot, uint32_t index, const uint8_t *packed, uint64_t hash)
    {
        std::memcpy(Data.At(index), packed, size_t(Stride()));
        Slots[size_t(slot)] = index | Tag(hash);
        ++PartCount[PartitionOf(hash)];
    }
    // The slot claimed for a new marking, or -1 when the marking is there.
    template<typename TClaimed>
    int64_t ClaimSlot(const uint8_t *packed, uint64_t hash, uint32_t ordinal, const TClaimed &claimed);
    uint32_t Settle(int64_t slot, const uint8_t *packed, uint64_t hash);

    int64_t MemoryBytes() const { return Data.MemoryBytes() + int64_t(Slots.Size()) * 4; }

private:
    void Rehash(size_t slotCount);
    // Re-hashes the markings of the partitions that fall to one worker.
    void RehashPartitions(int worker, int workers);
    uint32_t Tag(uint64_t hash) const { return uint32_t(hash >> 28) & ~IndexMask; }
    uint64_t Home(uint64_t hash) const
    {
        return (uint64_t(PartitionOf(hash)) << PartShift) | (hash & PartMask);
    }
    uint64_t Next(uint64_t i) const { return (i & ~PartMask) | ((i + 1) & PartMask); }
    void Repack(int bits);
    // Whether a partition this full (with `more` to come) needs more slots:
    // probing never wraps round a full one.
    bool Crowded(int64_t count, int64_t more) const
    {
        return uint64_t(count + more) * 8 > (PartMask + 1) * 7;
    }

    static constexpr uint32_t Empty = UINT32_MAX;
    int Places = 0;
    int CountBits = 1;
    int PerWord = 64;
    int WordCount = 1;
    TBlockArray<uint64_t> Data;
    THugeArray<uint32_t> Slots;
    int PartShift = 0;
    uint64_t PartMask = 0;
    uint32_t IndexMask = UINT32_MAX;
    int64_t PartCount[Partitions] = {};
};

template<typename TClaimed>
int64_t TMarkingStore::ClaimSlot(const uint8_t *packed, uint64_t hash, uint32_t ordinal, const TClaimed &claimed)
{
    const uint32_t tag = Tag(hash);
    const uint32_t temporary = uint32_t(Data.Size());
    for (uint64_t i = Home(hash);; i = Next(i)) {
        const uint32_t slot = Slots[i];
        if (slot == Empty) {
            Slots[i] = (temporary + ordinal) | tag;
            return int64_t(i);
        }
        if ((slot & ~IndexMask) != tag)
            continue;
        const uint32_t index = slot & IndexMask;
        if (Equal(index < temporary ? At(index) : claimed(index - temporary), packed))
            return -1;
    }
}
