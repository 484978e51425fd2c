// A level of the breadth-first search shared between several workers, with
// the same states, numbering and parent links as one worker.

#include "Reachability.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>
#include <utility>

namespace {

// Parents per run a worker takes at a time: small enough to share a level
// evenly, large enough that taking one costs nothing.
constexpr int64_t ChunkStates = 1024;

} // namespace

bool TReachability::TRunSet::Add(const uint64_t *marking, size_t words, uint64_t hash)
{
    if (words == 1) {
        if (hash == 0)
            return !std::exchange(ZeroSeen, true);
        if (Used.size() * 2 >= Hashes.size()) {
            std::vector<uint64_t> old(std::max<size_t>(size_t(1) << 14, Hashes.size() * 2), 0);
            old.swap(Hashes);
            Used.clear();
            const size_t mask = Hashes.size() - 1;
            for (uint64_t h : old)
                if (h != 0) {
                    size_t i = h & mask;
                    while (Hashes[i] != 0)
                        i = (i + 1) & mask;
                    Hashes[i] = h;
                    Used.push_back(uint32_t(i));
                }
        }
        const size_t mask = Hashes.size() - 1;
        size_t i = hash & mask;
        for (; Hashes[i] != 0; i = (i + 1) & mask)
            if (Hashes[i] == hash)
                return false;
        Hashes[i] = hash;
        Used.push_back(uint32_t(i));
        return true;
    }
    if (Refs.size() * 2 >= Table.size()) {
        Table.assign(std::max<size_t>(size_t(1) << 14, Table.size() * 2), 0);
        const size_t mask = Table.size() - 1;
        for (size_t r = 0; r < Refs.size(); ++r) {
            size_t i = Refs[r].Hash & mask;
            while (Table[i] != 0)
                i = (i + 1) & mask;
            Table[i] = uint32_t(r + 1);
            Refs[r].Slot = i;
        }
    }
    const size_t mask = Table.size() - 1;
    size_t i = hash & mask;
    for (; Table[i] != 0; i = (i + 1) & mask) {
        const size_t r = Table[i] - 1;
        if (Refs[r].Hash == hash && std::memcmp(Words.data() + r * words, marking, words * 8) == 0)
            return false;
    }
    Table[i] = uint32_t(Refs.size() + 1);
    Refs.push_back({hash, i});
    Words.insert(Words.end(), marking, marking + words);
    return true;
}

void TReachability::TRunSet::Clear()
{
    for (uint32_t i : Used)
        Hashes[i] = 0;
    Used.clear();
    ZeroSeen = false;
    for (const TRef &ref : Refs)
        Table[ref.Slot] = 0;
    Refs.clear();
    Words.clear();
}

void TReachability::ExpandChunk(int64_t begin, int64_t end, int workers, TChunk &chunk, std::vector<uint8_t> &fired,
                                TPending &q, TRunSet &seen, TRecent &recent) const
{
    const int places = Net.PlaceCount();
    const size_t words = size_t(Store.Words());
    std::vector<int32_t> cur(size_t(places) + 1), enabled;
    chunk.Groups.resize(size_t(workers));
    const auto lookUp = [&](size_t k) {
        const uint64_t hash = q.Hashes[k];
        const uint64_t *target = q.Words.data() + k * words;
        if (!seen.Add(target, words, hash))
            return true;
        if (Store.Find(reinterpret_cast<const uint8_t *>(target), hash) >= 0) {
            recent.Note(hash);
            return true;
        }
        TGroup &g = chunk.Groups[size_t(Store.PartitionOf(hash) % workers)];
        g.Words.insert(g.Words.end(), target, target + words);
        g.Hashes.push_back(hash);
        g.Parents.push_back(q.Parents[k]);
        g.Transitions.push_back(q.Transitions[k]);
        g.Order.push_back(chunk.Count++);
        ++chunk.More[Store.PartitionOf(hash)];
        return true;
    };
    q.Clear();
    seen.Clear();
    for (int64_t i = begin; i < end; ++i) {
        bool wide = false;
        chunk.MaxTotal = std::max(chunk.MaxTotal, EnabledAt(i, cur, enabled, wide));
        if (enabled.empty() && chunk.DeadCount++ == 0)
            chunk.FirstDead = i;
        chunk.Firings += int64_t(enabled.size());
        for (int32_t t : enabled)
            fired[t] = 1;
        if (wide) {
            chunk.NeedsWiderCounts = true;
            return;
        }
        PackTargets(i, enabled, q, words == 1 ? &recent : nullptr);
        Advance(q, false, lookUp);
    }
    Advance(q, true, lookUp);
}

void TReachability::ClaimPartitions(const std::vector<TChunk> &chunks, int worker, std::vector<TClaim> &claims)
{
    // Only this worker touches the slots of its partitions, and it meets the
    // candidates in the order one worker would: the first claim of a marking
    // is the one a single worker would have added.
    const size_t words = size_t(Store.Words());
    const auto claimed = [&](uint32_t ordinal) {
        const TClaim &c = claims[ordinal];
        return reinterpret_cast<const uint8_t *>(chunks[c.Chunk].Groups[size_t(worker)].Words.data()
                                                 + c.Candidate * words);
    };
    for (size_t k = 0; k < chunks.size(); ++k) {
        const TGroup &g = chunks[k].Groups[size_t(worker)];
        const size_t count = g.Hashes.size();
        for (size_t c = 0; c < count; ++c) {
            if (c + 8 < count)
                Store.Prefetch(g.Hashes[c + 8]);
            const uint8_t *packed = reinterpret_cast<const uint8_t *>(g.Words.data() + c * words);
            const int64_t slot = Store.ClaimSlot(packed, g.Hashes[c], uint32_t(claims.size()), claimed);
            if (slot >= 0)
                claims.push_back({uint32_t(k), uint32_t(c), slot});
        }
    }
}

