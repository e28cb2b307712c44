// The recognition tree: drilling directions (VIEW_LIST), the hole positions in each (POINT_LIST) and the
// coaxial cylinder and cone segments of each hole (CYL_LIST), from CYCLE_RECORDS::viewsTree down.
// Lengths in the part's units, angles in radians; a matrix is 3 x 3 doubles row by row, the rows being the
// X, Y and Z axes in world coordinates (Z the drilling or axis direction). z values of a segment run along
// its Z row, `zSup` above `zInf`. The records are kept in the part byte for byte: tree_codec.h is the one
// place that knows their offsets. `areaN` members are image bytes at offset N that hold no field the plug-in
// uses; they are carried unchanged.
#pragma once
#include <algorithm>
#include <cstdint>

#include "host/api_db.h"
#include "plugin/model/ope_list.h"

struct POINT_LIST;
struct CYL_LIST;
struct OPE_LIST;   // an operation of a hole (process engine)
struct CIL_DESC;   // an item of a hole's description array (process engine)

// One drilling direction.
struct VIEW_LIST {
    std::uint16_t kind = 1;                 // 1 for a view (2 a point, 3 an operation)
    std::int16_t orderNumber = 0;           // 1, 2, 3 ... in the sorted order of the views (form recognition)
    std::uint8_t area4[2] = {};
    std::uint8_t showOnFill = 0;            // the process tree scrolls to the view at its next fill
    std::uint8_t expandOnFill = 0;          // ... and expands it
    std::uint16_t selected = 0;             // on in the process tree; a view move sets it on the view it fills
    std::uint8_t area10[2] = {};
    std::int16_t viewNumber = 0;            // host view number of the direction
    std::int16_t groupNumber = 0;           // tool-path group: consecutive views with one number form a group
    std::int16_t sortIndex = 0;             // place within its group, numbered by the tool sequencing
    std::uint16_t selectedSaved = 0;        // `selected` as a group of selected holes found it
    std::uint8_t clearanceStartEnd = 0;     // the clearance plane only at the start and end of operations
    std::uint8_t groupMember = 0;           // put into a group by the tool-path groups dialog
    std::uint8_t endsToolPathGroup = 0;     // ... and the last view of its group there
    std::uint8_t area23[1] = {};
    std::int16_t viewsSortOrder = 0;        // the views' sort order setting when that dialog last listed the view
    std::uint8_t area26[12] = {};
    std::int32_t passMark = 0;              // set by a moving stage on views it made or filled; 0 between stages
    std::uint8_t area42[9] = {};
    double matrix[3][3] = {};               // view matrix; matrix[2] is the drilling direction
    std::uint8_t area123[350] = {};
    std::int32_t pointCount = 0;
    POINT_LIST* firstPoint = nullptr;
    VIEW_LIST* prev = nullptr;
    VIEW_LIST* next = nullptr;
    std::uint8_t area489[15] = {};
    std::int16_t idn = 0;                   // key of the named view whose axis matched; 0 for a standard view
    std::uint16_t wcsViewNumber = 0;        // standard view 1-6 matching the view in the WCS, 0 for none
    std::uint8_t area508[2] = {};
    std::uint16_t nearNamedViewId = 0;
    std::uint16_t nearViewNumber = 0;
    double nearAngle = 0;                   // between the view's axis and the nearest view's axis
    std::uint8_t area522[12] = {};
};

// Why a hole's process, applied, made it no operation: none of its operations applies to the hole (each
// switched off for it), or a tool diameter it computes is below the base tolerance T.
enum class EMPTY_PROCESS : std::uint8_t { None, NoneApplies, ToolBelowSmallest };

