// The recognition pipeline: the part's visible surfaces of revolution become the recognition tree
// (tree.h) of directions, hole positions and segments, which twenty numbered stages then clean.
// Frames as in tree.h: a point goes into a view with transpose(matrix) x p; z runs along the view's Z row.
// T is g_tolerances.tolT; lengths in the part's units. Read tree.h and directions.h first.
#pragma once
#include <cstdint>

struct VIEW_LIST;
class CProgressBox;
class CTabColsDesc;

// The running hole id: every new POINT_LIST takes it and increments it. The recognition command sets it to
// 1 before recognizeCylinders; stages that make holes later in the run go on counting from it.
extern std::int32_t g_nextHoleId;
// Surfaces on visible levels that the last raw build walked; the checks after the pipeline pace their
// progress steps by it.
extern std::int32_t g_surfaceCount;

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

// Stage 10: cuts off the part of a chain that is a pocket opened sideways or a floor wider than the hole
// (from the top, then from the bottom). Points left without segments stay for stage 20. Returns 0.
int cylsRemovePockets(VIEW_LIST* tree);
// Stage 16: moves into the opposite view every hole whose mouth is narrower than its far end or whose
// shoulders say it is entered from below. Views marked by an earlier move are skipped; every mark is cleared
// at the end. Returns 0, or the negative result of movePointToView.
[[nodiscard]] int cylsSetEntry(VIEW_LIST* tree);
// Stage 20: frees every point without segments and then every view without points; clears the moved marks
// of the points left. Returns the new head (null when nothing is left).
[[nodiscard]] VIEW_LIST* eraseVoidViews(VIEW_LIST* tree);
