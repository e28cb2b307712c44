// The host's tool record `tp_tool` as the plug-in sees it, with its 1680-byte stored image. Included by
// host/api.h. The field order is the host's; the offsets are this stand-in's and are fixed here once.
// Lengths are in the tool's units (unitFlag 1 mm, 0 inch), the angle in degrees, speed and feed in %.
// The image is packed and little-endian; bytes no field names are carried in `reserved`, so an image
// read and written again comes out byte for byte.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

struct tp_tool {
    std::int32_t slot = 0;
    std::int16_t type = 0;
    std::int16_t subType = 0;
    double diameter = 0;
    double cornerRadius = 0;
    double pitch = 0;              // threads per inch for inch tools
    double angle = 0;              // tip angle, degrees
    double extra = 0;              // not part of a tool's identity
    double feeds[3] = {};
    std::int32_t spindle = 0;
    std::int16_t flutes = 0;
    std::int16_t material = 0;
    char name[80] = {};
    char profilePath[256] = {};
    std::uint8_t unitFlag = 0;
    std::int32_t number = 0;
    double fluteLength = 0;
    double overallLength = 0;
    double shoulderLength = 0;
    double secondDiameter = 0;
    double speedPercent = 0;
    double feedPercent = 0;
    std::int16_t option = 0;
    double shapeValue = 0;
    std::int32_t machineGroupId = 0;
    double peckPercent[4] = {};
    double peckValues[2] = {};
    double dwell = 0;
    std::int32_t offsetNumbers[2] = {};   // length and diameter offset
    std::uint8_t reserved[1133] = {};

    bool operator==(const tp_tool&) const = default;
};

constexpr std::size_t kTpToolSize = 1680;
using TP_TOOL_BYTES = std::array<std::uint8_t, kTpToolSize>;

namespace tp_tool_layout {
// Offsets of the fields in the image, in field order.
constexpr std::size_t slot = 0, type = 4, subType = 6, diameter = 8, cornerRadius = 16, pitch = 24, angle = 32,
                      extra = 40, feeds = 48, spindle = 72, flutes = 76, material = 78, name = 80,
                      profilePath = 160, unitFlag = 416, number = 417, fluteLength = 421, overallLength = 429,
                      shoulderLength = 437, secondDiameter = 445, speedPercent = 453, feedPercent = 461,
                      option = 469, shapeValue = 471, machineGroupId = 479, peckPercent = 483, peckValues = 515,
                      dwell = 531, offsetNumbers = 539, reserved = 547;
// Each field starts where the one before it ends; the last one ends the record.
static_assert(type == slot + 4 && subType == type + 2 && diameter == subType + 2 && cornerRadius == diameter + 8 &&
              pitch == cornerRadius + 8 && angle == pitch + 8 && extra == angle + 8 && feeds == extra + 8 &&
              spindle == feeds + sizeof(tp_tool::feeds) && flutes == spindle + 4 && material == flutes + 2 &&
              name == material + 2 && profilePath == name + sizeof(tp_tool::name) &&
              unitFlag == profilePath + sizeof(tp_tool::profilePath) && number == unitFlag + 1 &&
              fluteLength == number + 4 && overallLength == fluteLength + 8 && shoulderLength == overallLength + 8 &&
              secondDiameter == shoulderLength + 8 && speedPercent == secondDiameter + 8 &&
              feedPercent == speedPercent + 8 && option == feedPercent + 8 && shapeValue == option + 2 &&
              machineGroupId == shapeValue + 8 && peckPercent == machineGroupId + 4 &&
              peckValues == peckPercent + sizeof(tp_tool::peckPercent) &&
              dwell == peckValues + sizeof(tp_tool::peckValues) && offsetNumbers == dwell + 8 &&
              reserved == offsetNumbers + sizeof(tp_tool::offsetNumbers) &&
              reserved + sizeof(tp_tool::reserved) == kTpToolSize);

// One field between a record member and the image: `toImage` says the direction.
template <class T>
inline void transfer(bool toImage, std::uint8_t* image, std::size_t at, T& field) {
    if (toImage) std::memcpy(image + at, &field, sizeof field);   // the hosts we run on are little-endian
    else std::memcpy(&field, image + at, sizeof field);
}

inline void all(bool toImage, std::uint8_t* image, tp_tool& t) {
    transfer(toImage, image, slot, t.slot);
    transfer(toImage, image, type, t.type);
    transfer(toImage, image, subType, t.subType);
    transfer(toImage, image, diameter, t.diameter);
    transfer(toImage, image, cornerRadius, t.cornerRadius);
    transfer(toImage, image, pitch, t.pitch);
    transfer(toImage, image, angle, t.angle);
    transfer(toImage, image, extra, t.extra);
    transfer(toImage, image, feeds, t.feeds);
    transfer(toImage, image, spindle, t.spindle);
    transfer(toImage, image, flutes, t.flutes);
    transfer(toImage, image, material, t.material);
    transfer(toImage, image, name, t.name);
    transfer(toImage, image, profilePath, t.profilePath);
    transfer(toImage, image, unitFlag, t.unitFlag);
    transfer(toImage, image, number, t.number);
    transfer(toImage, image, fluteLength, t.fluteLength);
    transfer(toImage, image, overallLength, t.overallLength);
    transfer(toImage, image, shoulderLength, t.shoulderLength);
    transfer(toImage, image, secondDiameter, t.secondDiameter);
    transfer(toImage, image, speedPercent, t.speedPercent);
    transfer(toImage, image, feedPercent, t.feedPercent);
    transfer(toImage, image, option, t.option);
    transfer(toImage, image, shapeValue, t.shapeValue);
    transfer(toImage, image, machineGroupId, t.machineGroupId);
    transfer(toImage, image, peckPercent, t.peckPercent);
    transfer(toImage, image, peckValues, t.peckValues);
    transfer(toImage, image, dwell, t.dwell);
    transfer(toImage, image, offsetNumbers, t.offsetNumbers);
    transfer(toImage, image, reserved, t.reserved);
}
}  // namespace tp_tool_layout