// One hole position (one axis) in a view.
struct POINT_LIST {
    std::uint16_t kind = 2;
    std::uint8_t area2[4] = {};
    std::uint8_t showOnFill = 0;            // the process tree scrolls to the hole at its next fill
    std::uint8_t highlightOnFill = 0;       // ... drop-highlights it
    std::uint8_t expandOnFill = 0;          // ... expands it
    std::uint16_t treeChecked = 0;          // on in the process tree
    std::uint16_t selected = 0;             // on, carried by every member of the chain of equal holes
    std::uint8_t excluded = 0;              // removed: left out of the lists, marks and tool matrices
    char description[64] = {};              // the hole's label
    char whyText[72] = {};                  // why its operations are as they are (operation comments)
    std::uint8_t area150[3] = {};
    // The chamfer window the adaptable table search described the hole with: chamfer half-angle minimum,
    // largest chamfer depth, tip angle, chamfer half-angle maximum.
    double adaptedWindow[4] = {};
    std::int32_t holeType = 0;              // 0-5: UNKNOWN, FACEHOLE, FITHOLE, DFACEHOLE, DRILLHOLE, TAPHOLE
    double ptView[3] = {};                  // axis point of the top segment in view coordinates (x, y, zSup)
    double ptUniv[3] = {};                  // the same in world coordinates
    // The chain of equal holes of a view (same shape, one process): the head counts its followers and links
    // them through nextEqual; each follower carries chainMember.
    std::uint8_t chainMember = 0;           // a follower hung behind a head hole
    std::int32_t chainCount = 0;            // followers hung behind this head through nextEqual
    POINT_LIST* nextEqual = nullptr;
    std::uint16_t selectedSaved = 0;        // `selected` and `selected2` as a group of selected holes found them
    std::uint16_t selected2Saved = 0;
    std::uint16_t descCount = 0;
    CIL_DESC* descs = nullptr;              // descCount items: the hole in its table's terms
    char tableName[32] = {};                // the assigned table, empty for none
    std::int16_t rowIndex = 0;              // the row of measures in it, -1 none
    std::uint16_t selected2 = 0;            // the hole's operations are created
    std::int16_t adaptTableIndex = 0;       // the table found by the adaptable search, -1 none
    std::int16_t adaptedRow = 0;            // -1 when matched exactly
    std::uint8_t tipOutside = 0;            // the hole's tip angle lies outside the tip-angle window
    std::uint8_t outOfWindow = 0;           // the hole's chamfers lie outside the adaptable table's window
    OPE_LIST* opeList = nullptr;
    // The hole states a run leaves for its statistics, summary and the process tree's filters sit at the
    // offsets the run statistics read them at: 302, 314, 323, 422, 502, 563, 576 and 580.
    std::int16_t noMeasures = 0;            // 1 when the assignment had to add the hole's row
    std::uint8_t area304[1] = {};
    std::uint8_t movedMark = 0;             // made by a view move; cleared by the last recognition stage
    POINT_LIST* deepSplitNext = nullptr;    // the hole split off this one for depth
    POINT_LIST* deepSplitPrev = nullptr;    // the hole this one was split off
    std::uint8_t chamferCheck = 0;          // a chamfer of the hole is to be checked
    std::uint8_t geometryProblem = 0;
    std::uint8_t furtherMark = 0;
    std::uint8_t splitByDepth = 0;          // split for a tool too short for its depth
    std::uint8_t simplified = 0;            // described as one straight cylinder
    std::uint8_t movedOpposite = 0;         // moved (or a part of it) to the opposite view
    std::uint8_t rowChanged = 0;            // a re-assignment gave it another row
    std::uint8_t area321[2] = {};
    std::uint8_t depthChecked = 0;          // the hole is deeper than the usable tool (depth limit)
    std::uint8_t area324[1] = {};
    std::uint8_t neckSplitted = 0;
    std::uint8_t twinSplitted = 0;
    std::uint8_t farSplitted = 0;
    std::uint16_t reprocessed = 0;          // a process was applied to it (its operations are new)
    std::uint16_t memberReprocessed = 0;    // the same, on the members of a chain of equal holes
    std::int16_t formState = 0;             // non-zero keeps a hole moved to the other side from a second move
    std::uint8_t area334[14] = {};
    std::int16_t touchTop = 0;              // tool collision above: 1 centre drill, 2 chamfer tool, 3 both
    std::int16_t crashTop = 0;
    std::int16_t touchBottom = 0;
    std::int16_t crashBottom = 0;
    std::uint8_t crashInto = 0;
    double hillT = 0;
    double hillB = 0;
    double crashBottomZ = 0;
    std::int32_t id = 0;                    // unique within one recognition run
    std::int32_t cylCount = 0;
    CYL_LIST* firstCyl = nullptr;           // top segment
    VIEW_LIST* view = nullptr;              // owner
    std::uint32_t axisLineId = 0;           // the host line drawn on the hole's axis while it is marked, 0 none
    POINT_LIST* prev = nullptr;
    POINT_LIST* next = nullptr;
    double crashTopZ = 0;
    std::uint8_t area417[4] = {};
    std::uint8_t reamSplitted = 0;
    std::uint8_t noProblem = 0;             // none of the states holds (the run statistics set it)
    std::int16_t tableIndex = 0;            // process table; negative for none (the hole statistics test >= 0)
    char rowName[77] = {};                  // first cell of the row of measures
    std::uint8_t provisionalRow = 0;        // the row's name begins with "**" or the row was added for the hole
    char processName[42] = {};
    std::int32_t reamPartnerId = 0;
    std::uint8_t area549[1] = {};
    std::uint8_t reamPart = 0;              // 1 on the split-off reamed point
    std::uint8_t reamDepthSet = 0;
    double reamSavedZInf = 0;
    std::uint8_t area560[3] = {};
    std::uint8_t notAccessible = 0;         // the tool cannot reach the hole
    double splitFarZ = 0;
    std::int32_t splitPartnerId = 0;
    std::int32_t toolMissing = 0;           // some operation has no tool (the process tree computes it)
    std::int32_t toolCreated = 0;           // some operation's tool was made for it
    std::uint8_t area584[2] = {};

