#include "MarkingStore.h"

#include <algorithm>
#include <bit>
#include <thread>

#include <sys/mman.h>

namespace {

constexpr int MinSlotsPerPartition = 64;

int WordsFor(int places, int perWord)
{
    // A net without places still has one (empty) marking: one zero word.
    return std::max(1, (places + perWord - 1) / perWord);
}

constexpr size_t HugePage = size_t(1) << 21;

} // namespace

void *AllocateHuge(size_t size, size_t &bytes)
{
    if (size < HugePage) {
        bytes = 0;
        return ::operator new(std::max<size_t>(size, 1));
    }
    // Map one huge page more than needed and cut the start to a huge page
    // boundary, so every page of the array can be huge.
    const size_t rounded = (size + HugePage - 1) / HugePage * HugePage, mapped = rounded + HugePage;
    void *map = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED)
        throw std::bad_alloc();
    const uintptr_t at = uintptr_t(map), aligned = (at + HugePage - 1) & ~uintptr_t(HugePage - 1);
    if (aligned > at)
        munmap(map, aligned - at);
    if (at + mapped > aligned + rounded)
        munmap(reinterpret_cast<void *>(aligned + rounded), at + mapped - aligned - rounded);
    madvise(reinterpret_cast<void *>(aligned), rounded, MADV_HUGEPAGE);
    bytes = rounded;
    return reinterpret_cast<void *>(aligned);
}

void FreeHuge(void *base, size_t bytes)
{
    if (!base)
        return;
    if (bytes == 0)
        ::operator delete(base);
    else
        munmap(base, bytes);
}

TMarkingStore::TMarkingStore(int places, int64_t maxMarkings)
    : Places(places)
    , WordCount(WordsFor(places, 64))
    , Data(WordsFor(places, 64))
{
    // The index needs enough bits for every marking plus the empty mark.
    int bits = 16;
    while (bits < 32 && (int64_t(1) << bits) <= maxMarkings + 1)
        ++bits;
    IndexMask = bits == 32 ? UINT32_MAX : (uint32_t(1) << bits) - 1;
    Rehash(size_t(Partitions) * MinSlotsPerPartition);
}

void TMarkingStore::Pack(const int32_t *marking, uint8_t *out) const
{
    for (int w = 0; w < WordCount; ++w) {
        uint64_t word = 0;
        const int first = w * PerWord, last = std::min(Places, first + PerWord);
        for (int p = first; p < last; ++p)
            word |= uint64_t(uint32_t(marking[p])) << ((p - first) * CountBits);
        std::memcpy(out + 8 * w, &word, 8);
    }
}

void TMarkingStore::UnpackFrom(const uint8_t *in, int32_t *marking) const
{
    const uint64_t mask = uint64_t(WidthLimit());
    for (int w = 0; w < WordCount; ++w) {
        uint64_t word;
        std::memcpy(&word, in + 8 * w, 8);
        const int first = w * PerWord, last = std::min(Places, first + PerWord);
        for (int p = first; p < last; ++p, word >>= CountBits)
            marking[p] = int32_t(word & mask);
    }
}

uint32_t TMarkingStore::Insert(const uint8_t *packed, uint64_t hash, bool &added)
{
    const uint32_t tag = Tag(hash);
    for (uint64_t i = Home(hash);; i = Next(i)) {
        const uint32_t slot = Slots[i];
        if (slot == Empty) {
            added = true;
            return Settle(int64_t(i), packed, hash);
        }
        if ((slot & ~IndexMask) == tag && Equal(At(slot & IndexMask), packed)) {
            added = false;
            return slot & IndexMask;
        }
    }
}

uint32_t TMarkingStore::Settle(int64_t slot, const uint8_t *packed, uint64_t hash)
{
    const uint32_t index = uint32_t(Data.Size());
    std::memcpy(Data.Append(), packed, size_t(Stride()));
    Slots[size_t(slot)] = index | Tag(hash);
    // Linear probing stays short below half full.
    const int part = PartitionOf(hash);
    if (uint64_t(Data.Size()) * 2 > uint64_t(Slots.Size()) || Crowded(++PartCount[part], 0))
        Rehash(Slots.Size() * 2);
    return index;
}

