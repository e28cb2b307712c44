// What a recognition tree holds, for the user: the hole and segment counts with the diameter range (and why
// no hole was found when none is left), and the head holes counted by the states the process tree filters on.
#pragma once
#include <cstdint>
#include <vector>

#include "plugin/services/engine.h"

struct VIEW_LIST;
struct POINT_LIST;
struct FULL_TOOLS_SEQ;

// Fills CYCLE_RECORDS::runStats (all but the tool counts and the count recognizeForms keeps), counting every
// hole of a chain of equal holes with its head's states, marks the holes with no counted state as without
// problem and clears every view's pass mark.
void countHoleStates(VIEW_LIST* tree);

// The holes a run left without operations, every hole of a chain counted (the user's excluded ones aside, and
// those a read-only station gives none, counted with that reason), by why: their table holds no row of their
// measures, their row names no process the table has, none of their process's operations applies to them,
// or a tool diameter their process computes is below the base tolerance.
struct HOLES_WITHOUT_PROCESS {
    long noRow = 0;
    long noProcess = 0;
    long noneApplies = 0;
    long toolBelowSmallest = 0;
};
HOLES_WITHOUT_PROCESS holesWithoutProcess(const VIEW_LIST* tree);

// The head holes (a chain once, as the state counts) whose measures had to be added and whose row no rows
// file holds: it served the run only, or on a read-only station not even that.
long holesWithRowsNotStored(const VIEW_LIST* tree);

// The rule of the "no problem" state: none of the other states the process tree filters on.
bool holeWithoutProblem(const POINT_LIST& hole);
