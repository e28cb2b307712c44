// Hole path order. Tried naively every start costs a scan of all holes per step, cubic in the holes of a
// view; here each step asks a point index for the holes near the nearest one (mostly answered from each
// hole's list of nearest neighbours), a start is given up as soon as it cannot beat the best total found
// (its length so far plus a lower bound of the rest) or once it meets a state that an earlier start reached
// no longer (walk_states.h), and large sets try their starts on several threads.
// The path chosen is the same as the plain search's: the rule of a step is one function, totals are summed
// in path order, and the path kept is the earliest start whose total ties with the least.
#include "plugin/services/tooling.h"
#include "plugin/tooling/hole_path.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "platform/sys/clock.h"
#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/tooling/equal_holes.h"
#include "plugin/tooling/nearest_index.h"
#include "plugin/tooling/walk_states.h"

double hole_path::distanceTie() { return g_tolerances.tol04T; }

int compareNearestCandidates(const void* a, const void* b) {
    const auto& x = *static_cast<const NEAREST_CANDIDATE*>(a);
    const auto& y = *static_cast<const NEAREST_CANDIDATE*>(b);
    if (std::fabs(x.distance - y.distance) < hole_path::distanceTie()) {
        if (std::fabs(x.turn - y.turn) < hole_path::kAngleTie) return 0;
        return x.turn <= y.turn ? -1 : 1;
    }
    return x.distance <= y.distance ? -1 : 1;
}

namespace {

// The rule of a step over candidates that have a distance and an index and give their turn through
// `turnOf`: one body for the plain search's candidates and the point index's hits.
// `byIndex`, when given, is set when the element index decided between two candidates.
template <class CANDIDATE, class TURN>
std::int32_t chooseNearest(std::span<const CANDIDATE> candidates, double tie, TURN turnOf,
                           std::atomic<bool>* byIndex = nullptr) {
    if (candidates.empty()) return -1;
    double nearest = candidates[0].distance;
    for (const CANDIDATE& c : candidates) nearest = std::min(nearest, c.distance);
    double leastTurn = hole_path::kFullTurn;
    for (const CANDIDATE& c : candidates)
        if (std::fabs(c.distance - nearest) < tie) leastTurn = std::min(leastTurn, turnOf(c));
    auto eligible = [&](const CANDIDATE& c) {
        return std::fabs(c.distance - nearest) < tie && turnOf(c) - leastTurn < hole_path::kAngleTie;
    };
    // The nearer of what is left, and among the lengths that tie with it the lowest index: decided against
    // the least alone, so that neither the candidates' order nor their last bits change the choice.
    double nearer = hole_path::kInitialBest;
    for (const CANDIDATE& c : candidates)
        if (eligible(c)) nearer = std::min(nearer, c.distance);
    std::int32_t chosen = -1, tying = 0;
    for (std::int32_t k = 0; k < static_cast<std::int32_t>(candidates.size()); ++k) {
        const CANDIDATE& c = candidates[k];
        if (!eligible(c) || !hole_path::tiesWithLeast(c.distance, nearer)) continue;
        ++tying;
        if (chosen < 0 || c.index < candidates[chosen].index) chosen = k;
    }
    if (tying > 1 && byIndex) byIndex->store(true, std::memory_order_relaxed);
    return chosen;
}

}  // namespace

std::int32_t chooseNearestCandidate(const std::vector<NEAREST_CANDIDATE>& candidates) {
    return chooseNearest(std::span<const NEAREST_CANDIDATE>(candidates), hole_path::distanceTie(),
                         [](const NEAREST_CANDIDATE& c) { return c.turn; });
}

double stepTurn(double dx, double dy, double heading) {
    double angle = std::atan2(dy, dx);
    if (std::fabs(angle) < hole_path::kAngleTie) angle = 0;
    if (angle < 0) angle += hole_path::kFullTurn;
    if (angle > hole_path::kFullTurn) angle = 0;
    double turn = angle - heading;
    if (turn < 0) turn += hole_path::kFullTurn;
    // Straight on is no turn whichever side of the heading rounding put it.
    if (std::fabs(turn) < hole_path::kAngleTie || hole_path::kFullTurn - turn < hole_path::kAngleTie) turn = 0;
    return turn;
}

