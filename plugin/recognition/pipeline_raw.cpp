// The raw build: surfaces to segments, segments to views and hole positions.
// A view V takes a world point p as transpose(V.matrix) p; a segment's own frame is its `matrix`, its axis
// point at height z being (ax, ay, z) with (ax, ay) the x, y of transpose(matrix) cUniv.
#include "plugin/recognition/pipeline_raw.h"

#include "plugin/base/entity_utils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/open_arcs.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"

namespace {

void bump(std::int32_t* counter) {
    if (counter) ++*counter;
}

// The positions of one view's holes on a grid of twice the merge distance, so that finding the hole a
// segment joins does not walk every hole of the view. A hole within the distance lies in a cell that the
// square of that reach about the segment's axis meets, one to four cells; of the candidates the earliest
// in the view's chain wins, as a walk from the first hole would find it. The cells are kept in one
// open-addressed table, each holding a chain of its holes in an array: a large part's view has tens of
// thousands of cells, and a lookup then costs one visit to memory where a node-based map costs several.
// A hole whose position moves (a higher segment becomes its top) is filed again under its new cell.
class CPointGrid {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    explicit CPointGrid(double mergeDistance) : m_cell(mergeDistance > 0 ? 2 * mergeDistance : 1.0) {}

    POINT_LIST* point(std::uint32_t entry) const { return entry == kNone ? nullptr : m_holes[entry].point; }

    // The entry of the hole found, kNone for none.
    std::uint32_t find(const double at[3], double distance) const {
        if (m_holes.empty()) return kNone;
        // A hair wider than the distance, so that rounding never leaves out a cell; the distance decides.
        const double reach = distance * (1 + 1e-9) + 1e-12;
        const double low[2] = {at[0] - reach, at[1] - reach}, high[2] = {at[0] + reach, at[1] + reach};
        const auto [x0, y0] = cellOf(low);
        const auto [x1, y1] = cellOf(high);
        std::uint32_t best = kNone;
        for (std::int64_t cx = x0; cx <= x1; ++cx)
            for (std::int64_t cy = y0; cy <= y1; ++cy) {
                // The order of a hole is its place in m_holes, whatever cell it is filed under now.
                for (std::uint32_t h = m_slots[slotOf(key(cx, cy))].head; h != kNone; h = m_holes[h].next) {
                    const POINT_LIST* point = m_holes[h].point;
                    if (h >= best || !point->firstCyl) continue;
                    if (std::hypot(point->ptView[0] - at[0], point->ptView[1] - at[1]) < distance) best = h;
                }
            }
        return best;
    }
    std::uint32_t add(POINT_LIST* point) {
        m_holes.push_back({point, kNone});
        const auto entry = static_cast<std::uint32_t>(m_holes.size() - 1);
        file(entry);
        return entry;
    }
    // The hole of `entry` was at `was` (its former ptView): it goes under the cell of where it is now.
    void moved(std::uint32_t entry, const double was[2]) {
        const auto before = cellOf(was);
        if (before == cellOf(m_holes[entry].point->ptView)) return;
        std::uint32_t* link = &m_slots[slotOf(key(before.first, before.second))].head;
        while (*link != entry) link = &m_holes[*link].next;   // a cell holds a few holes
        *link = m_holes[entry].next;
        file(entry);
    }

private:
    struct SLOT {
        std::uint64_t key = 0;
        std::uint32_t head = kNone;
        bool used = false;            // a cell that a hole has left keeps its slot, empty
    };
    struct HOLE {
        POINT_LIST* point;
        std::uint32_t next;           // the cell's hole added before, kNone for none
    };

    std::pair<std::int64_t, std::int64_t> cellOf(const double at[2]) const {
        // Far-off or broken coordinates share the edge cells; the distance test still decides.
        auto cell = [this](double v) {
            const double c = std::floor(v / m_cell);
            return static_cast<std::int64_t>(std::isfinite(c) ? std::clamp(c, -1e15, 1e15) : 0.0);
        };
        return {cell(at[0]), cell(at[1])};
    }
    static std::uint64_t key(std::int64_t x, std::int64_t y) {
        return static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(y);
    }
    // The slot that holds the cell, or the free one where it would go.
    std::size_t slotOf(std::uint64_t k) const {
        const std::size_t mask = m_slots.size() - 1;
        std::uint64_t mixed = (k ^ (k >> 31)) * 0xBF58476D1CE4E5B9ull;
        std::size_t i = static_cast<std::size_t>(mixed ^ (mixed >> 29)) & mask;
        while (m_slots[i].used && m_slots[i].key != k) i = (i + 1) & mask;
        return i;
    }
    // The entry in front of its cell's chain, the cell's slot taken when new.
    void file(std::uint32_t entry) {
        if (2 * (m_used + 1) > m_slots.size()) grow();
        const auto [cx, cy] = cellOf(m_holes[entry].point->ptView);
        const std::uint64_t k = key(cx, cy);
        SLOT& slot = m_slots[slotOf(k)];
        if (!slot.used) ++m_used;
        slot.key = k;
        slot.used = true;
        m_holes[entry].next = slot.head;
        slot.head = entry;
    }
    // Twice the slots; the cells that holes have left are dropped.
    void grow() {
        std::vector<SLOT> old(std::max<std::size_t>(64, 2 * m_slots.size()));
        old.swap(m_slots);
        m_used = 0;
        for (const SLOT& slot : old)
            if (slot.head != kNone) {
                m_slots[slotOf(slot.key)] = slot;
                ++m_used;
            }
    }

