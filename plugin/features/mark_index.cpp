// The indexes of the feature-mark checks.
#include "plugin/features/mark_index.h"

#include <algorithm>
#include <cmath>

#include "plugin/base/entity_utils.h"
#include "plugin/model/feature_mark.h"

MARK_ENTS::MARK_ENTS() {
    forEachLiveEnt(kEntArc | kEntNote, [&](const ent& e) {
        if (e.type == kEntArc) arcs_.emplace(e.id, e.eptr);
        else if (e.note.subKind == 0) notes_.emplace(e.id, e.eptr);
    });
}

db_ptr MARK_ENTS::arc(std::uint32_t id) const {
    const auto found = arcs_.find(id);
    return id && found != arcs_.end() ? found->second : 0;
}

db_ptr MARK_ENTS::note(std::uint32_t id) const {
    const auto found = notes_.find(id);
    return id && found != notes_.end() ? found->second : 0;
}

bool MARK_ENTS::solid(std::uint32_t id) {
    if (!solids_) {
        solids_.emplace();
        forEachLiveEnt(kEntSolid, [&](const ent& e) { solids_->insert(e.id); });
    }
    return solids_->count(id) != 0;
}

void MARK_ENTS::forget(std::uint32_t id) {
    arcs_.erase(id);
    notes_.erase(id);
}

std::vector<db_ptr> MARK_ENTS::arcEntries() const {
    std::vector<db_ptr> out;
    out.reserve(arcs_.size());
    for (const auto& [id, entry] : arcs_) out.push_back(entry);
    std::sort(out.begin(), out.end());
    return out;
}

ARC_KEYS::ARC_KEYS(const MARK_ENTS& ents) {
    for (db_ptr entry : ents.arcEntries()) {
        ent arc{};
        if (get_ent_from_eptr(entry, &arc) != 1) continue;
        for (double base : {kThreadArcBase, kFitCircleBase})
            if (const std::uint32_t key = arcMarkKey(base, arc.arc.sw)) byKey_[{base, key}].push_back({entry, arc.id});
    }
}

// An arc whose key differs from its own id is one the host renumbered and no mark has followed yet: it is
// taken before an arc that already carries its own id, which may hold the same number.
bool ARC_KEYS::rekey(std::uint32_t& stored, double base) {
    if (stored == 0) return false;
    const auto found = byKey_.find({base, stored});
    if (found == byKey_.end()) return false;
    std::vector<ARC>& arcs = found->second;
    const auto waiting = std::find_if(arcs.begin(), arcs.end(), [&](const ARC& a) { return a.id != stored; });
    if (waiting == arcs.end()) return false;
    ent arc{};
    if (get_ent_from_eptr(waiting->entry, &arc) != 1) return false;
    arc.arc.sw = arcMarkSweep(base, arc.id);
    if (rewrite_ent(&arc, 0) != 1) return false;
    const ARC moved = *waiting;
    arcs.erase(waiting);
    std::vector<ARC>& now = byKey_[{base, moved.id}];
    now.insert(std::upper_bound(now.begin(), now.end(), moved,
                                [](const ARC& a, const ARC& b) { return a.entry < b.entry; }),
               moved);
    stored = moved.id;
    return true;
}

NEAR_MARKS::NEAR_MARKS(const std::vector<FEATURE_MARK*>& marks, double cell) : cell_(cell) {
    for (std::size_t i = 0; i < marks.size(); ++i) cells_[keyOf(marks[i]->point)].push_back(i);
}

std::size_t NEAR_MARKS::HASH::operator()(const KEY& k) const {
    const auto mix = [](std::uint64_t h, std::int64_t v) {
        return (h ^ static_cast<std::uint64_t>(v)) * 0x100000001b3ull;
    };
    return static_cast<std::size_t>(mix(mix(mix(0xcbf29ce484222325ull, k.x), k.y), k.z));
}

// Coordinates far out of any part still get a cell: the quotient is kept within what the key holds.
NEAR_MARKS::KEY NEAR_MARKS::keyOf(const double p[3]) const {
    const auto cellOf = [&](double v) {
        const double q = std::floor(v / cell_);
        if (std::isnan(q)) return std::int64_t{0};
        return static_cast<std::int64_t>(std::clamp(q, -1e15, 1e15));
    };
    return {cellOf(p[0]), cellOf(p[1]), cellOf(p[2])};
}

std::vector<std::size_t> NEAR_MARKS::around(const double p[3]) const {
    std::vector<std::size_t> out;
    const KEY c = keyOf(p);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy)
            for (std::int64_t dz = -1; dz <= 1; ++dz) {
                const auto found = cells_.find(KEY{c.x + dx, c.y + dy, c.z + dz});
                if (found != cells_.end()) out.insert(out.end(), found->second.begin(), found->second.end());
            }
    std::sort(out.begin(), out.end());
    return out;
}