int64_t TMarkingStore::Find(const uint8_t *packed, uint64_t hash) const
{
    const uint32_t tag = Tag(hash);
    for (uint64_t i = Home(hash);; i = Next(i)) {
        const uint32_t slot = Slots[i];
        if (slot == Empty)
            return -1;
        if ((slot & ~IndexMask) == tag && Equal(At(slot & IndexMask), packed))
            return slot & IndexMask;
    }
}

void TMarkingStore::Reserve(const int64_t *more, int workers)
{
    int64_t total = 0;
    for (int p = 0; p < Partitions; ++p)
        total += more[p];
    size_t slots = Slots.Size();
    for (;;) {
        const uint64_t perPartition = slots >> PartitionBits;
        bool crowded = uint64_t(Data.Size() + total) * 2 > uint64_t(slots);
        for (int p = 0; p < Partitions && !crowded; ++p)
            crowded = uint64_t(PartCount[p] + more[p]) * 8 > perPartition * 7;
        if (!crowded)
            break;
        slots *= 2;
    }
    if (slots == Slots.Size())
        return;
    if (workers < 2) {
        Rehash(slots);
        return;
    }
    Slots.Assign(slots, Empty);
    PartShift = std::countr_zero(slots) - PartitionBits;
    PartMask = (uint64_t(1) << PartShift) - 1;
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w)
        threads.emplace_back([this, w, workers] { RehashPartitions(w, workers); });
    RehashPartitions(0, workers);
    for (std::thread &thread : threads)
        thread.join();
}

void TMarkingStore::RehashPartitions(int worker, int workers)
{
    for (int p = worker; p < Partitions; p += workers)
        PartCount[p] = 0;
    // The markings are read in order, the slots at random: the slot of a
    // marking some places on is fetched while this one is put.
    constexpr int64_t Ahead = 16;
    uint64_t ahead[Ahead];
    const int64_t count = Data.Size();
    const auto fetch = [&](int64_t k) {
        const uint64_t hash = Hash(At(k));
        ahead[k % Ahead] = hash;
        if (PartitionOf(hash) % workers == worker)
            __builtin_prefetch(Slots.Data() + Home(hash), 1);
    };
    for (int64_t k = 0; k < std::min(count, Ahead); ++k)
        fetch(k);
    for (int64_t k = 0; k < count; ++k) {
        const uint64_t hash = ahead[k % Ahead];
        if (k + Ahead < count)
            fetch(k + Ahead);
        const int part = PartitionOf(hash);
        if (part % workers != worker)
            continue;
        ++PartCount[part];
        uint64_t i = Home(hash);
        while (Slots[i] != Empty)
            i = Next(i);
        Slots[i] = uint32_t(k) | Tag(hash);
    }
}

int64_t TMarkingStore::Extend(int64_t count)
{
    const int64_t first = Data.Size();
    Data.Resize(first + count);
    return first;
}

void TMarkingStore::Rehash(size_t slotCount)
{
    Slots.Assign(slotCount, Empty);
    PartShift = std::countr_zero(slotCount) - PartitionBits;
    PartMask = (uint64_t(1) << PartShift) - 1;
    RehashPartitions(0, 1);
}

void TMarkingStore::WidenFor(int64_t count)
{
    const int bits = std::max(CountBits, int(std::bit_width(uint64_t(std::max<int64_t>(count, 1)))));
    if (bits != CountBits)
        Repack(std::min(bits, 31));
}

void TMarkingStore::Repack(int bits)
{
    TBlockArray<uint64_t> old = std::move(Data);
    const int oldBits = CountBits, oldWords = WordCount, oldPerWord = PerWord;
    CountBits = bits;
    PerWord = 64 / bits;
    WordCount = WordsFor(Places, PerWord);
    Data = TBlockArray<uint64_t>(WordCount);
    std::vector<int32_t> marking(size_t(Places) + 1);
    const uint64_t oldMask = (uint64_t(1) << oldBits) - 1;
    for (int64_t k = 0; k < old.Size(); ++k) {
        const uint64_t *in = old.At(k);
        for (int w = 0; w < oldWords; ++w) {
            uint64_t word = in[w];
            const int first = w * oldPerWord, last = std::min(Places, first + oldPerWord);
            for (int p = first; p < last; ++p, word >>= oldBits)
                marking[p] = int32_t(word & oldMask);
        }
        Pack(marking.data(), reinterpret_cast<uint8_t *>(Data.Append()));
    }
    Rehash(Slots.Size());
}