    // ---- form recognition's state of one run, not kept in the part (plugin/engine/hole_classes.h) ----
    std::int16_t holeClass = 0;             // 0-6: from which side the hole is machined
    std::int16_t classCount[7] = {};        // on a chain head: its members of each class
    std::int16_t endSplitMode = 0;          // 0 none; 1 or 2: a fitted end to machine from the other side
    std::uint8_t stageDone = 0;             // handled by the current corrective stage
    std::int32_t partnerId = 0;             // id of the hole made for this one on the other side

    // ---- the process engine's state of one run, not kept in the part ----
    EMPTY_PROCESS emptyProcess = EMPTY_PROCESS::None;   // why the process applied last made no operation

    // ---- operation generation's state of one generation, not kept in the part ----
    db_ptr drillPointEntity = 0;            // the host point stored at the hole (its handle), 0 none
    std::uint32_t drillPointId = 0;         // ... and its id
    db_ptr surfaceEnt = 0;                  // the square surface of an operation over several views, 0 none
    std::uint8_t drilled = 0;               // a drill (tool type 3) operation was made for the hole
};

// A host entity of a segment.
struct CYL_ENT {
    std::int32_t level = 0;
    std::uint16_t colour = 0;
    std::int32_t id = 0;                    // the entity's id, which survives saving and reopening the part
    db_ptr entry = 0;                       // its database handle in this session
};

// A segment that overlapped or was merged into another: indices into `ents` of the entities it brought,
// and its ends.
struct OVLP_ENTRY {
    std::uint16_t entIndex[4] = {};
    double zSup = 0, zInf = 0, rSup = 0, rInf = 0;
};

constexpr int kMaxCylEnts = 16;
constexpr int kMaxOvlp = 2;

