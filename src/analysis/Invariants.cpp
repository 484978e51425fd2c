#include "Invariants.h"

#include "Analysis.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

namespace {

using TSparse = std::vector<std::pair<int32_t, int64_t>>;

// One row of the Farkas tableau: the remaining constraint part C and the
// combination X of original rows it stands for; X's indices are its support.
struct TRow
{
    TSparse C;
    TSparse X;
};

int64_t ValueAt(const TSparse &v, int32_t index)
{
    auto it = std::lower_bound(v.begin(), v.end(), index,
                               [](const std::pair<int32_t, int64_t> &e, int32_t i) { return e.first < i; });
    return it != v.end() && it->first == index ? it->second : 0;
}

// a·x + b·y, false on overflow.
bool Combine(const TSparse &x, int64_t a, const TSparse &y, int64_t b, TSparse &out)
{
    out.clear();
    size_t i = 0, j = 0;
    while (i < x.size() || j < y.size()) {
        int32_t index;
        int64_t u = 0, w = 0;
        if (j == y.size() || (i < x.size() && x[i].first < y[j].first)) {
            index = x[i].first;
            u = x[i++].second;
        } else if (i == x.size() || y[j].first < x[i].first) {
            index = y[j].first;
            w = y[j++].second;
        } else {
            index = x[i].first;
            u = x[i++].second;
            w = y[j++].second;
        }
        int64_t p, q, s;
        if (__builtin_mul_overflow(u, a, &p) || __builtin_mul_overflow(w, b, &q) || __builtin_add_overflow(p, q, &s))
            return false;
        if (s != 0)
            out.push_back({index, s});
    }
    return true;
}

int64_t Gcd(const TSparse &v, int64_t g)
{
    for (const auto &e : v)
        g = std::gcd(g, e.second < 0 ? -e.second : e.second);
    return g;
}

// Whether the support of a lies within the support of b.
bool IsSubset(const TSparse &a, const TSparse &b)
{
    if (a.size() > b.size())
        return false;
    size_t j = 0;
    for (const auto &e : a) {
        while (j < b.size() && b[j].first < e.first)
            ++j;
        if (j == b.size() || b[j].first != e.first)
            return false;
    }
    return true;
}

// Rows whose support strictly contains another row's support never lead to
// a minimal invariant; dropping them keeps the tableau small. Rows kept from
// the previous step (before `first`) were minimal among themselves and no new
// row's support lies strictly inside theirs, so only new rows are tested,
// each against the rows whose smallest index lies in its support.
QString KeepMinimal(std::vector<TRow> &rows, size_t first, int variables, const TStopCheck &stop)
{
    std::vector<std::vector<uint32_t>> bySmallest(static_cast<size_t>(variables));
    for (size_t r = 0; r < rows.size(); ++r)
        if (!rows[r].X.empty())
            bySmallest[rows[r].X.front().first].push_back(uint32_t(r));
    std::vector<bool> drop(rows.size(), false);
    for (size_t r = first; r < rows.size(); ++r) {
        if ((r & 63) == 0) {
            const QString reason = stop();
            if (!reason.isEmpty())
                return reason;
        }
        for (size_t k = 0; k < rows[r].X.size() && !drop[r]; ++k)
            for (uint32_t s : bySmallest[rows[r].X[k].first]) {
                if (s == r || drop[s] || !IsSubset(rows[s].X, rows[r].X))
                    continue;
                // Equal supports: drop only an exact duplicate (the later one).
                if (rows[s].X.size() == rows[r].X.size())
                    drop[r] = s < r && rows[s].X == rows[r].X && rows[s].C == rows[r].C;
                else
                    drop[r] = true;
                if (drop[r])
                    break;
            }
    }
    size_t kept = 0;
    for (size_t r = 0; r < rows.size(); ++r)
        if (!drop[r]) {
            if (kept != r)
                rows[kept] = std::move(rows[r]);
            ++kept;
        }
    rows.resize(kept);
    return {};
}

// Semi-positive x with x·M = 0 for a matrix M of `variables` rows and
// `constraints` columns, given by its columns' sparse entries per row.
TInvariantSet Farkas(const std::vector<TSparse> &matrix, int variables, int constraints, int maxRows,
                     const TStopCheck &stop)
{
    TInvariantSet result;
    std::vector<TRow> rows(static_cast<size_t>(variables));
    for (int v = 0; v < variables; ++v) {
        rows[v].C = matrix[v];
        rows[v].X = {{v, 1}};
    }
    std::vector<bool> done(size_t(constraints), false);
    for (int step = 0; step < constraints; ++step) {
        result.Reason = stop();
        if (!result.Reason.isEmpty())
            return result;
        // Eliminate the column that makes the fewest new rows first.
        int column = -1;
        int64_t best = -1;
        std::vector<int64_t> positive(size_t(constraints), 0), negative(size_t(constraints), 0);
        for (const TRow &row : rows)
            for (const auto &e : row.C)
                ++(e.second > 0 ? positive : negative)[e.first];
        for (int c = 0; c < constraints; ++c) {
            if (done[c])
                continue;
            const int64_t cost = positive[c] * negative[c] - positive[c] - negative[c];
            if (column < 0 || cost < best) {
                column = c;
                best = cost;
            }
        }
        done[column] = true;
        std::vector<TRow> next;
        std::vector<size_t> pos, neg;
        for (size_t r = 0; r < rows.size(); ++r) {
            const int64_t v = ValueAt(rows[r].C, column);
            if (v == 0)
                next.push_back(std::move(rows[r]));
            else
                (v > 0 ? pos : neg).push_back(r);
        }
        const size_t first = next.size();
        for (size_t a : pos)
            for (size_t b : neg) {
                const int64_t va = ValueAt(rows[a].C, column), vb = -ValueAt(rows[b].C, column);
                const int64_t g = std::gcd(va, vb);
                TRow row;
                if (!Combine(rows[a].C, vb / g, rows[b].C, va / g, row.C)
                    || !Combine(rows[a].X, vb / g, rows[b].X, va / g, row.X)) {
                    result.Reason = QStringLiteral("переполнение целых чисел: коэффициенты не помещаются в 64 бита");
                    return result;
                }
                const int64_t d = Gcd(row.C, Gcd(row.X, 0));
                if (d > 1) {
                    for (auto &e : row.C)
                        e.second /= d;
                    for (auto &e : row.X)
                        e.second /= d;
                }
                next.push_back(std::move(row));
                if ((next.size() & 255) == 0) {
                    result.Reason = stop();
                    if (!result.Reason.isEmpty())
                        return result;
                }
                if (int(next.size()) > maxRows) {
                    result.Reason = QStringLiteral("слишком много промежуточных строк (больше %1)").arg(maxRows);
                    return result;
                }
            }
        result.Reason = KeepMinimal(next, first, variables, stop);
        if (!result.Reason.isEmpty())
            return result;
        rows = std::move(next);
    }
    for (const TRow &row : rows) {
        QList<qint64> vector(variables, 0);
        for (const auto &e : row.X)
            vector[e.first] = e.second;
        result.Vectors << vector;
    }
    std::sort(result.Vectors.begin(), result.Vectors.end(), std::greater<>());
    result.Complete = true;
    return result;
}

void NoteCoverage(TInvariantSet &set, int variables)
{
    std::vector<bool> covered(size_t(variables), false);
    for (const QList<qint64> &v : set.Vectors)
        for (int k = 0; k < variables; ++k)
            covered[k] = covered[k] || v[k] != 0;
    for (int k = 0; k < variables; ++k)
        if (!covered[k])
            set.Uncovered << k;
    if (set.Uncovered.isEmpty())
        set.Covered = {TVerdict::Yes, {}};
    else if (set.Complete)
        set.Covered = {TVerdict::No, {}};
    else
        set.Covered = {TVerdict::Unknown, set.Reason};
}

} // namespace