namespace {

double nextHeading(double turn, double heading) {
    double h = turn + heading;
    if (h > hole_path::kFullTurn) h -= hole_path::kFullTurn;
    if (std::fabs(h) < hole_path::kAngleTie) h = 0;
    return h;
}

}  // namespace

double findNearestNext(PATH_ELEMENT* e, std::int32_t first, std::int32_t count, std::int32_t current,
                       std::int32_t* next, std::int32_t* second, double* heading) {
    if (second) *second = -1;
    std::vector<NEAREST_CANDIDATE> candidates;
    for (std::int32_t j = first; j < first + count; ++j) {
        if (j == current || e[j].next != -1) continue;
        const double dx = e[j].point[0] - e[current].point[0];
        const double dy = e[j].point[1] - e[current].point[1];
        candidates.push_back({std::sqrt(dx * dx + dy * dy), stepTurn(dx, dy, *heading), j});
    }
    const std::int32_t k = chooseNearestCandidate(candidates);
    if (k < 0) {
        *next = -1;
        return 0;
    }
    *next = candidates[k].index;
    *heading = nextHeading(candidates[k].turn, *heading);
    return candidates[k].distance;
}

namespace {

// Most steps of a walk end among the current hole's nearest few; the point index answers those from a list.
constexpr std::int32_t kNeighbours = 24;

// The range's points as (x, y) pairs, 0-based within the range.
std::vector<double> xyOf(const PATH_ELEMENT* e, std::int32_t first, std::int32_t count) {
    std::vector<double> xy(2 * static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        xy[2 * i] = e[first + i].point[0];
        xy[2 * i + 1] = e[first + i].point[1];
    }
    return xy;
}

// The walks of one range. Point indices are 0-based within the range.
class PathSearch {
public:
    PathSearch(const PATH_ELEMENT* e, std::int32_t first, std::int32_t count)
        : count_(count), tie_(hole_path::distanceTie()) {
        std::vector<double> xy = xyOf(e, first, count);
        index_.build(xy);
        index_.buildNeighbours(kNeighbours, tie_, [](double dx, double dy) { return stepTurn(dx, dy, 0); });
        xy_ = std::move(xy);
        // Every hole still to be reached costs at least the distance to its nearest other hole.
        nearestOther_.assign(count, 0);
        for (std::int32_t i = 0; i < count; ++i) {
            const std::span<const CNearestIndex::HIT> hits = index_.nearestBand(i, tie_);
            double d = hits.empty() ? 0 : hits[0].distance;
            for (const auto& h : hits) d = std::min(d, h.distance);
            nearestOther_[i] = d;
            lowerBoundAll_ += d;
        }
    }

    // The next element of a step from `current` with `index` (its own copy for a thread); -1 for none.
    // The hits are the candidates; a hit from a neighbour list has its turn there.
    std::int32_t step(const CNearestIndex& index, std::int32_t current, double* distance,
                      std::vector<double>& turns) const {
        const std::span<const CNearestIndex::HIT> hits = index.nearestBand(current, tie_);
        if (hits.size() == 1) {   // alone in its band: no turn to compare
            *distance = hits[0].distance;
            return hits[0].index;
        }
        turns.resize(hits.size());
        for (std::size_t h = 0; h < hits.size(); ++h) {
            if (hits[h].entry >= 0) {
                turns[h] = index.pairValue(hits[h].entry);
                continue;
            }
            const double dx = xy_[2 * hits[h].index] - xy_[2 * current];
            const double dy = xy_[2 * hits[h].index + 1] - xy_[2 * current + 1];
            turns[h] = stepTurn(dx, dy, 0);
        }
        const std::int32_t k = chooseNearest(
            hits, tie_, [&](const CNearestIndex::HIT& h) { return turns[&h - hits.data()]; }, &byIndex_);
        if (k < 0) return -1;
        *distance = hits[k].distance;
        return hits[k].index;
    }