bool TReachability::ExpandInParallel(int64_t begin, int64_t end, int workers, const TSearchLimits &limits,
                                     TStep &step, QString *stopReason)
{
    // Expanding: the store is only read while the workers run.
    std::vector<TChunk> chunks(size_t((end - begin + ChunkStates - 1) / ChunkStates));
    std::vector<std::vector<uint8_t>> fired(size_t(workers), std::vector<uint8_t>(Fired.size(), 0));
    std::atomic<size_t> nextChunk{0};
    std::atomic<bool> stop{false};
    auto expand = [&](int w) {
        TPending q;
        TRunSet seen;
        TRecent recent;
        if (Store.Words() == 1)
            recent.Reset(Store.Hash(Store.At(0)));
        for (size_t k; !stop.load(std::memory_order_relaxed) && (k = nextChunk++) < chunks.size();) {
            const int64_t from = begin + int64_t(k) * ChunkStates;
            ExpandChunk(from, std::min(end, from + ChunkStates), workers, chunks[k], fired[size_t(w)], q, seen,
                        recent);
            if (chunks[k].NeedsWiderCounts
                || (limits.Options.Cancel && limits.Options.Cancel->load(std::memory_order_relaxed)))
                stop = true;
        }
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w)
        threads.emplace_back(expand, w);
    expand(0);
    for (std::thread &thread : threads)
        thread.join();
    threads.clear();

    int64_t candidates = 0, buffers = 0;
    int64_t more[TMarkingStore::Partitions] = {};
    for (const TChunk &chunk : chunks) {
        if (chunk.NeedsWiderCounts)
            return false;
        candidates += chunk.Count;
        for (const TGroup &g : chunk.Groups)
            buffers += int64_t(g.Words.capacity()) * 8 + int64_t(g.Hashes.capacity()) * 24;
        for (int p = 0; p < TMarkingStore::Partitions; ++p)
            more[p] += chunk.More[p];
    }
    // Near the state limit one worker finds exactly where it is reached.
    const int64_t maxStates = std::clamp<int64_t>(limits.Options.MaxStates, 1, UINT32_MAX - 2);
    if (Store.Size() + candidates > maxStates)
        return false;
    step = TStep::Go;
    QString reason = limits.Check(MemoryBytes() + buffers);
    if (stop || !reason.isEmpty()) {
        *stopReason = reason.isEmpty() ? limits.Check(0) : reason;
        step = TStep::Stop;
        return true;
    }
    for (const TChunk &chunk : chunks) {
        Firings += chunk.Firings;
        if (FirstDead < 0 && chunk.FirstDead >= 0)
            FirstDead = chunk.FirstDead;
        DeadCount += chunk.DeadCount;
        MaxTotal = std::max(MaxTotal, chunk.MaxTotal);
    }
    for (const std::vector<uint8_t> &f : fired)
        for (size_t t = 0; t < Fired.size(); ++t)
            Fired[t] |= f[t];
    limits.Report(Store.Size(), Firings);

    // Adding: each worker claims slots in its own partitions.
    Store.Reserve(more, workers);
    std::vector<std::vector<TClaim>> claims(static_cast<size_t>(workers));
    for (int w = 1; w < workers; ++w)
        threads.emplace_back([this, &chunks, &claims, w] { ClaimPartitions(chunks, w, claims[w]); });
    ClaimPartitions(chunks, 0, claims[0]);
    for (std::thread &thread : threads)
        thread.join();
    threads.clear();

    // Numbering: the claims of all workers merged in the order found; each
    // worker then puts its markings under their indices.
    AncestorBudget += 64 * (end - begin);
    size_t added = 0;
    for (const std::vector<TClaim> &list : claims)
        added += list.size();
    const int64_t first = Store.Extend(int64_t(added));
    std::vector<size_t> head(static_cast<size_t>(workers), 0);
    const auto orderOf = [&chunks](const TClaim &c, int w) {
        return std::pair(c.Chunk, chunks[c.Chunk].Groups[size_t(w)].Order[c.Candidate]);
    };
    const size_t words = size_t(Store.Words());
    for (int64_t index = first;; ++index) {
        int best = -1;
        for (int w = 0; w < workers; ++w)
            if (head[w] < claims[w].size()
                && (best < 0 || orderOf(claims[w][head[w]], w) < orderOf(claims[best][head[best]], best)))
                best = w;
        if (best < 0)
            break;
        TClaim &c = claims[best][head[best]++];
        c.Index = uint32_t(index);
        const TGroup &g = chunks[c.Chunk].Groups[size_t(best)];
        const uint8_t *packed = reinterpret_cast<const uint8_t *>(g.Words.data() + c.Candidate * words);
        if (NoteAdded(g.Parents[c.Candidate], g.Transitions[c.Candidate], packed)) {
            step = TStep::Unbounded;
            return true;
        }
    }
    const auto place = [this, &chunks, &claims, words](int w) {
        for (const TClaim &c : claims[w]) {
            const TGroup &g = chunks[c.Chunk].Groups[size_t(w)];
            Store.Place(c.Slot, c.Index, reinterpret_cast<const uint8_t *>(g.Words.data() + c.Candidate * words),
                        g.Hashes[c.Candidate]);
        }
    };
    for (int w = 1; w < workers; ++w)
        threads.emplace_back(place, w);
    place(0);
    for (std::thread &thread : threads)
        thread.join();
    Expanded = end;
    reason = limits.Check(MemoryBytes());
    if (!reason.isEmpty()) {
        *stopReason = reason;
        step = TStep::Stop;
    }
    return true;
}
