// Text snapshots of recognition for diagnosis: the whole tree after each numbered stage and the host's
// named views around a run. Written into g_globals->tmpDir, each file made anew, and only while
// g_globals->debugDumps is on; otherwise every writer returns at once and creates nothing.
// Degrees in the texts are radians x 57.29577951308233; addresses are the low 32 bits of the records'.
#pragma once
#include <string>
#include "plugin/services/recognition.h"

struct VIEW_LIST;

// ---- file names ------------------------------------------------------------------------------------------
constexpr int kFirstDumpStage = 1;
constexpr int kLastDumpStage = 20;   // the process engine numbers its own tree dumps from 21 on

// The tag of recognition stage 1-20 ("CylsRaw" ... "EraVoidView"); "" for any other number.
const char* stageDumpTag(int stage);
// "<tmpDir>/NN_<tag>.txt" for stage 1-20; "" for any other number or while there is no work folder.
std::string stageDumpPath(int stage);
// dumpCylsViews(head, stageDumpPath(stage)): what the pipeline calls after each stage.
int dumpStage(const VIEW_LIST* head, int stage);

