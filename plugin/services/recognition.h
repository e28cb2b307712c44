// What the other subsystems use of hole recognition: building the tree of drilling directions, holes and
// segments from the part's surfaces, the checks that complete it, its dumps, and the moves of holes between
// a view and the opposite one. Frames and units as in plugin/model/tree.h.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugin/base/directions.h"

struct VIEW_LIST;
struct POINT_LIST;
struct CYL_LIST;
struct FEATURE_MARK;
class CTabColsDesc;
class CProgressBox;

// ---- the recognition and the checks that complete its tree ---------------------------------------------

// The running hole id: every new POINT_LIST takes it and increments it. The recognition command sets it to
// 1 before recognizeCylinders; stages that make holes later in the run go on counting from it.
extern std::int32_t g_nextHoleId;

// Recognition modes: the recognition command and the features side (stages CylsPlanar and CylsEraCavern
// read it; nothing else does).
constexpr std::uint16_t kRecognizeCommand = 0;
constexpr std::uint16_t kRecognizeFeatures = 1;

// How a recognition ended, for callers that must tell "nothing found" from "stopped".
constexpr int kRecognitionDone = 0;
constexpr int kRecognitionCancelled = 1;   // the user's Cancel at a progress step
constexpr int kRecognitionFailed = -1;     // after its message

// Builds the tree from the part's surfaces and cleans it; returns its head, or null for no tree: nothing
// found, a failure (after its message) or the user's Cancel at one of the four progress steps. Nothing
// that was built survives a null result. Each rejected surface adds 1 to the counter of its reason (the
// caller zeroes them): wider than the maximum diameter (only while maxDiameterOn), narrower than the
// minimum (only while minDiameterOn), a direction the allowed views refuse; a counter may be null.
// `progress` may be null (no steps, no cancel). `table` is handed through untouched. Stage dumps go to
// PLUGIN_GLOBALS::tmpDir while the debug switch is on. `outcome`, when given, receives kRecognition*.
[[nodiscard]] VIEW_LIST* recognizeCylinders(std::uint16_t mode, CProgressBox* progress, std::int32_t* wideRejects,
                                            std::int32_t* narrowRejects, std::int32_t* directionRejects,
                                            std::uint8_t maxDiameterOn, std::uint8_t minDiameterOn,
                                            CTabColsDesc* table, int* outcome = nullptr);

// A wall that a rule of the recognition left out, so that the user can be told where and why: the rules
// are settings, and the user may change one or machine the hole by hand.
enum class DROP_RULE {
    TooWide, TooNarrow, Direction, OpenArc, Undercut, Pocket, Closed, BeyondClosedEnd, TooManyWalls, NoBore,
    NoNewTable, ToolRunsInto
};
struct DROPPED_WALL {
    DROP_RULE rule = DROP_RULE::TooWide;
    double position[3] = {};   // world: the centre of the wall's top (of the hole's top for an open arc)
    double diameter = 0;       // the widest of the wall (of the hole's walls)
    double sweep = 0;          // degrees of its circle the widest wall keeps (open arcs)
    // A hole one of whose tools would run into material: the tool's diameter, the solid's number in the
    // part and the depth below the hole's mouth where the tool would meet it (above the mouth: negative).
    double toolDiameter = 0;
    std::int32_t solid = 0;
    double depth = 0;
};
// What the last recognizeCylinders left out, in the order met: a surface for the diameter and direction
// rules, a hole position for the open-arc rule, which leaves out holes whose every wall keeps less of its
// circle than the setting's sweep, and a segment for the rules that cut chains: wider than the bore above
// it (an undercut: the larger bores of a line of bores), part of a pocket opened sideways, closed at both
// ends (a cavity), beyond the closed end of its hole; a hole position for a hole without a bore, whose
// walls only narrow to a point (a centre mark: a hole of diameter 0 to the tables, with nothing to take
// its depth from); and a hole position for a hole of more walls than its description holds, or one that no
// table describes and for which no new table could be made, which the form recognition that follows leaves
// out; and a hole position one of whose tools would run into material of the part (its first tool to do so,
// with what it meets), which the run's check of the tools' reach leaves out. The list is emptied when the
// next recognition starts.
const std::vector<DROPPED_WALL>& droppedWalls();
// Adds a hole that a later stage of the run leaves out whole: its top, its widest wall.
void noteDroppedWholeHole(DROP_RULE rule, const POINT_LIST& hole);
// Adds a hole position whose tool would run into material (DROP_RULE::ToolRunsInto).
void noteToolRunsInto(const POINT_LIST& hole, double toolDiameter, std::int32_t solid, double depth);