inline TP_TOOL_BYTES tpToolImage(const tp_tool& tool) {
    TP_TOOL_BYTES image{};
    tp_tool copy = tool;
    tp_tool_layout::all(true, image.data(), copy);
    return image;
}

// The tool of the first `n` bytes of an image; the bytes past n read as zero (an image of an earlier,
// shorter record), bytes past 1680 are not read.
inline tp_tool tpToolFromImage(const std::uint8_t* bytes, std::size_t n) {
    TP_TOOL_BYTES image{};
    std::memcpy(image.data(), bytes, n < kTpToolSize ? n : kTpToolSize);
    tp_tool tool;
    tp_tool_layout::all(false, image.data(), tool);
    return tool;
}

// ---- what a tool may hold -----------------------------------------------------------------------------------
// The one rule of a tool's values, which every reader and writer of tools keeps to (libraries, the part's tool
// list, the tool editor, the tools the plug-in makes): no value that is not a finite number, no diameter,
// radius, pitch or length below 0 or above kMaxToolLength, no angle outside 0 .. 180 degrees, the point
// angle of a drill 0 (none given) or 30 .. 180 degrees, of a spot drill, centre drill or countersink 0 or
// 30 .. 150, and a drilling tool's (types 1 to 9) pecks 0 (none) or 5 .. 10000 % of its diameter, its peck
// clearance and chip-break retract 0 .. 1000 %, its spindle speed 0 .. kMaxToolSpindle and feeds 0 ..
// kMaxToolFeed. What breaks it ("its diameter 1e+20 is out of range"), "" for sound values.
constexpr double kMaxToolLength = 10000;   // in the tool's units: no tool is 10 m (or 250 m) long
constexpr double kMaxToolSpindle = 1e6;    // rpm: no spindle turns a million times a minute
constexpr double kMaxToolFeed = 1e6;       // in the tool's units a minute: no machine feeds 1 km (or 25 km)
std::string tool_values_why(const tp_tool& tool);

// ---- tool lists ---------------------------------------------------------------------------------------------
// A tool list handed out by list_manager: singly linked nodes in list order, owned by the host until the
// list is given back (list_manager mode 1).
struct tool_node {
    tp_tool tool;
    tool_node* next = nullptr;
};

// ---- materials ----------------------------------------------------------------------------------------------
// A machining material. Vc in m/min for metric materials, ft/min for inch ones; fz in mm or inch per tooth.
// feedPercentByType is indexed by the tool type (0 to 19), the per-tool-material tables by the tool's
// material code - 1. Every percentage 0 means "as it is" to the plug-in.
constexpr int kMaterialToolTypes = 20;
constexpr int kMaterialToolMaterials = 6;
struct material {
    char name[80] = {};
    double cuttingSpeed = 0;
    double speedPercent = 0;
    double feedPerTooth = 0;
    double feedPercentByType[kMaterialToolTypes] = {};
    double speedPercentByMaterial[kMaterialToolMaterials] = {};
    double feedPercentByMaterial[kMaterialToolMaterials] = {};
    bool operator==(const material&) const = default;
};
struct material_node {
    material matl;
    material_node* next = nullptr;
};

// ---- list_manager -------------------------------------------------------------------------------------------
// Kinds of list, and the two modes.
constexpr int kListOperations = 1;   // the part's operations: built with the operation manager
constexpr int kListTools = 3;        // "" the part's tool list, otherwise a tool library file
constexpr int kListMaterials = 4;    // "" the host's current material list, otherwise a ".Materials" file
constexpr int kListLoad = 0;
constexpr int kListFree = 1;
// Mode 0 sets *list to a new list (null when it is empty) and returns 1; a file that is damaged or of
// another kind gives 0, an empty list and a message on the host's message line; a missing file gives 0 and
// an empty list without a message. Mode 1 frees *list, sets it to null and returns 1. A kind that does not
// fit the list's type returns 0.
int list_manager(int kind, const char* name, int mode, tool_node** list);
int list_manager(int kind, const char* name, int mode, material_node** list);