    double m_cell;
    std::vector<SLOT> m_slots;
    std::vector<HOLE> m_holes;
    std::size_t m_used = 0;   // slots of cells, empty ones included
};

struct VIEW_SLOT {
    VIEW_LIST* view;
    POINT_LIST* lastPoint = nullptr;
    CPointGrid grid;
};

class CRawBuilder {
public:
    explicit CRawBuilder(const RAW_FILTERS& filters) : m_filters(filters) {}
    ~CRawBuilder() { freeViewsTree(m_head); }

    // 1 placed, 0 skipped, -1 failed.
    int addSurface(const ent& surface);
    VIEW_LIST* release() { return std::exchange(m_head, nullptr); }

private:
    bool passesSize(const CYL_LIST& seg) const;
    VIEW_SLOT* findView(CYL_LIST& seg, double inView[3]);
    VIEW_SLOT* newView(const CYL_LIST& seg, double inView[3]);
    std::uint32_t findOrNewPoint(VIEW_SLOT& slot, const CYL_LIST& seg, const double inView[3]);
    static bool insertSegment(POINT_LIST* point, const CYL_LIST& seg, const double inView[3]);

    const RAW_FILTERS& m_filters;
    CAxisFramesKept m_frames;
    VIEW_LIST* m_head = nullptr;
    std::vector<VIEW_SLOT> m_views;   // in list order
};

bool CRawBuilder::passesSize(const CYL_LIST& seg) const {
    const PRM_SETTINGS& s = g_globals->settings;
    const double t = g_tolerances.tolT;
    const double r = std::max(seg.rSup, seg.rInf);
    if (m_filters.maxDiameterOn && 2 * r > s.maxDiameter + t / 2) {
        bump(m_filters.wideRejects);
        noteDroppedSegment(DROP_RULE::TooWide, seg);
        return false;
    }
    if (r > g_tolerances.maxHoleRadius) return false;
    if (m_filters.minDiameterOn && 2 * r < s.minDiameter - t / 2) {
        bump(m_filters.narrowRejects);
        noteDroppedSegment(DROP_RULE::TooNarrow, seg);
        return false;
    }
    return r >= g_tolerances.minHoleRadius;
}

// The first view, in list order, whose direction matches the segment's either way and whose named-view key
// is the segment's. The segment is re-measured in it and, for the opposite sense, turned end for end and
// given the view's frame. `inView` receives the segment's axis point in the view's frame.
VIEW_SLOT* CRawBuilder::findView(CYL_LIST& seg, double inView[3]) {
    for (VIEW_SLOT& slot : m_views) {
        const VIEW_LIST* v = slot.view;
        const int sense = compareDirections(v->matrix[2], seg.zDir(), g_tolerances.axisAngle);
        if (sense == 0 || v->idn != seg.viewIdn) continue;

        worldToFrame(v->matrix, seg.cUniv, inView);
        double axis[3];
        worldToFrame(seg.matrix, seg.cUniv, axis);
        auto zInView = [&](double z) {
            const double local[3] = {axis[0], axis[1], z};
            double world[3], p[3];
            frameToWorld(seg.matrix, local, world);
            worldToFrame(v->matrix, world, p);
            return p[2];
        };
        const double r = std::max(seg.rSup, seg.rInf);
        const double rim[3] = {axis[0] + r * std::cos(seg.Ai), axis[1] + r * std::sin(seg.Ai), seg.zSup};
        double rimWorld[3], rimInView[3];
        frameToWorld(seg.matrix, rim, rimWorld);
        worldToFrame(v->matrix, rimWorld, rimInView);
        double ai = std::atan2(rimInView[1] - inView[1], rimInView[0] - inView[0]);
        if (ai < 0) ai += 2 * std::numbers::pi;   // start angles are kept in [0, 2 pi), as measured at first

        const double zSup = zInView(seg.zSup), zInf = zInView(seg.zInf), zToric = zInView(seg.zToric);
        seg.zSup = zSup;
        seg.zInf = zInf;
        seg.zToric = zToric;
        seg.Ai = ai;
        if (sense == kOppositeSense) {
            seg.Asw = -seg.Asw;
            seg.secAng = -seg.secAng;
            std::swap(seg.zSup, seg.zInf);
            std::swap(seg.rSup, seg.rInf);
            inView[2] = seg.zSup;
            frameToWorld(v->matrix, inView, seg.cUniv);
            seg.viewNumber = static_cast<std::uint16_t>(v->viewNumber);
            copyMatrix33(seg.matrix, v->matrix);
        }
        return &slot;
    }
    return nullptr;
}

VIEW_SLOT* CRawBuilder::newView(const CYL_LIST& seg, double inView[3]) {
    VIEW_LIST* view = allocViewList();
    if (!view) return nullptr;
    view->viewNumber = static_cast<std::int16_t>(seg.viewNumber);
    copyMatrix33(view->matrix, seg.matrix);
    view->idn = seg.viewIdn;
    if (m_views.empty()) {
        m_head = view;
    } else {
        view->prev = m_views.back().view;
        view->prev->next = view;
    }
    m_views.push_back({view, nullptr, CPointGrid(g_tolerances.pointMergeDist)});
    worldToFrame(view->matrix, seg.cUniv, inView);
    return &m_views.back();
}

// The grid entry of the hole the segment joins, made when none lies within the merge distance; kNone
// when no record could be made.
std::uint32_t CRawBuilder::findOrNewPoint(VIEW_SLOT& slot, const CYL_LIST& seg, const double inView[3]) {
    if (const std::uint32_t found = slot.grid.find(inView, g_tolerances.pointMergeDist); found != CPointGrid::kNone)
        return found;
    POINT_LIST* point = allocPointList();
    if (!point) return CPointGrid::kNone;
    point->id = g_nextHoleId++;
    point->view = slot.view;
    copyVector(point->ptView, inView);
    copyVector(point->ptUniv, seg.cUniv);
    if (slot.lastPoint) {
        point->prev = slot.lastPoint;
        slot.lastPoint->next = point;
    } else {
        slot.view->firstPoint = point;
    }
    slot.lastPoint = point;
    ++slot.view->pointCount;
    return slot.grid.add(point);
}

// Before the first segment whose top is not above the new one's: equal tops go in front.
bool CRawBuilder::insertSegment(POINT_LIST* point, const CYL_LIST& seg, const double inView[3]) {
    CYL_LIST* copy = allocCylListCopy(seg);
    if (!copy) return false;
    copy->prev = copy->next = nullptr;
    CYL_LIST* above = nullptr;
    CYL_LIST* below = point->firstCyl;
    while (below && below->zSup > copy->zSup) {
        above = below;
        below = below->next;
    }
    copy->prev = above;
    copy->next = below;
    if (below) below->prev = copy;
    if (above) {
        above->next = copy;
    } else {
        point->firstCyl = copy;
        copyVector(point->ptUniv, copy->cUniv);
        copyVector(point->ptView, inView);
    }
    ++point->cylCount;
    return true;
}

int CRawBuilder::addSurface(const ent& surface) {
    CYL_LIST seg{};
    const int made = surfaceToSegment(&seg, surface, &m_frames);
    if (made < 0) return -1;
    if (made == 0) return 0;
    if (isDirInSelViews(m_filters.allowed, seg.zDir(), 1) < 1) {
        bump(m_filters.directionRejects);
        noteDroppedSegment(DROP_RULE::Direction, seg);
        return 0;
    }
    if (!passesSize(seg)) return 0;

    double inView[3];
    VIEW_SLOT* slot = findView(seg, inView);
    if (!slot) slot = newView(seg, inView);
    if (!slot) return -1;
    const std::uint32_t entry = findOrNewPoint(*slot, seg, inView);
    POINT_LIST* point = slot->grid.point(entry);
    if (!point) return -1;
    const double was[2] = {point->ptView[0], point->ptView[1]};
    if (!insertSegment(point, seg, inView)) return -1;
    slot->grid.moved(entry, was);
    return 1;
}

}  // namespace

int buildRawTree(VIEW_LIST** head, const RAW_FILTERS& filters, CPlanarFaces* planar) {
    *head = nullptr;
    g_surfaceCount = 0;
    CRawBuilder builder(filters);
    const int walked = forEachVisibleSurface([&](const ent& surface) {
        ++g_surfaceCount;
        if (planar && !planar->offer(surface)) return -1;
        return builder.addSurface(surface) < 0 ? -1 : 0;
    });
    if (walked < 0) return -1;
    *head = builder.release();
    return 0;
}
