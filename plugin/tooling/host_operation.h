// The host operations of one tool's points: a run of points that one host operation can machine becomes a
// drilling or milled-hole operation with its tool, planes, heights and cycle, its drill points (or, for a
// contour, a circle chain; for an operation over several views, a surface per hole), written to the reports.
#pragma once
#include <cstdint>
#include <vector>

#include "host/api.h"
#include "plugin/tooling/hole_path.h"

struct OPE_LIST;
struct VIEW_LIST;

// The milled kind of an operation's cycle: 0 a drill cycle, 1 circle mill, 2 contour, 3 helix bore,
// 4 thread mill.
std::int16_t milledKindOf(const OPE_LIST& operation);

// 1 when the settings let operations of the tool type be made (ProcessMach 3, 5 and 6).
std::uint8_t isOperationKindEnabled(std::int32_t toolType);

// The host operations of the run, all with R's parameters; every id made is appended to `made` (when
// given). Returns the id of the last operation made, 0 when R is off, the twin check stops it, the settings
// leave its kind out or nothing was made.
std::int32_t createSequenceHostOps(OPE_LIST& R, std::vector<PTS_TL_SEQ>& run, const tp_tool& tool,
                                   std::uint8_t multiView, std::vector<std::int32_t>* made = nullptr);

// Adds the host operation of R (its type, comment and group first) and fills its parameters into `record`,
// which the caller writes to the host. `kind` is R's milled kind, `millAsCycle` the drill cycle a milled
// kind is made as (0: none). Returns the operation's id (0 when the host refused it).
std::int32_t createHostDrillOperation(OPE_LIST& R, operation& record, double depth, const tp_tool& tool,
                                      std::int16_t kind, std::int16_t millAsCycle, std::uint8_t multiView);

// The Z in the view of the origin R's tool plane takes, which its clearance is measured from; nothing is made.
double toolPlaneZ(const OPE_LIST& R, VIEW_LIST& view);
// R's clearance plane over a tool plane whose origin lies at `zo` in the view, as its operation takes it.
double clearancePlane(const OPE_LIST& R, double zo);

// Writes the record over its operation: through the list's update slot, then its database entity.
void writeHostOperation(const operation& record);

// The places the generation writes in the host's milled-hole blocks: the contour's mode, the thread mill's
// diameter, depth, inside flag and clearance, and the circle-mill double that becomes the second peck of a
// milled kind made as a drill cycle.
namespace host_places {
constexpr std::size_t contourMode = op_contour_layout::mode;
constexpr std::size_t threadDiameter = op_thread_layout::threadDiameter, threadDepth = op_thread_layout::threadDepth,
                      threadInside = op_thread_layout::internal, threadClearance = op_thread_layout::clearance;
constexpr std::size_t secondPeckFromCircle = op_circle_layout::helixPitch;
}  // namespace host_places
