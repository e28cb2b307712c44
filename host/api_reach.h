// The host's answer to how far a tool may go: the material of the part's solids inside the room a tool
// sweeps down its axis. World coordinates in part units. Apart from host/api.h, as only the operations'
// last check asks it.
#pragma once
#include <cstdint>

// ---- a tool's reach -----------------------------------------------------------------------------------------
// The room a tool sweeps along its axis: the line through `axisPt` along the unit `axisDir` (from where the
// tool comes down into the part), parameters t along it from `axisPt`. A column of `radius` from `top` to
// `bottom` (top < bottom), ending in a cone whose radius falls to nothing over `pointLength` below `bottom`
// (0: a flat end), of which the last `pointTaken` up to its tip cuts what the tool is there to take (a spot
// drill's cone below a hole's mouth) and is not held. A face at `tolerance` or less inside the column's
// side, or at its top, or within `tolerance` of its end, is the wall or floor the tool cuts to, not material
// in its way.
struct tool_column {
    double axisPt[3] = {};
    double axisDir[3] = {0, 0, -1};
    double top = 0, bottom = 0;
    double radius = 0;
    double pointLength = 0;
    double pointTaken = 0;
    double tolerance = 0;
};
// The first material the column holds: `solid` the solid's number in the part (1 the first solid in
// database order, excluded solids counted), its entity id, and `at` the least t of the material found.
struct column_hit {
    std::int32_t solid = 0;
    std::uint32_t solidId = 0;
    double at = 0;
};
// The part's solids as they stand, but those excluded from machining (kSolidExcluded), with what the
// questions below need of their faces, built as it is first needed. A change to the part's solids after it
// is made is not seen: make one for each run of questions. Made again on the same solids, it keeps what the
// last one learnt, answers included. reach_solids_free takes null.
struct reach_solids;
reach_solids* reach_solids_make();
void reach_solids_free(reach_solids* solids);
// 1 with the first material of any of the solids inside the column; 0 when the column holds none (or
// `solids` or `column` is null, or the column has no length or radius). A boundary face that passes inside
// the column is material in it; a column that no face enters is all inside a solid or all outside it, which
// the face met first from one of its points tells. Faces are picked by their boxes.
int reach_first_material(reach_solids* solids, const tool_column* column, column_hit* hit);
