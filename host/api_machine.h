// The machine group record, the machine definition behind it and the control's NC path values, as the
// plug-in sees them. Included by host/api_ops.h. Lengths in part units, feeds in units per minute.
//
// A machine definition is a small tree of records stored in the part as association entities (walked with
// get_ent_assoc, found by id): one definition, component nodes (child and sibling lists, first item) and
// component items (a kind code, a value, the next item); its control definition names a control id, and
// CControlInterface gives that control's NC path settings. Item kinds: 5 a component, 301 the spindle speed
// limit (rpm), 400 the tool-change time (s). The records travel in ent_assoc::data with the codecs below.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

struct ent;

// The stock of the job: its size along x, y, z, its origin (the centre of its top face, or the corner its
// anchor names: 1..8, the top corners counter-clockwise from -x -y, then the bottom ones; 0 none), in the
// stock's own axes, a flag word (non-zero: the stock is not usable as set up) and its axes (rows X, Y, Z;
// the world's in a fresh group).
struct stock_block {
    double size[3] = {};
    double origin[3] = {};
    std::int16_t anchor = 0;
    std::uint16_t flags = 0;
    double matrix[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// Feed modes: 0 only taps get a feed (from their pitch), 1 from the material, 2 leave the tool alone,
// 3 the group's default spindle speed and feeds. A new machine group: the host's post (postPath ""), no
// material, feed mode 0, no stock, numbering off, offset bases 0, spindle 1200 rpm, feeds 250/100/500
// mm/min (10/4/20 in/min), rapid 12500 mm/min (500 in/min), no machine definition.
struct machine_group {
    char postPath[256] = {};
    char materialName[64] = {};       // "" or "NONE": no material
    std::int32_t feedMode = 0;
    stock_block stock;
    std::int32_t toolNumbering = 0;   // non-zero: new tools are numbered after the part's tools
    std::int32_t lengthOffsetBase = 0;
    std::int32_t diameterOffsetBase = 0;
    double defaultSpindle = 0;        // rpm
    double defaultFeeds[3] = {};      // feed, plunge, retract
    double rapidRate = 0;
    std::uint32_t machineDefId = 0;   // id of the machine definition entity, 0 for none
};

// ---- machine definition records (association kinds and their data) ---------------------------------------
constexpr std::int16_t kAssocMachineDef = 20;
constexpr std::int16_t kAssocCompNode = 21;
constexpr std::int16_t kAssocCompItem = 22;
constexpr std::int16_t kAssocControlDef = 23;

constexpr std::int32_t kItemComponent = 5;
constexpr std::int32_t kItemSpindleLimit = 301;
constexpr std::int32_t kItemToolChange = 400;

// Links are entity ids (0: none).
struct machine_def {
    char name[64] = {};
    std::uint32_t rootNode = 0;       // first component node
    std::uint32_t controlDef = 0;     // control definition entity
    double rapidRateMm = 0;           // mm/min
    double rapidRateInch = 0;         // in/min
};
struct comp_node {
    std::uint32_t child = 0;          // first node of its child list
    std::uint32_t sibling = 0;        // next node of its own list
    std::uint32_t firstItem = 0;
};
struct comp_item {
    std::int32_t kind = 0;
    double value = 0;
    std::uint32_t next = 0;           // next item of the node
};
struct control_def {
    std::int32_t controlId = 0;       // 0: no control
};

// Image sizes (little-endian, in the order of the members).
constexpr std::size_t kMachineDefSize = 88, kCompNodeSize = 12, kCompItemSize = 16, kControlDefSize = 4;
// Each reads the record from an entity of its kind; nullopt for another kind or data of the wrong length.
std::optional<machine_def> machineDefFrom(const ent& e);
std::optional<comp_node> compNodeFrom(const ent& e);
std::optional<comp_item> compItemFrom(const ent& e);
std::optional<control_def> controlDefFrom(const ent& e);

// ---- the control ----------------------------------------------------------------------------------------
// NC path settings of a control, 16 16-bit values. Places 4, 6 and 7 (from 0) are the ones read:
// 4 arc output (0 centre, 1 radius), 6 drill cycle output (0 long hand, 1 canned), 7 sequence numbers (0 off).
// The host knows control 1: arcs by centre, canned cycles, no sequence numbers.
struct nc_path_ctrl {
    std::int16_t values[16] = {};
};

class CControlInterface {
public:
    static CControlInterface* GetControl();                  // the host's control interface (never null)
    nc_path_ctrl* GetControlNcPath(std::int32_t controlId);  // null for an unknown control
};
