// The type table carries the rows the work cycle renames from the UI texts, with names that hold until those
// texts are loaded.
#include "plugin/base/tool_types.h"

char g_toolLibExt[16] = "Tools";

// The built-in names are the shipped texts' (0 a user profile, 11 a ball mill, 15 the edge-radius mill, 17 the
// conical mill, 19 the toroidal mill); 13, 14, 16 and 18 keep theirs. Row t holds type t for t = 1 to 19,
// between the rows of 9999 (whose names a lookup that finds no row falls back on) and 0.
TOOL_OP_TYPE g_toolOpTypes[] = {
    {9999, "User", "User", "User"},
    {1, "Center drill", "Spot drilling", "Spot drilling"},
    {2, "Spot drill", "Spot drilling", "Spot drilling"},
    {3, "Drill", "Drilling", "Drilling"},
    {4, "Tap RH", "Tapping", "Tapping"},
    {5, "Tap LH", "Tapping LH", "Tapping LH"},
    {6, "Reamer", "Reaming", "Reaming"},
    {7, "Boring bar", "Boring", "Boring"},
    {8, "Counterbore", "Counterboring", "Counterboring"},
    {9, "Countersink", "Countersinking", "Countersinking"},
    {10, "Flat endmill", "Milling", "Milling"},
    {11, "Ball endmill", "Ball milling", "Contour milling"},
    {12, "Chamfer mill", "Chamfer milling", "Edge milling"},
    {13, "Flat endmill", "Pocketing", "Milling"},
    {14, "Bull endmill", "Contouring", "Milling"},
    {15, "Corner rounding mill", "Edge rounding", "Edge milling"},
    {16, "Ball endmill", "Surfacing", "Milling"},
    {17, "Conical mill", "Cone milling", "Milling"},
    {18, "Face mill", "Facing", "Milling"},
    {19, "Bull nose endmill", "Bull nose milling", "Contour milling"},
    {0, "Profile tool", "Profile milling", "Milling"},
    {-1, "", "", ""},
};

TOOL_MATERIAL g_toolMaterials[6] = {};

namespace {

constexpr double kDegree = 3.141592653589793 / 180;

bool keepsFullPointAngle(std::int32_t type) { return type == 1 || type == 2 || type == 3 || type == 9; }

}  // namespace

double toolHalfAngleRad(std::int32_t type, double toolAngleDeg) {
    return (keepsFullPointAngle(type) ? toolAngleDeg / 2 : toolAngleDeg) * kDegree;
}

double toolAngleDeg(std::int32_t type, double halfAngleRad) {
    return (keepsFullPointAngle(type) ? 2 * halfAngleRad : halfAngleRad) / kDegree;
}