    // The total of the walk from `start`, or a negative value once it cannot be kept: once it is longer
    // than bestTotal by more than the tie, or as long as the walk from bestStart, an earlier start, or as
    // long as a walk from an earlier start at one of `states` (when given). A walk that can be kept may be
    // so only as the earliest start that ties with the least total, which none of these is.
    double walk(CNearestIndex& index, std::int32_t start, double bestTotal, std::int32_t bestStart,
                CWalkStates* states) const {
        std::vector<double> turns;
        index.reset();
        index.take(start);
        CWalkStates::KEY visited;
        if (states) states->add(visited, start);
        std::int32_t untilRecord = states ? states->every() : 0;
        double total = 0;
        double rest = lowerBoundAll_ - nearestOther_[start];
        // Far above the rounding of the sums of a walk (count ulps of a total), so that a bound or a state
        // that is beaten by more than it is surely beaten; and beyond the tie, which a total within it of
        // the least passes.
        const double margin = 1e-9 * (bestTotal + lowerBoundAll_);
        const double reach = bestTotal + hole_path::kLengthTie * bestTotal + margin;
        std::int32_t current = start;
        for (;;) {
            double d = 0;
            const std::int32_t next = step(index, current, &d, turns);
            if (next < 0) return total;
            index.prefetch(next);
            total += d;
            rest -= nearestOther_[next];
            if (total > reach || (total >= bestTotal && start > bestStart) || total + rest > reach) return -1;
            if (states) {
                states->add(visited, next);
                if (--untilRecord == 0) {
                    untilRecord = states->every();
                    if (states->beaten(visited, next, total, start, reach - bestTotal)) return -1;
                }
            }
            index.take(next);
            current = next;
        }
    }

    const CNearestIndex& index() const { return index_; }
    std::int32_t count() const { return count_; }
    // Whether a step of any walk so far was decided by the holes' places in the list.
    bool decidedByIndex() const { return byIndex_.load(); }

private:
    std::int32_t count_;
    double tie_;
    CNearestIndex index_;
    std::vector<double> xy_;
    std::vector<double> nearestOther_;
    double lowerBoundAll_ = 0;
    mutable std::atomic<bool> byIndex_{false};
};

// The walks that ran to their end, and the least (total, start) of them, which bounds the others.
struct BEST {
    std::mutex lock;
    double total = hole_path::kInitialBest;
    std::int32_t start = 0;
    std::vector<std::pair<double, std::int32_t>> ended;

    // The earliest start whose total ties with the least: decided once every walk ended, as the walks on
    // threads end in any order and ties are not transitive.
    std::int32_t kept() const {
        std::int32_t earliest = start;
        for (const auto& [t, s] : ended)
            if (s < earliest && hole_path::tiesWithLeast(t, total)) earliest = s;
        return earliest;
    }
};

void tryStarts(const PathSearch& search, std::atomic<std::int32_t>& nextStart, BEST& best, CWalkStates* states) {
    CNearestIndex index = search.index();
    for (;;) {
        const std::int32_t s = nextStart.fetch_add(1);
        if (s >= search.count()) return;
        double bestTotal;
        std::int32_t bestStart;
        {
            std::lock_guard<std::mutex> hold(best.lock);
            bestTotal = best.total;
            bestStart = best.start;
        }
        const double total = search.walk(index, s, bestTotal, bestStart, states);
        if (total < 0) continue;
        std::lock_guard<std::mutex> hold(best.lock);
        best.ended.emplace_back(total, s);
        if (total < best.total || (total == best.total && s < best.start)) {
            best.total = total;
            best.start = s;
        }
    }
}

// Below this many holes one thread does all the starts; below the other the walks share no states.
constexpr std::int32_t kThreadedFrom = 400;
constexpr std::int32_t kSharedStatesFrom = 64;

}  // namespace

namespace {

// Paths found lately, by the points asked for in the order given (and the distance tie). A view's path is
// asked for again when its operations are made, on the same holes in the path's own order: where no step of
// any walk was decided by the holes' places in the list, every start walks the same way in any order, so the
// path's first hole, now first in the list, wins again and the path is its own answer. Other point sets
// asked for again (one tool's holes for each of its operations) are answered as found.
class PathMemo {
public:
    // The order found for these points, empty when none is kept.
    std::vector<std::int32_t> find(const std::vector<double>& xy, double tie) {
        const std::uint64_t key = hashOf(xy, tie);
        std::lock_guard<std::mutex> hold(lock_);
        for (const ENTRY& entry : entries_)
            if (entry.key == key && entry.tie == tie && entry.xy == xy) return entry.order;
        return {};
    }

