// Indexes that let the checks over many feature marks look the part up once: the live arcs, notes and
// solids by id, the arcs by the id their sweep codes, and the marks by where they lie.
// "Live" is what the user has in the part, shown or hidden; not what was deleted and kept for the records.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "host/api.h"

struct FEATURE_MARK;

// Calls visit(record) for every live entity of the kinds of `mask`: the shown ones in the walk's record, then the hidden
// ones (blanked, on a hidden level, or part of another) as copies.
template <class Visit>
void forEachLiveEnt(std::uint32_t mask, Visit visit) {
    (void)walk_ents(db_start(), 1, mask, [](const ent& e, void* context) -> int {
        (*static_cast<Visit*>(context))(e);
        return 0;
    }, &visit);
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_raw_ent(at, 1, mask, &e, &at, &found);
        if (!found) return;
        if ((e.sel & kSelBlank) != 0 || !is_level_visible(e.level) || e.owner != 0) visit(e);
    }
}

// Calls visit(record) for every entity of the kinds of `mask` the user sees, in database order, until it
// returns true; the record is a copy the visit may change and rewrite.
template <class Visit>
void forEachShownEnt(std::uint32_t mask, Visit visit) {
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char more = 0;
        get_ent(at, 1, mask, &e, &at, &more);
        if (!more || visit(e)) return;
    }
}

// The live arcs and notes of the part by id (solids read when first asked for).
class MARK_ENTS {
public:
    MARK_ENTS();
    db_ptr arc(std::uint32_t id) const;    // 0 when none
    db_ptr note(std::uint32_t id) const;
    bool solid(std::uint32_t id);
    void forget(std::uint32_t id);         // after the entity was deleted
    // The live arcs, in database order.
    std::vector<db_ptr> arcEntries() const;

private:
    std::unordered_map<std::uint32_t, db_ptr> arcs_, notes_;
    std::optional<std::unordered_set<std::uint32_t>> solids_;
};

// The live arcs by the id their sweep codes on each base (entity_utils.h), in database order.
class ARC_KEYS {
public:
    explicit ARC_KEYS(const MARK_ENTS& ents);
    // What renumberArcMarks does for one arc id on one base: the arc that still carries `stored` as its key
    // but has another id now is coded again with its own id, which goes to `stored`. False when none.
    bool rekey(std::uint32_t& stored, double base);

private:
    struct ARC {
        db_ptr entry = 0;
        std::uint32_t id = 0;
    };
    std::map<std::pair<double, std::uint32_t>, std::vector<ARC>> byKey_;
};

// The marks of a list on a grid of cells of one size, for the searches of marks nearer than that size.
class NEAR_MARKS {
public:
    NEAR_MARKS(const std::vector<FEATURE_MARK*>& marks, double cell);
    // The places (indices into the list) of the marks in the cells around `p`, ascending: every mark nearer
    // than the cell size is among them.
    std::vector<std::size_t> around(const double p[3]) const;

private:
    struct KEY {
        std::int64_t x, y, z;
        bool operator==(const KEY&) const = default;
    };
    struct HASH {
        std::size_t operator()(const KEY& k) const;
    };
    KEY keyOf(const double p[3]) const;
    double cell_;
    std::unordered_map<KEY, std::vector<std::size_t>, HASH> cells_;
};
