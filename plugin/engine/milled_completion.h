// The last values of a hole's milled operations, which a process cannot know from its own row: the finish
// and start diameters, the chamfer entry and the wall taper, the extra depth of a rounded corner on a cone,
// taken from the operation and the hole once the run has given them their final place.
#pragma once

class CTabColsDesc;
struct VIEW_LIST;

// Completes the process copy of every active milled operation of every head hole the run (re)processed.
// An operation whose definition cannot be read from its table is switched off and the user told (once per
// table, row and kind). `drillTable` is the drill-size table, whose allowance a helix bore falls back on.
void completeMilledOperations(VIEW_LIST* tree, CTabColsDesc& drillTable);
