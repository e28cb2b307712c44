// Private to the host stand-in: the toolpath a regeneration (nci_manager mode 8) computes for an operation
// from its record and its geometry, kept with the operation until a write makes it stale. The dump and the
// NC listing read it.
//
// Coordinates are the operation's tool plane: p = M (P - O) for a world point P, M the tool plane's matrix
// (rows its axes) and O its origin (world); the world's axes and origin while the tool plane is off.
// Heights of the drill cycles and milled kinds, per point (its Z in the plane is z0):
//   clearance   absolute in the plane (clearanceOn), never below the point's retract plane
//   retract     z0 + retract when topOfStockIncremental is 1, else absolute
//   top         z0 + topOfStock when topOfStockIncremental is 1, else absolute
//   bottom      z0 + depth likewise; with tipOn the tip goes deeper by tipValue (breakthrough) and, for a
//               tool with a tip angle between 0 and 180 degrees, by its tip's length (D / 2) / tan(angle / 2)
// For a chain (contour) z0 is the Z of the chain's first entity.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"

namespace host::ops {

struct StoredOp;

// A path is kept with its operation until the part closes, and a plate's paths hold hundreds of thousands
// of moves: a move holds only what every kind has, an arc's centre lies beside the moves.
struct PathMove {
    enum Kind : std::uint8_t { kRapid, kFeed, kArcCw, kArcCcw, kDwell, kSpindleStop, kSpindleReverse };
    Kind kind = kRapid;
    std::uint32_t centre = 0;   // arcs: the centre's place in Toolpath::centres
    double to[3] = {};          // where the move ends
    double value = 0;           // feeds and arcs: the feed per minute; dwells: the seconds
};

// One hole of a drill cycle: where the cycle works and its planes, and its moves in Toolpath::moves.
struct CyclePoint {
    double x = 0, y = 0, z0 = 0;
    double clearance = 0, retract = 0, top = 0, bottom = 0;
    std::size_t firstMove = 0, moveCount = 0;
};

// No hole takes more pecks, helix or thread turns, or depth cuts than this (the deepest holes drilled in pecks
// are some 50 diameters deep, in pecks of no less than a twentieth of the diameter): an operation whose values
// ask for more is refused, with the range of the value, rather than make a loop and a path that long.
constexpr int kMostSteps = 1000;

struct Toolpath {
    int code = 0;
    int cycle = 0;                       // drill cycles: the operation's cycle
    double matrix[3][3] = {};            // the plane the coordinates are in
    double origin[3] = {};
    std::vector<CyclePoint> points;      // drill cycles and milled holes: one per point, in geometry order
    std::vector<PathMove> moves;         // every move, from the first point's clearance to the last's
    // The arcs' centres, each at its arc's start height (a helix rises or falls to the arc's end).
    std::vector<std::array<double, 3>> centres;
    std::string remark;                  // why nothing was made, when nothing was
    bool refused = false;                // the operation's values ask for more than kMostSteps: remark says which
};

Toolpath computeToolpath(const StoredOp& s);

// The tip's length of the operation's tool: (D / 2) / tan(angle / 2) for an angle between 0 and 180
// degrees, else 0.
double toolTipLength(const operation& op);

}  // namespace host::ops