// The material around each hole (hillT, hillB) and the foreign surfaces above, below or inside it (crashTop,
// crashBottom, crashInto). mode 0 is the normal check; with mode 1 a surface owned by another recognised hole never sets crashInto
// (it may still give a tip cone). 0 done; -1 the user aborted through `progress` or a tip cone could not be
// allocated (after the message). `progress` may be null (never aborted).
[[nodiscard]] int checkOpaqueSurfs(VIEW_LIST* tree, std::int16_t mode, CProgressBox* progress);

// Whether the centre drill and the chamfer tool around a hole's mouth would touch the part above its top or
// below its bottom (touchTop, touchBottom); run once the holes have their operations. 0 done; -1 the user
// aborted through `progress` (flags written so far stay). `progress` may be null.
[[nodiscard]] int checkToolCollision(VIEW_LIST* tree, CProgressBox* progress);

// Lengthens the holes of the tree to the active machine group's stock block. 0 done or nothing to do (no
// machine group, an unusable set-up after message 171, a degenerate size); -1 a segment could not be
// allocated (after the message; changes so far stay).
[[nodiscard]] int checkStockEntry(VIEW_LIST* tree);

// The reaming split: the straight, open-ended segment at a through hole's far end goes, flipped, to the
// opposite view, when the allowed views take the opposite direction. Splits every hole whose candidate
// segment the settings of its kind accept: fit segments take the fit mode, ratio and full-depth switch, all
// others the other three. `table` gives the chamfer angle range and the maximum chamfer of its [Prm] part.
// `progress` is not used. 0, or -1 when a move into the opposite view failed (splits done before stay).
[[nodiscard]] int splitReaming(VIEW_LIST* tree, const CTabColsDesc& table, const ALLOWED_VIEWS& allowed,
                               std::int16_t fitMode, double fitRatio, std::int16_t fitFullDepth, std::int16_t otherMode, double otherRatio,
                               std::int16_t otherFullDepth, CProgressBox* progress = nullptr);

// The thread and fit attributes the designer put into the part as labels, named entities or coded entity
// names: gathers the sources of the open part and applies them to the tree's segments (a later source wins).
// Always 0.
int readNameHoleAttribs(VIEW_LIST* tree);

// Lays the feature marks onto the recognised holes (tap or fit data to the segment a mark covers).
// Returns the head of the mark list after the merge; the caller stores it as the global list head. With
// PLUGIN_GLOBALS::debugDumps on, the marks are listed in "FeaturesList.txt" of the work folder.
FEATURE_MARK* mergeFeaturesWithHoles(VIEW_LIST* tree, FEATURE_MARK* marks, const ALLOWED_VIEWS& allowed);

// ---- dumps of the tree while the debug switch is on ---------------------------------------------------------

// Writes the tree from `head` to the file at `path`. 0 always; nothing is written while the switch is off,
// for a null head, or for a null or empty path.
int dumpCylsViews(const VIEW_LIST* head, const char* path);

// Writes the host's named views in their order. 0 always; nothing while the switch is off or without a
// path.
int dumpViewsList(const char* path);

// The named-views dumps the recognition command writes before and after a run.
constexpr const char* kRawViewsBeforeFile = "_RawViewsBefore.txt";
constexpr const char* kRawViewsAfterFile = "_RawViewsAfter.txt";

// ---- moves of holes and segments between a view and the opposite one -----------------------------------

// Turns the segment end for end in its own frame: heights negated and swapped, radii, flats, closures and
// overlap entries swapped, `cUniv` moved to the new top along the segment's axis, `secAng` recomputed.
// Relinks for reversing a chain: `prev` becomes the old `next`, `next` becomes null and the new `prev`
// links back to this segment. Flipping the segments of a chain from its last to its first reverses it.
// To hand a segment to the opposite view, give it that view's matrix before flipping. Always 0.
int flipCylinder(CYL_LIST* segment);