// ---- library_manager ----------------------------------------------------------------------------------------
// Tool library files (format in host/tools/tool_library.h), found whatever the case of the path. A name or
// profile text that fills its whole field is stored cut by its last character (so is a part tool's).
// A library holding tools its reader leaves out (tool_library.h) takes a tool only when the user agrees to write
// it again without them (the host asks at each store; declined, it takes no tool: 0), and a tool
// breaking tool_values_why is never stored; list_manager reads such a library without them and tells them on
// the message line, once while it stays as it is.
//   mode 3, option 1: add the tool; it keeps its slot when the library has no tool there, else it gets the
//                     next free slot; its number is `numberOrSlot` when positive, else the next free number.
//                     The record gets the slot and number it was stored with. 1 stored, 0 not.
//   mode 3, option 4: rewrite the tool at slot `numberOrSlot` with the record; the slot stays, and the
//                     number the tool had when the record has none. 1 rewritten, 0 no such slot or not written.
//   mode 1:           add the tool as mode 3 option 1 with the next free number; returns its slot, 0 when
//                     it was not stored (a missing file is created as an empty library first).
//   mode 6:           the user picks a tool of the library, starting at slot `numberOrSlot`, through a
//                     scripted "library-pick SLOT|cancel" step; 1 with the record filled, 0 when cancelled
//                     or the library cannot be read.
constexpr int kLibraryAddTool = 1;
constexpr int kLibraryStoreTool = 3;
constexpr int kLibraryPickTool = 6;
constexpr int kLibraryOptionAdd = 1;
constexpr int kLibraryOptionRewrite = 4;
int library_manager(int mode, const char* path, tp_tool* tool, int numberOrSlot = 0, int option = 0);
//   mode 4:           the user picks a material of the material file `path` through a scripted
//                     "library-pick NAME|cancel" step; 1 with the record filled, 0 when cancelled.
constexpr int kLibraryPickMaterial = 4;
int library_manager(int mode, const char* path, material* picked);

// ---- the part's tools ---------------------------------------------------------------------------------------
// The part's mill tool list. Each tool has a host id (its database record), a slot (operations name their
// tool by slot) and a number. The list is what the plug-in walks; the database is what the part file keeps.
// DatabaseAdd adds to both; DatabaseRemove takes the record out of the database only, RemoveAt the entry out
// of the list only; Refresh makes the list the database again.
struct part_tool {
    std::int32_t id = 0;
    tp_tool tool;
};
class TpToolList {
public:
    int GetSize() const;
    part_tool* GetAt(int index);                      // null out of range; valid until the list changes
    int IndexBySlot(std::int32_t slot) const;         // -1 when no entry has the slot
    bool RemoveAt(int index);
};
class TpPartToolList : public TpToolList {
public:
    // Adds the tool: a slot of 0 or one already in the part is replaced by the next free slot (written back
    // into *tool). Returns the new id; 0 for a null record or one whose values break tool_values_why (told on
    // the message line).
    std::int32_t DatabaseAdd(tp_tool* tool);
    bool DatabaseRetrieve(std::int32_t id, tp_tool* out) const;   // false: no record with the id
    bool DatabaseRemove(std::int32_t slot);                       // false: no record with the slot
    void Refresh();
};
class TpToolMgr {
public:
    TpPartToolList& GetMainMillToolList();
};
TpToolMgr& TpMainToolMgr();

// mode 2: writes the record over the part tool with the same slot (database and list). 1 written, 0 no part
// tool has the slot or the record breaks tool_values_why.
// mode 6: the host's tool editor on the record, a window of the host (template 30101: edits 1001 number,
// 1002 name, 1010 diameter, 1011 corner radius, 1012 angle, 1013 flute length, 1014 shoulder length,
// 1015 overall length, 1003 flutes; OK, Cancel) that the script plays with window steps. 1 when the user
// accepted it (the record takes the values changed), 0 when cancelled (the record is untouched).
// Other modes (the tool manager opened on a library) are not offered: 0.
constexpr int kToolManagerWrite = 2;
constexpr int kToolManagerEdit = 6;
int tool_manager(tp_tool* tool, int mode, tool_node* list = nullptr);

// ---- libraries of the host ----------------------------------------------------------------------------------
extern char tool_suffix[32];            // extension of tool library files, with its dot: ".Tools"
extern char material_suffix[32];        // ".Materials"
std::string ToolLibrary();              // the current tool library (a copy, as ToolLibraryStr gives it)
void SetToolLibrary(const char* path);  // null or "" goes back to the default library of the units
const char* MatlLibrary();              // the machine group's material file