// One coaxial segment of a hole.
struct CYL_LIST {
    double cUniv[3] = {};                   // axis point at zSup, world
    double matrix[3][3] = {};               // segment frame; matrix[2] (zDir) is the axis
    std::uint16_t viewNumber = 0;           // host view whose frame `matrix` is
    double zSup = 0, rSup = 0;
    double zInf = 0, rInf = 0;
    double Ai = 0;                          // start angle about the axis
    double Asw = 0;                         // signed sweep; 2 pi for a full turn
    std::uint8_t reserved146[8] = {};
    double rFlatMinBtm = 0;
    double secAng = 0;                      // atan2(rSup - rInf, zSup - zInf)
    double fitPreDrill = 0;
    double threadDiam = 0;
    double threadPitch = 0;
    std::int16_t threadTable = 0;
    std::uint8_t isTap = 0;
    std::uint8_t isFit = 0;
    std::uint8_t attribSuffix = 0;
    std::uint8_t topFlat = 0;
    std::uint8_t bottomFlat = 0;
    std::uint8_t topClosed = 0;
    std::uint8_t bottomClosed = 0;
    std::uint8_t topRingClosed = 0;
    std::uint8_t bottomRingClosed = 0;
    std::int16_t entCount = 0;              // 0 to kMaxCylEnts
    CYL_ENT ents[kMaxCylEnts] = {};
    CYL_LIST* prev = nullptr;               // segment above
    CYL_LIST* next = nullptr;               // segment below
    double rToric = 0;
    double rCtoric = 0;
    double zToric = 0;
    double featureDepth = 0;
    double rFlatMinTop = 0;
    double rFlatMaxTop = 0;
    double rFlatMaxBtm = 0;
    std::int16_t ovlpCount = 0;             // 0 to kMaxOvlp
    OVLP_ENTRY ovlp[kMaxOvlp] = {};
    std::uint8_t reserved577[17] = {};
    std::int16_t viewIdn = 0;
    std::uint8_t featureFromBottom = 0;
    char threadName[64] = {};
    char fitClass[32] = {};
    std::int16_t mergedCount = 0;           // 0 to kMaxOvlp
    OVLP_ENTRY merged[kMaxOvlp] = {};
    std::int16_t featureOrigin = 0;

    const double* zDir() const { return matrix[2]; }
};

// ---- allocation -----------------------------------------------------------------------------------------
// Fresh records: every byte zero but `kind`. Null after the message "ErrorMessages" 35 (error icon) when
// memory runs out; the caller frees what it built and ends its run.
[[nodiscard]] VIEW_LIST* allocViewList();
[[nodiscard]] POINT_LIST* allocPointList();
[[nodiscard]] CYL_LIST* allocCylList();
// A record holding a copy of `from`, its links and all; null as above.
[[nodiscard]] CYL_LIST* allocCylListCopy(const CYL_LIST& from);

// Release one record and nothing that hangs from it.
void freeViewList(VIEW_LIST* view);
void freeCylList(CYL_LIST* cyl);
// Releases a point with its segments, operations and description array (not following `next`).
void freePointList(POINT_LIST* point);
// Gives the room kept for released holes and segments back to the heap, where no hole or segment is held
// any more (the plug-in unloading).
void releaseTreeRecordRooms();
// The holes and segments taken and not given back. Every one must come from allocPointList, allocCylList or
// allocCylListCopy: one made elsewhere and released here would throw the count off, and the room would
// never go back to the heap.
std::size_t heldTreeRecords();

// Releases every view of the list from `tree` on, with its points, segments, operations and description
// arrays. The process copies of operations stay (operations may share one), and an operation chain or
// description array that several holes share is released once. Null does nothing. Returns 0.
int freeViewsTree(VIEW_LIST* tree);

// Defined beside OPE_LIST and CIL_DESC: release an operation chain from `first` following `next` (not the
// process copies), and one description array.
void freeOpeChain(OPE_LIST* first);
void freeCilDescs(CIL_DESC* descs);

// ---- walking ---------------------------------------------------------------------------------------------
// Lengths of the chains, following the links (the stored counts may disagree on damaged data).
int countViews(const VIEW_LIST* tree);
int countPoints(const VIEW_LIST* view);
int countCyls(const POINT_LIST* point);
// The last segment of the point (its bottom), null for none.
CYL_LIST* lastCyl(const POINT_LIST* point);
// The point's segment `place` from the top (0 the first), null past its end.
CYL_LIST* cylAt(const POINT_LIST* point, int place);
// The selection flags of every view and hole kept in their saved fields, and given back from them.
void keepSelection(VIEW_LIST* tree);
void restoreSelection(VIEW_LIST* tree);
// Calls visit(entry) for every entity slot of the point's segments, a damaged count kept to the slots there are.
template <class Visit>
void forEachSegmentEnt(POINT_LIST& point, Visit visit) {
    for (CYL_LIST* c = point.firstCyl; c; c = c->next)
        for (int i = 0; i < std::clamp<int>(c->entCount, 0, kMaxCylEnts); ++i) visit(c->ents[i]);
}
