// The values a process definition leaves open, computed for one hole: tool type, tool diameter, the diameter
// of the cylinder worked, thread and fit values, angles and corner radii (this file), then the Z limits
// (operation_zlimits.h). The results are the definition's run-time members, named here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"

struct POINT_LIST;

// The run-time members of a definition (not kept in the table file).
namespace process_calc {
using process_ope::FIELD;
using process_ope::TEXT_FIELD;
constexpr FIELD<double> calcToolDiam{628}, calcPitch{636}, calcCylDiam{644}, calcFitValue{652},
    calcThreadValue{660}, calcHalfAngle{668}, calcCornerRadius{676}, calcProfileRadius{684}, calcToolLength{692};
constexpr TEXT_FIELD threadDesignation{700, 32};
constexpr FIELD<std::int16_t> diamSource{732}, threadUnknown{734};
constexpr FIELD<double> calcZSup{736}, calcZInf{744}, calcBrkthr{752};
constexpr FIELD<std::uint8_t> bottomFlat{760}, bottomThrough{761}, bottomTipTool{762};
constexpr FIELD<double> cuttingLength{768}, profileD1{776}, profileZ1{784}, profileD2{792}, profileZ2{800};
static_assert(profileZ2.at + 8 <= process_ope::runTimeArea + process_ope::runTimeAreaSize);
}  // namespace process_calc

// Where a drill's diameter came from.
enum DiamSource : std::int16_t { kDiamFromCylinder = 0, kDiamFixed = 1, kDiamThreadDrill = 2, kDiamFitPreDrill = 3 };

// Tool and operation types (rows of the tool and operation type table).
namespace tool_type {
constexpr std::uint32_t userProfile = 0, centreDrill = 1, spotDrill = 2, drill = 3, rightTap = 4, leftTap = 5,
                        reamer = 6, boringBar = 7, counterbore = 8, chamferDrill = 9, flatMill = 10, ballMill = 11,
                        chamferMill = 12, edgeRadiusMill = 15, conicalMill = 17, toroidalMill = 19;
}

// A length rounded to the base tolerance, as the operation values and their Z limits take diameters.
double roundToTolerance(double value);

// The descriptor of entry i of the table's cylinder entries; a zero descriptor past the ends.
const CIL_DESC& entryCil(const CTabColsDesc& table, int i);
CIL_DESC* entryCilAt(CTabColsDesc& table, int i);
// The descriptor an operation is tied to: `cyl` + `plane`, the plane counting 0 past the last entry.
int tiedEntry(const CTabColsDesc& table, int cyl, int plane);

// The name of a drill cycle entry, of a tool type's tool and of its operation ("" for none).
std::string cycleName(std::uint32_t cycle);
std::string toolTypeName(std::uint32_t type);
std::string operationTypeName(std::uint32_t type);

// 0 when every definition was computed; -1 when the user cancelled a question or a best-tool search failed
// (the definitions are then partly computed).
[[nodiscard]] int setProcessValues(CTabColsDesc& table, const std::vector<std::string>& rowCells, int count,
                                   PROCESS_OPE* defs, POINT_LIST& hole, std::int16_t fixedToolSwitch);
// The first phase alone: tool types, diameters and angles.
[[nodiscard]] int setProcessToolValues(CTabColsDesc& table, const std::vector<std::string>& rowCells, int count,
                                       PROCESS_OPE* defs);
