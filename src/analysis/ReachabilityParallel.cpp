// A level of the breadth-first search shared between several workers, with
// the same states, numbering and parent links as one worker.

#include "Reachability.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>

namespace {

// Parents per run a worker takes at a time: small enough to share a level
// evenly, large enough that taking one costs nothing.
constexpr int64_t ChunkStates = 2048;

} // namespace

void TReachability::ExpandChunk(int64_t begin, int64_t end, TChunk &chunk, std::vector<uint8_t> &fired,
                                TPending &q) const
{
    const int places = Net.PlaceCount();
    const size_t words = size_t(Store.Words());
    const int64_t limit = Store.WidthLimit();
    std::vector<int32_t> cur(size_t(places) + 1), enabled;
    const auto lookUp = [&](size_t k) {
        const uint64_t *target = q.Words.data() + k * words;
        if (Store.Find(reinterpret_cast<const uint8_t *>(target), q.Hashes[k]) < 0) {
            chunk.Words.insert(chunk.Words.end(), target, target + words);
            chunk.Hashes.push_back(q.Hashes[k]);
            chunk.Parents.push_back(q.Parents[k]);
            chunk.Transitions.push_back(q.Transitions[k]);
            ++chunk.More[Store.PartitionOf(q.Hashes[k])];
        }
        return true;
    };
    q.Clear();
    for (int64_t i = begin; i < end; ++i) {
        Store.Unpack(i, cur.data());
        chunk.MaxTotal = std::max(chunk.MaxTotal, std::accumulate(cur.begin(), cur.begin() + places, int64_t(0)));
        Net.EnabledIn(cur.data(), enabled, limit);
        if (enabled.empty() && chunk.DeadCount++ == 0)
            chunk.FirstDead = i;
        chunk.Firings += int64_t(enabled.size());
        for (int32_t t : enabled) {
            fired[t] = 1;
            const int32_t *pl = Net.EffectPlaces(t);
            const int64_t *d = Net.EffectDeltas(t);
            for (int k = 0; k < Net.EffectCount(t); ++k)
                if (cur[pl[k]] + d[k] > limit) {
                    chunk.NeedsWiderCounts = true;
                    return;
                }
        }
        PackTargets(i, enabled, q);
        Advance(q, false, lookUp);
    }
    Advance(q, true, lookUp);
}

void TReachability::ClaimPartitions(const std::vector<TChunk> &chunks, int worker, int workers,
                                    std::vector<TClaim> &claims)
{
    // Only this worker touches the slots of its partitions, and it meets the
    // candidates in the order one worker would: the first claim of a marking
    // is the one a single worker would have added.
    const size_t words = size_t(Store.Words());
    const auto claimed = [&](uint32_t ordinal) {
        const TClaim &c = claims[ordinal];
        return reinterpret_cast<const uint8_t *>(chunks[c.Chunk].Words.data() + c.Candidate * words);
    };
    for (size_t k = 0; k < chunks.size(); ++k) {
        const TChunk &chunk = chunks[k];
        const size_t count = chunk.Hashes.size();
        for (size_t c = 0; c < count; ++c) {
            if (c + 8 < count)
                Store.Prefetch(chunk.Hashes[c + 8]);
            const uint64_t hash = chunk.Hashes[c];
            if (Store.PartitionOf(hash) % workers != worker)
                continue;
            const uint8_t *packed = reinterpret_cast<const uint8_t *>(chunk.Words.data() + c * words);
            const int64_t slot = Store.ClaimSlot(packed, hash, uint32_t(claims.size()), claimed);
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
        for (size_t k; !stop.load(std::memory_order_relaxed) && (k = nextChunk++) < chunks.size();) {
            const int64_t from = begin + int64_t(k) * ChunkStates;
            ExpandChunk(from, std::min(end, from + ChunkStates), chunks[k], fired[size_t(w)], q);
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
        candidates += int64_t(chunk.Hashes.size());
        buffers += int64_t(chunk.Words.capacity()) * 8 + int64_t(chunk.Hashes.capacity()) * 16;
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
    Store.Reserve(more);
    std::vector<std::vector<TClaim>> claims(static_cast<size_t>(workers));
    for (int w = 1; w < workers; ++w)
        threads.emplace_back([this, &chunks, &claims, w, workers] { ClaimPartitions(chunks, w, workers, claims[w]); });
    ClaimPartitions(chunks, 0, workers, claims[0]);
    for (std::thread &thread : threads)
        thread.join();

    // Numbering: the claims of all workers merged in the order found.
    AncestorBudget += 64 * (end - begin);
    std::vector<size_t> head(static_cast<size_t>(workers), 0);
    const size_t words = size_t(Store.Words());
    for (;;) {
        int best = -1;
        for (int w = 0; w < workers; ++w) {
            if (head[w] == claims[w].size())
                continue;
            const TClaim &c = claims[w][head[w]];
            if (best < 0 || std::pair(c.Chunk, c.Candidate) < std::pair(claims[best][head[best]].Chunk,
                                                                         claims[best][head[best]].Candidate))
                best = w;
        }
        if (best < 0)
            break;
        const TClaim &c = claims[best][head[best]++];
        const TChunk &chunk = chunks[c.Chunk];
        const uint8_t *packed = reinterpret_cast<const uint8_t *>(chunk.Words.data() + c.Candidate * words);
        Store.Settle(c.Slot, packed, chunk.Hashes[c.Candidate]);
        if (NoteAdded(chunk.Parents[c.Candidate], chunk.Transitions[c.Candidate], packed)) {
            step = TStep::Unbounded;
            return true;
        }
    }
    Expanded = end;
    reason = limits.Check(MemoryBytes());
    if (!reason.isEmpty()) {
        *stopReason = reason;
        step = TStep::Stop;
    }
    return true;
}
