// Merging the pieces of one hole surface into one segment: toric overlaps, pieces of one surface whose
// angular ranges join, overlapping segments of one point, and consecutive cones with one apex (pipeline
// stages 4, 8 and 9). Records and frames as in tree.h: z along the segment's Z row, zSup above zInf; T =
// g_tolerances.tolT; angles in radians. Two segments overlap when their z ranges share more than 2T.
// Releasing a segment unlinks and frees it; when it was the top one, the point's ptUniv and ptView follow
// the new top.
#pragma once
#include <cstdint>

struct VIEW_LIST;
struct POINT_LIST;
struct CYL_LIST;

// Stage 4, first half: releases every sphere-like toric segment (arc centre on the axis) that overlaps
// another segment of its point. Returns 0.
int cylsEnh(VIEW_LIST* head);
// Stage 4, second half: the pieces of one surface kind within a point whose angular ranges join become one
// segment (at most 40 pieces per group); `angleTolerance` is what the angle ends may differ by (the
// pipeline passes g_tolerances.fineAngle). Returns 0.
int mergeSameSurfSegs(VIEW_LIST* head, double angleTolerance);
// True when a and b may be pieces of one surface: same toric radius and half section angle, and the same
// torus, apex or radius over a shared z range.
bool isSameSurfKind(const CYL_LIST* a, const CYL_LIST* b);
// Joins the angular range (start1, sweep1) with (start2, sweep2) (signed sweeps): 1 with the joined range
// in the outputs, 0 (outputs 0) when the ranges do not meet within `tolerance`. Two full turns give one.
int mergeAngleRanges(double start1, double sweep1, double start2, double sweep2, double* outStart,
                     double* outSweep, double tolerance);

// Stage 8, first half: releases every point with a torus-like segment whose top flat ring spans exactly
// its own radii. Returns 0.
int cylsOverlapp(VIEW_LIST* head);
// Stage 8, second half: a segment overlapping a wider (or equally wide) one of its point absorbs it,
// keeping a wider one's extent as an overlap entry when a flat ring joins the two; a cone bridging two
// overlapping segments is folded into the upper one. Returns 0.
int cylsOverlappPass2(VIEW_LIST* head);

// Stage 9, first half: consecutive cones of one point with the same angle and apex become the lower one.
// Returns 0.
int cylsUnusedPts(VIEW_LIST* head);

// ---- shared by the stages of this file and open_arcs.h ------------------------------------------------------
// Unlinks `cyl` from the chain of `point` and frees it; cylCount drops by one. When it was the top segment
// the next one becomes firstCyl and the point's ptUniv and ptView follow it.
void releaseCylOfPoint(POINT_LIST* point, CYL_LIST* cyl);
// Unlinks `point` from `view` and frees it with its segments; pointCount drops by one.
void releasePointOfView(VIEW_LIST* view, POINT_LIST* point);
// Appends the entities of `from` to `to` while `to` holds fewer than `limit` (at most 16); returns how many
// were appended.
int appendCylEnts(CYL_LIST* to, const CYL_LIST* from, int limit = 16);
// Sets zSup and moves cUniv along the segment's axis to the new top, so that cUniv stays the axis point
// at zSup.
void setCylTop(CYL_LIST* cyl, double zSup);
// The segments overlap: both a.zSup - b.zInf and b.zSup - a.zInf exceed 2T.
bool cylsOverlap(const CYL_LIST* a, const CYL_LIST* b);
