// Building blocks that the cleaning stages share: the end states of a segment, turning a segment end for
// end, the moves of a chain or a whole hole into the view of the opposite direction, and dropping empty
// holes and views. Read tree.h first. Chains run from the entry (top) down; z runs along the view's Z row,
// so a segment seen from the opposite view has its heights negated and its ends swapped. T = g_tolerances.tolT.
// New holes take their id from g_nextHoleId (pipeline.h).
#pragma once
#include <cstdint>
#include <memory>

struct VIEW_LIST;
struct POINT_LIST;
struct CYL_LIST;

// ---- end states --------------------------------------------------------------------------------------
constexpr int kEndOpen = 0;
constexpr int kEndPartlyClosed = 1;   // a ring or a shoulder
constexpr int kEndClosed = 2;

// Whether the segment's bottom (top) end is open, partly closed or closed. A segment whose radii differ by
// T or more is a cone: the end where it narrows is closed when it reaches the axis (radius below T), else
// partly closed unless its flat is closed; the end where it widens is open. A cylinder's ends follow its
// flat flags.
int bottomEndState(const CYL_LIST* segment);
int topEndState(const CYL_LIST* segment);

// Turns the segment end for end in its own frame: heights negated and swapped, radii, flats, closures and
// overlap entries swapped, `cUniv` moved to the new top along the segment's axis, `secAng` recomputed.
// Relinks for reversing a chain: `prev` becomes the old `next`, `next` becomes null and the new `prev`
// links back to this segment. Flipping the segments of a chain from its last to its first reverses it.
// To hand a segment to the opposite view, give it that view's matrix before flipping. Always 0.
int flipCylinder(CYL_LIST* segment);

// ---- moves into the opposite view ----------------------------------------------------------------------
// The moves that return a point give the new point, null when nothing was moved, or moveFailed() (-1 as
// a pointer; never a record) when the opposite view cannot be had ("ErrorMessages" 140 from the host
// view lookup) or memory runs out ("ErrorMessages" 35). What a failed move changed stays changed.
// A view a move creates gets `passMark` 1, so the stage that made it can skip it.
inline POINT_LIST* moveFailed() { return reinterpret_cast<POINT_LIST*>(static_cast<std::intptr_t>(-1)); }

class CMoveIndex;

// Cuts the chain of `point` below `segment` and hands the tail, flipped, to a new point of the opposite
// view (the new point takes `hillT` and `hillB` crosswise). Null when `segment` is the last of its chain,
// or when the opposite view already has a point within T (view x, y) of the tail: the tail is then
// released.
[[nodiscard]] POINT_LIST* splitPointToOppView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CYL_LIST* segment,
                                              CMoveIndex* index = nullptr);
// Splits `segment` at its mid-height: its upper half (a copy) stays as the last segment of `point`; the
// segment itself, cut to its lower half, goes with everything below it, flipped, to a new point of the
// opposite view (hills not taken). Null as splitPointToOppView when the opposite view already has a
// point at that position.
[[nodiscard]] POINT_LIST* splitPointToOppView2(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point,
                                               CYL_LIST* segment, CMoveIndex* index = nullptr);
// Copies the whole hole, flipped, into a new point of the opposite view and marks the view (`viewMark`)
// and the point (`movedMark`); the old point stays for the caller to remove. Hills, crash and touch
// results go crosswise, the process fields are copied.
[[nodiscard]] POINT_LIST* movePointToOppView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point,
                                             CMoveIndex* index = nullptr);
// Moves `point` itself with its chain, flipped, to the end of the opposite view. 0; -1 on failure (the
// point has then left its view and is released).
[[nodiscard]] int movePointToView(VIEW_LIST* head, VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index = nullptr);

// The pieces the moves are made of, for stages that move in their own way.
// The first view of the tree with the host view number opposite to `view`'s, or a new one appended at the
// end with `passMark` 1; null when the opposite view cannot be had or memory runs out (after the message).
[[nodiscard]] VIEW_LIST* findOrCreateOppView(VIEW_LIST* head, const VIEW_LIST* view, CMoveIndex* index = nullptr);
// A new empty point of `view` with the next hole id, not yet linked (null when memory runs out).
[[nodiscard]] POINT_LIST* newReceivingPoint(VIEW_LIST* view);
// Appends `point` after the last point of `view`; `pointCount` grows by one. With an index, in constant time.
void appendPointToView(VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index = nullptr);
// Takes `point` out of `view`'s list (`pointCount` drops by one); the point itself stays.
void unlinkPoint(VIEW_LIST* view, POINT_LIST* point, CMoveIndex* index);
// Gives the chain from `top` (cut off above: no `prev`) to `point` in `view`: every segment takes the
// view's number and matrix and is flipped (the old last becomes the top); sets `firstCyl`, `cylCount`,
// `ptUniv` and `ptView`.
void rehomeChain(POINT_LIST* point, const VIEW_LIST* view, CYL_LIST* top);

// Releases every point without segments and then every view without points; returns the new head (null
// when every view went).
[[nodiscard]] VIEW_LIST* erasePointsWithoutCyls(VIEW_LIST* head);

// Keeps a stage's many moves, links and unlinks linear in the number of holes: for each view it has seen,
// the first view of each host view number, each view's last point and, once a move asks for a point near
// another, a grid of its points' positions. The results are those without an index. An index lives for one stage; the tree may change between moves only through
// calls given the index, except that points may be removed from views (the counts reveal it and the view
// is read again). After any other change to a view's chain or to a point's position, call forget(view).
class CMoveIndex {
public:
    CMoveIndex();
    ~CMoveIndex();
    CMoveIndex(const CMoveIndex&) = delete;
    CMoveIndex& operator=(const CMoveIndex&) = delete;

    void forget(const VIEW_LIST* view);

    struct STATE;   // private to the moves
    STATE& state() { return *m_state; }

private:
    std::unique_ptr<STATE> m_state;
};