    void keep(std::vector<double> xy, double tie, std::vector<std::int32_t> order) {
        const std::uint64_t key = hashOf(xy, tie);
        std::lock_guard<std::mutex> hold(lock_);
        for (const ENTRY& entry : entries_)
            if (entry.key == key && entry.tie == tie && entry.xy == xy) return;
        if (entries_.size() == kKept) entries_.erase(entries_.begin());
        entries_.push_back({key, tie, std::move(xy), std::move(order)});
    }

    void clear() {
        std::lock_guard<std::mutex> hold(lock_);
        entries_.clear();
    }

private:
    // Enough for the views and tools of a run made one after another.
    static constexpr std::size_t kKept = 16;
    struct ENTRY {
        std::uint64_t key;
        double tie;
        std::vector<double> xy;
        std::vector<std::int32_t> order;
    };
    static std::uint64_t hashOf(const std::vector<double>& xy, double tie) {
        std::uint64_t hash = 1469598103934665603ULL;
        auto mix = [&](double v) {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &v, sizeof bits);
            hash = (hash ^ bits) * 1099511628211ULL;
        };
        mix(tie);
        for (double v : xy) mix(v);
        return hash;
    }
    std::mutex lock_;
    std::vector<ENTRY> entries_;
};

PathMemo& pathMemo() {
    static PathMemo memo;
    return memo;
}

// Links [first, first + count) in `order` (0-based within the range); returns its first element.
std::int32_t linkInOrder(PATH_ELEMENT* e, std::int32_t first, const std::vector<std::int32_t>& order) {
    for (std::size_t k = 0; k < order.size(); ++k)
        e[first + order[k]].next = k + 1 < order.size() ? first + order[k + 1] : -1;
    return first + order.front();
}

std::atomic<double> g_searchSeconds{0};

// Adds the process's CPU from its making to its end to the searches' count: the search is all the process
// does meanwhile, its threads included.
class SearchCost {
public:
    SearchCost() : begun_(plat::processCpuSeconds()) {}
    ~SearchCost() { g_searchSeconds += plat::processCpuSeconds() - begun_; }
    SearchCost(const SearchCost&) = delete;
    SearchCost& operator=(const SearchCost&) = delete;

private:
    double begun_;
};

}  // namespace

void forgetHolePaths() { pathMemo().clear(); }

double holePathSearchSeconds() { return g_searchSeconds.load(); }

std::int32_t orderPointsNearest(PATH_ELEMENT* e, std::int32_t first, std::int32_t count, std::int32_t* start) {
    if (count <= 0) {
        *start = -1;
        return count < 0 ? 0 : count;
    }
    const double tie = hole_path::distanceTie();
    std::vector<double> xy = xyOf(e, first, count);
    if (std::vector<std::int32_t> known = pathMemo().find(xy, tie); !known.empty()) {
        *start = linkInOrder(e, first, known);
        return count;
    }
    const SearchCost cost;
    const PathSearch search(e, first, count);
    BEST best;
    best.start = 0;
    std::atomic<std::int32_t> nextStart{0};
    unsigned threads = 1;
    if (count >= kThreadedFrom) threads = std::max(std::thread::hardware_concurrency(), 1u);
    std::optional<CWalkStates> states;
    if (count >= kSharedStatesFrom) states.emplace(count);
    CWalkStates* shared = states ? &*states : nullptr;
    if (threads == 1) {
        tryStarts(search, nextStart, best, shared);
    } else {
        std::vector<std::thread> pool;
        for (unsigned t = 0; t < threads; ++t)
            pool.emplace_back([&] { tryStarts(search, nextStart, best, shared); });
        for (std::thread& t : pool) t.join();
    }

    // The kept path, linked.
    for (std::int32_t i = first; i < first + count; ++i) e[i].next = -1;
    CNearestIndex index = search.index();
    std::vector<double> turns;
    const std::int32_t kept = best.kept();
    std::int32_t current = kept;
    index.take(current);
    for (;;) {
        double d = 0;
        const std::int32_t next = search.step(index, current, &d, turns);
        if (next < 0) break;
        e[first + current].next = first + next;
        index.take(next);
        current = next;
    }
    *start = first + kept;

    std::vector<std::int32_t> order;
    order.reserve(count);
    for (std::int32_t i = *start; i >= 0; i = e[i].next) order.push_back(i - first);
    if (static_cast<std::int32_t>(order.size()) != count) return count;
    if (!search.decidedByIndex()) {
        std::vector<double> inPathOrder(xy.size());
        std::vector<std::int32_t> same(count);
        for (std::int32_t k = 0; k < count; ++k) {
            inPathOrder[2 * k] = xy[2 * order[k]];
            inPathOrder[2 * k + 1] = xy[2 * order[k] + 1];
            same[k] = k;
        }
        pathMemo().keep(std::move(inPathOrder), tie, std::move(same));
    }
    pathMemo().keep(std::move(xy), tie, std::move(order));
    return count;
}