TInvariantSet PlaceInvariantsWithin(const QList<QList<qint64>> &incidence, int transitions, int maxRows,
                                    const TStopCheck &stop)
{
    const int places = int(incidence.size());
    std::vector<TSparse> rows(static_cast<size_t>(places));
    for (int p = 0; p < places; ++p)
        for (int t = 0; t < transitions; ++t)
            if (incidence[p][t] != 0)
                rows[p].push_back({t, incidence[p][t]});
    TInvariantSet set = Farkas(rows, places, transitions, maxRows, stop);
    NoteCoverage(set, places);
    return set;
}

TInvariantSet TransitionInvariantsWithin(const QList<QList<qint64>> &incidence, int transitions, int maxRows,
                                         const TStopCheck &stop)
{
    const int places = int(incidence.size());
    std::vector<TSparse> rows(static_cast<size_t>(transitions));
    for (int p = 0; p < places; ++p)
        for (int t = 0; t < transitions; ++t)
            if (incidence[p][t] != 0)
                rows[t].push_back({p, incidence[p][t]});
    TInvariantSet set = Farkas(rows, transitions, places, maxRows, stop);
    NoteCoverage(set, transitions);
    return set;
}

namespace {

TStopCheck CancelCheck(const std::atomic<bool> *cancel)
{
    return [cancel] {
        return cancel && cancel->load(std::memory_order_relaxed) ? QStringLiteral("вычисление прервано") : QString();
    };
}

int TransitionsOf(const QList<QList<qint64>> &incidence)
{
    return incidence.isEmpty() ? 0 : int(incidence[0].size());
}

} // namespace

TInvariantSet PlaceInvariants(const QList<QList<qint64>> &incidence, int maxRows, const std::atomic<bool> *cancel)
{
    return PlaceInvariantsWithin(incidence, TransitionsOf(incidence), maxRows, CancelCheck(cancel));
}

TInvariantSet TransitionInvariants(const QList<QList<qint64>> &incidence, int maxRows,
                                   const std::atomic<bool> *cancel)
{
    return TransitionInvariantsWithin(incidence, TransitionsOf(incidence), maxRows, CancelCheck(cancel));
}