// Keeps a stage's many moves, links and unlinks linear in the number of holes: for each view it has seen,
// the first view of each host view number, each view's last point and, once a move asks for a point near
// another, a grid of its points' positions. The results are those without an index. An index lives for one
// stage; the tree may change between moves only through calls given the index, except that points may be
// removed from views (the counts reveal it and the view is read again). After any other change to a view's
// chain or to a point's position, call forget(view).
class CMoveIndex {
public:
    virtual ~CMoveIndex() = default;
    virtual void forget(const VIEW_LIST* view) = 0;
};
// An empty index for one stage.
[[nodiscard]] std::unique_ptr<CMoveIndex> makeMoveIndex();

// The moves that return a point give the new point, null when nothing was moved, or moveFailed() (-1 as
// a pointer; never a record) when the opposite view cannot be had ("ErrorMessages" 140 from the host
// view lookup) or memory runs out ("ErrorMessages" 35). What a failed move changed stays changed.
// A view a move creates gets `passMark` 1, so the stage that made it can skip it.
inline POINT_LIST* moveFailed() { return reinterpret_cast<POINT_LIST*>(static_cast<std::intptr_t>(-1)); }

// Cuts the chain of `point` below `segment` and hands the tail, flipped, to a new point of the opposite
// view (the new point takes `hillT` and `hillB` crosswise). Null when `segment` is the last of its chain,
// or when the opposite view already has a point within T (view x, y) of the tail: the tail is then
// released.
[[nodiscard]] POINT_LIST* splitPointToOppView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CYL_LIST* segment,
                                              CMoveIndex* index = nullptr);

// Copies the whole hole, flipped, into a new point of the opposite view and marks the view (`selected`)
// and the point (`movedMark`); the old point stays for the caller to remove. Hills, crash and touch
// results go crosswise, the process fields are copied.
[[nodiscard]] POINT_LIST* movePointToOppView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point,
                                             CMoveIndex* index = nullptr);

// Moves `point` itself with its chain, flipped, to the end of the opposite view. 0; -1 on failure (the
// point has then left its view and is released).
[[nodiscard]] int movePointToView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index = nullptr);

// The first view of the tree with the host view number opposite to `view`'s, or a new one appended at the
// end with `passMark` 1; null when the opposite view cannot be had or memory runs out (after the message).
[[nodiscard]] VIEW_LIST* findOrCreateOppView(VIEW_LIST* head, const VIEW_LIST* view, CMoveIndex* index = nullptr);

// Appends `point` after the last point of `view`; `pointCount` grows by one. With an index, in constant time.
void appendPointToView(VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index = nullptr);
// Takes `point` out of `view`'s list (`pointCount` drops by one); the point itself stays.
void unlinkPoint(VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index);

// Gives the chain from `top` (cut off above: no `prev`) to `point` in `view`: every segment takes the
// view's number and matrix and is flipped (the old last becomes the top); sets `firstCyl`, `cylCount`,
// `ptUniv` and `ptView`.
void rehomeChain(POINT_LIST* point, const VIEW_LIST* view, CYL_LIST* top);

// ---- feature marks from a recognised tree --------------------------------------------------------------
// Marks for the features manager from the host colours of the holes' faces (agreed colours mean reamed to
// a fit class or tapped) and from the geometry of tapped holes (a tap-drill cylinder overlapping a thread
// cylinder whose two diameters a thread table knows). Each mark is appended with addFeatureMark; segments
// straight within 3 degrees only.

constexpr int kReamColourCount = 6;
constexpr int kThreadColourCount = 3;

// A face in thread colour j gives a tapped mark looked up by the segment's diameter (in thread table j,
// or in all thread tables when that name is empty; the walk over the segment's faces ends there); a face
// in ream colour i gives a fit mark whose class is the text in braces of ream table i. Always 0.
int createColorFeatureMarks(VIEW_LIST* tree, const std::uint8_t reamColors[kReamColourCount],
                            const std::uint8_t threadColors[kThreadColourCount],
                            const std::string threadTables[kThreadColourCount],
                            const std::string reamTables[kReamColourCount]);

// A segment with exactly one overlap gives a tapped mark when a thread table has a row for the thread
// diameter (the overlap's) and the tap-drill diameter (the segment's). Always 0.
int createTapFeatureMarks(VIEW_LIST* tree);