void orderSequencePoints(std::vector<PTS_TL_SEQ>& points) {
    if (points.empty()) return;
    std::vector<PATH_ELEMENT> e(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::copy_n(points[i].hole->ptView, 3, e[i].point);
        e[i].record = points[i].hole;
        e[i].second = points[i].operation;
        e[i].value = points[i].depth;
    }
    auto viewNumber = [&](std::size_t i) {
        const VIEW_LIST* view = points[i].hole->view;
        return view ? static_cast<int>(view->viewNumber) : -1;
    };
    std::int32_t head = -1, lastOfRun = -1;
    for (std::size_t runFirst = 0; runFirst < points.size();) {
        std::size_t runEnd = runFirst + 1;
        while (runEnd < points.size() && viewNumber(runEnd) == viewNumber(runFirst)) ++runEnd;
        std::int32_t start = -1;
        orderPointsNearest(e.data(), static_cast<std::int32_t>(runFirst), static_cast<std::int32_t>(runEnd - runFirst),
                           &start);
        if (head < 0) head = start;
        if (lastOfRun >= 0) e[lastOfRun].next = start;
        lastOfRun = start;
        while (e[lastOfRun].next >= 0) lastOfRun = e[lastOfRun].next;
        runFirst = runEnd;
    }
    points.clear();
    for (std::int32_t i = head; i >= 0; i = e[i].next)
        points.push_back({e[i].record, e[i].second, e[i].value});
}

int orderGroupHoles(VIEW_LIST* views) {
    for (VIEW_LIST* view = views; view; view = view->next) {
        // Sized from the list itself: a stored count that disagrees with it must not overrun the array.
        std::vector<PATH_ELEMENT> e;
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next) {
            PATH_ELEMENT element;
            std::copy_n(hole->ptView, 3, element.point);
            element.record = hole;
            e.push_back(element);
        }
        if (e.empty()) continue;
        std::int32_t start = -1;
        orderPointsNearest(e.data(), 0, static_cast<std::int32_t>(e.size()), &start);
        POINT_LIST* previous = nullptr;
        for (std::int32_t i = start; i >= 0; i = e[i].next) {
            POINT_LIST* hole = e[i].record;
            hole->prev = previous;
            hole->next = nullptr;
            if (previous) previous->next = hole;
            else view->firstPoint = hole;
            previous = hole;
        }
    }
    return 0;
}

std::int32_t appendChainPoints(std::vector<PATH_ELEMENT>& elements, POINT_LIST* chain, double value,
                               const POINT_LIST* only) {
    forEachEqualHole(chain, [&](POINT_LIST& hole) {
        if (!hole.selected2 || (only && &hole != only)) return;
        PATH_ELEMENT element;
        std::copy_n(hole.ptView, 3, element.point);
        element.record = &hole;
        element.value = value;
        elements.push_back(element);
    });
    return static_cast<std::int32_t>(elements.size());
}
