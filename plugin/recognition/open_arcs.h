// Pipeline stages 5/19, 6 and 7: hole positions made only of open arcs are deleted, duplicate segments of
// one point (same half section angle, a common end point) are merged, and planar faces that close or
// shoulder the ends of segments are recorded as flat rings. Records and frames as in tree.h: a point goes
// into a view as transpose(matrix) x p; z along the view's Z row, zSup above zInf; T = g_tolerances.tolT,
// 4T = g_tolerances.tol4T; angles in radians (the settings hold degrees).
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "host/api.h"

struct VIEW_LIST;

// Stages 5 and 19: deletes every point whose segments all sweep at most the open-arc limit (settings
// ProcessMach 51), unless it sweeps more than a quarter turn and its axis lies on the wall of a wider hole
// of the same view. Returns 0.
int cylsDelOpen(VIEW_LIST* head);

// Stage 6: segments of one point with the same half section angle sharing their top or bottom corner with
// an earlier one become that one (at most 20 per group). Returns 0.
int cylsDelAngDummy(VIEW_LIST* head);

// Results of cylsPlanar.
constexpr int kPlanarDone = 0;
constexpr int kPlanarRejected = 1;   // a surface's boundaries were incoherent (or the user cancelled there)
constexpr int kPlanarNoMemory = -1;  // after the message "ErrorMessages" 35

// The faces stage 7 tries, kept by a walk of the surfaces made anyway (the raw build's) so that the stage
// need not walk the database again: the visible trimmed planar surfaces with boundaries, in database order,
// as they were read.
class CPlanarFaces {
public:
    // Keeps a visible surface the stage would try. False, after the allocation message, when there is no
    // room to keep it.
    [[nodiscard]] bool offer(const ent& surface);
    // What the stage reads of a face's geometry, as the host gave it when the face was kept: its plane
    // (is_surf_planar) and its trims' tolerance (surf_trim_tolerance).
    struct GEOMETRY {
        p_3d normal, point;
        double trimTolerance = 0;
    };
    // Calls `visit(record, geometry)` for each face in order until it returns non-zero; returns that value,
    // else 0. The record is the walk's own, valid during the call. The face's surface is lent to it for the
    // call, not copied: a copy would allocate the boundary table and count both shared buffers up and down.
    template <class Visit>
    int forEach(Visit visit) {
        ent record{};
        record.type = kEntSurface;
        for (FACE& face : faces_) {
            record.id = face.id;
            record.eptr = face.eptr;
            record.level = face.level;
            record.color = face.color;
            const LOAN loan{face.surf, record.surf};
            const GEOMETRY& geometry = face.geometry;
            if (const int r = visit(static_cast<const ent&>(record), geometry); r != 0) return r;
        }
        return 0;
    }

private:
    // What the stage reads of a record; a whole record is several times larger, and a large part has
    // thousands of such faces.
    struct FACE {
        std::uint32_t id;
        db_ptr eptr;
        std::int32_t level;
        std::int16_t color;
        GEOMETRY geometry;
        ent_surface surf;
    };
    // Swaps a surface into the record and back, whatever the visit does.
    struct LOAN {
        ent_surface& kept;
        ent_surface& lent;
        LOAN(ent_surface& from, ent_surface& to) : kept(from), lent(to) { std::swap(kept, lent); }
        ~LOAN() { std::swap(kept, lent); }
        LOAN(const LOAN&) = delete;
        LOAN& operator=(const LOAN&) = delete;
    };
    std::vector<FACE> faces_;
};

// Stage 7: the visible planar faces of the part that close or border an end of a segment give that end a
// flat ring (inner and outer radius, closed when it covers the axis) and their entity. A face much wider
// than the hole at the top segment's mouth narrows the segment to its inner edge instead. `mode` 1 (the
// features side) takes no face much wider than the hole. The faces are those a walk of the database finds,
// or `faces` as a walk made before kept them.
[[nodiscard]] int cylsPlanar(VIEW_LIST* head, std::uint16_t mode);
[[nodiscard]] int cylsPlanar(VIEW_LIST* head, std::uint16_t mode, CPlanarFaces& faces);
