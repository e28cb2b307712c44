// The feature marks of the features subsystem beyond what plugin/services/features.h offers the others:
// drawing, deleting, finding, turning and comparing single marks, and the list walked as the list's count
// says. A mark's arcs lie in the host view whose depth axis is its direction, centred on its point; a thread
// arc is 3/4 of a turn (sweep 3 pi/2), a hole circle a full turn, each sweep less its own id x 1e-10.
// T is the base tolerance (g_tolerances.tolT).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/model/feature_mark.h"

struct ent;

// Host colour of a thread arc; a hole circle and its note take "General" 4.
constexpr int kThreadArcColour = 12;
// The attribute tag of the marks' entities, compared exactly where arcs are matched.
constexpr double kMarkArcTag = 2.0;

// The marks of the list from `head` in order, at most CYCLE_RECORDS::featureMarkCount of them; the record at
// that place has its `next` cleared, so that no walk reaches past the count.
std::vector<FEATURE_MARK*> listedMarks(FEATURE_MARK* head);
// Whether the mark is one of the list's.
bool isListedMark(const FEATURE_MARK* mark);

// (Re)creates the mark's entities on `level` (0: the host's current level), which the mark keeps. Without a
// host view for its direction: "ErrorMessages" 140, the mark stays undrawn. Returns 0.
int drawFeatureMark(FEATURE_MARK* mark, std::int32_t level);
// Unlinks the mark, deletes its entities and frees it; a mark not in the list is left alone. Returns 0.
int deleteFeatureMark(FEATURE_MARK* mark);
// deleteFeatureMark of every mark of the list, the part's entities looked up once. The number deleted.
int deleteAllFeatureMarks();
// The first mark one of whose arcs (or, after an arc that is not it, whose note) has the id; null when none.
FEATURE_MARK* findFeatureMarkByEntity(std::uint32_t id);
// Removes each mark that a later mark repeats (within T, the same sense within 0.0005 rad, equal fit and tap
// flags); the later one stays. The number removed.
int removeCoincidentMarks(FEATURE_MARK* head);
// Whether the feature data agree (diameters, fit and tap data, thread, kind), position, direction, length
// and fit class aside.
bool sameFeatureData(const FEATURE_MARK& a, const FEATURE_MARK& b);
// `dst` takes `src`'s feature data; position, direction, length, origin, fit class and drawn ids stay.
void copyFeatureData(FEATURE_MARK& dst, const FEATURE_MARK& src);
// The mark turned round as a new record drawn on the old one's level (from its bottom, the direction
// negated); the old one is deleted. Null when the new one could not be added.
FEATURE_MARK* reverseFeatureMark(FEATURE_MARK* mark);

// The distance of two points.
double pointDistance(const double a[3], const double b[3]);
// A number in one of the plug-in's own number formats (g_fmtMedium and the like, never a UI-text line).
std::string formatNumber(const char* format, double value);

// The mark's bottom point.
void markBottom(const FEATURE_MARK& mark, double out[3]);
// Moves every arc of the mark (and its note, with `withNote`) to `level`; with `keepLevel` the mark's level
// takes the level its arc was on first. Missing entities are passed over.
void moveMarkEnts(FEATURE_MARK& mark, std::int32_t level, bool withNote, bool keepLevel);
// Reads the entity with the id among the kinds of `mask` (hidden ones too); false when the part has none.
bool readEntById(std::uint32_t id, std::uint32_t mask, ent& out);
