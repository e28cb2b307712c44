// The features manager's commands on feature marks: deleting them all, showing and editing picked ones (one
// by one or every mark of equal data at once), and copying a feature onto the part's equal arcs. While a
// command runs the marks' arcs sit on the features level ("Levels" 2), each mark keeping its own level.
#pragma once
#include <cstdint>
#include <vector>

struct FEATURE_MARK;
struct VIEW_LIST;
class CFeatMgrFilter;

// Asks "featuresManager" 1, then deletes every mark with its entities. Returns 0.
int deleteFeaturesCmd();
// 1 when a drawn mark lies within 4 T of the point in the same sense (the first such decides), unless with
// `ask` the user confirms another one there ("featuresManager" 2 and 3); else 0.
int featureMarkExists(const double point[3], const double direction[3], std::uint8_t ask);
// mode 0 shows what picked marks are, 1 edits picked marks one by one, 2 edits every mark of the picked one's
// data at once; the picks go on until nothing or no mark's arc is picked. 0; -1 when a mark could not be
// added.
int editFeatureCmd(CFeatMgrFilter* filter, std::int16_t mode);
// Picked marks: mode 0 deletes them (after "featuresManager" 50), 1 turns them round and lists the turned
// marks in `turned` (which it empties first), 2 turns the listed marks round once more and empties the list.
// The user picks arcs and notes in one multiple pick (Esc aborts it: nothing picked). Returns 0.
int deleteOrTurnMarksCmd(std::int16_t mode, std::vector<FEATURE_MARK*>& turned);
// Moves the marks still pending from `head` on onto the holes the filter recognises ("featuresManager" 51
// first), then removes coincident marks. 0, also when none is pending; -1 when the recognition failed.
int recognizeFeaturesCmd(FEATURE_MARK* head, CFeatMgrFilter* filter);
// Makes a mark of the mark's data on every arc of the part that draws the same feature (its colour, tag,
// radius and sweep) and is no mark's yet, placed on the hole of `tree` under it. 0; -1 when a mark could not
// be added.
int copyFeatureToEqualArcs(FEATURE_MARK* mark, VIEW_LIST* tree);
