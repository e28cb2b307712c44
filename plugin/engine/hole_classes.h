// The classes of holes in form recognition: from the states of both ends of each member of a chain of
// identical holes, whether it is machined from its own view (classes 0, 1, 5), from the opposite view
// (2, 3, 6) or decided member by member (4); and the reference point that sends holes to the side nearer it.
#pragma once
#include <cstdint>
#include <vector>

#include "plugin/base/directions.h"
#include "plugin/base/text_section.h"
#include "plugin/model/tab_cols_desc.h"

class CMoveIndex;
class CProgressBox;
struct VIEW_LIST;
struct POINT_LIST;

// What the stages of one form recognition share: the loaded tables with the drill-size table's index, the
// "drillOperationWhy" texts and the run's progress box.
struct FORM_RUN {
    std::vector<CTabColsDesc> tables;
    int drillIndex = -1;
    CTextSection whyTexts;
    CProgressBox* progress = nullptr;
    ALLOWED_VIEWS allowed;   // the views the user allowed, read when the run began
};

// Indexed by the bottom-side state (rows) and the top-side state (columns), 0 to 5 each.
extern const std::int16_t kHoleClassMatrix[6][6];

// What the side states of one member depend on beyond the member itself.
struct SIDE_CONTEXT {
    bool notOpposite = false;     // the reversed drilling direction is not allowed
    bool notSelected = false;     // the view's direction is not a selected view
    bool simple = false;          // the chain head is one plain through cylinder
    bool singleFlipped = false;   // the head's one descriptor is a fit or thread turned end for end
    bool headAdapted = false;     // the head's table was adapted (its adapted row is 0 or more)
};

int topSideState(const POINT_LIST& member, const SIDE_CONTEXT& context, bool topHill);
int bottomSideState(const POINT_LIST& member, const SIDE_CONTEXT& context, bool bottomHill);
// The member's class: the matrix's, with the other-side classes of a head that is not simple made 4 (the
// member crashes at the top) or 5.
int holeClassOf(const POINT_LIST& member, const SIDE_CONTEXT& context);

// Gives every member of every chain whose head has a description its class and counts the classes on the
// head; sets the heads' end-split modes when `endSplits` is on. `isSimple` tells whether a head is one
// plain through cylinder. T is the base tolerance.
void classifyChains(VIEW_LIST* tree, const ALLOWED_VIEWS& allowed, bool endSplits,
                    bool (*isSimple)(const ALLOWED_VIEWS& allowed, const POINT_LIST& head));

// With a reference point: each one-cylinder through hole whose top is nearer the point than its bottom
// (mode 0; mode 1 the other way round) goes to the other side, the others come back to their own.
void applyReferencePoint(VIEW_LIST* tree, const double point[3], int mode);

// ---- the classes in action (hole_classes_action.cpp) ----------------------------------------------------------
// WhatDoing: each chain is regrouped by class; groups 0, 1 and 5 go back into the view, groups 2/3 and 6 into
// the view of the opposite direction, class-4 members are decided one by one. 0; -1 when a process failed.
int actOnClasses(VIEW_LIST* tree, FORM_RUN& run);
// OutCrashBtm: a through hole whose drill would reach what blocks its bottom is made blind above it.
int blindBlockedBottoms(VIEW_LIST* tree, FORM_RUN& run);
// SplitGapSpace: a one-cylinder through hole with a gap between two of its segments longer than "ProcessMach"
// 26 diameters is drilled from both sides, the part below the gap from the opposite view; its chain follows.
// 0; -1 when a split could not be made.
int splitLongGaps(VIEW_LIST* tree, FORM_RUN& run);
// End split ("ProcessMach" 50): a head hole whose fitted end is finished from the other side gets a partner
// there that does only that finishing; the hole keeps the rest. Its chain follows. 0; -1 when a move failed.
int splitFittedEnds(VIEW_LIST* tree, FORM_RUN& run);
// The depth limit of every head hole not yet checked. 0; -1 when a split could not be made.
int limitDepths(VIEW_LIST* tree, FORM_RUN& run);
// The centre drills and chamfer tools of holes marked for a chamfer check take the hole's measures; the mark
// goes when both are settled.
void adaptCentreAndChamfer(VIEW_LIST* tree);

// ---- the final stages of form recognition (hole_classes_stages.cpp) ----------------------------------------
// Takes the hole out of its view's list (the count drops by one); the hole itself stays. With an index
// (plugin/services/recognition.h), which keeps the view's last point, in constant time.
void unlinkHole(VIEW_LIST* view, POINT_LIST* hole, CMoveIndex* index = nullptr);
// Every chain with a member that runs into another hole, in a view that is not a selected view, leaves the
// tree with its operations and segments.
void dropUnreachableHoles(VIEW_LIST* tree, const ALLOWED_VIEWS& allowed);
// Unlinks and frees the views without holes; returns the new head.
[[nodiscard]] VIEW_LIST* freeEmptyViews(VIEW_LIST* head);
// The last stage: views without holes freed, a host view for every view, the views sorted and numbered 1,
// 2, 3 ... in `orderNumber` (CYCLE_RECORDS::viewsTree follows the head). 0; -1 when a host view cannot be
// had.
int finishViews(VIEW_LIST*& head);
