// The host stand-in's own side of operations, groups, the machine and chains: what hostcam sets up and what
// tests read back. Included by host/state.h. Dumps are text, one item a line, numbers in their shortest
// round-trip form, so golden tests can compare them and a save and reopen must give the same text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/machine/machine_setup.h"

namespace host {

using machine::MachineSetup;
using machine::setControl;
using machine::storeMachineDefinition;

// The job's stock: the job set-up (size, origin, anchor) and the machine group's stock block together.
void setStock(const double size[3], const double origin[3], int anchor);

// ---- dumps ----
// Groups in creation order: `group ID "NAME" parent=P [active] [machine]`, then for a machine group
// `  machine post="..." material="..." feedMode=... numbering=... offsets=L/D spindle=... feeds=a/b/c
// rapid=... def=ID` and `  stock size=x/y/z origin=x/y/z anchor=A flags=F`.
std::string dumpGroups();
// Operations in creation order: `op ID code=C/S group=G "COMMENT"` and lines of its fields (tool, planes,
// heights, cycle, pecks, counts, regenerations, the non-zero bytes of each block), then its points
// (`  point ENTITY-ID (x,y,z) limits=a/b`), surfaces and chains (`  chain N closed=C` and
// `    TYPE ENTITY-ID ...geometry`), and, while its toolpath is up to date, the toolpath in the tool
// plane (host/ops/toolpath.h): `  toolpath points=N moves=M`, each point's planes
// (`    hole K (x,y,z0) clearance=c retract=r top=t bottom=b`) before its moves
// (`      rapid|feed|arc cw|arc ccw (x,y,z) ...`, `dwell Ss`, `spindle stop|reverse`), to 4 decimals.
std::string dumpOperations();
std::string dumpOperation(std::int32_t id);   // "" for an unknown id

// ---- NC listing ----
// The part's operations as one G-code program for a generic 3-axis control (its dialect is described in
// the README): in creation order, each that has an up-to-date toolpath; the others are named in comments.
// "" when a number of an operation is beyond what a control reads, `refused` then naming the operation and
// the number.
std::string ncListing(std::string* refused = nullptr);

// ---- operations manager ----
bool opManagerRefreshOn();
int opManagerRefreshCount();

// ---- drafting globals ----
const dim_rec& draftingGlobals();
const std::vector<std::string>& draftingLog();   // "save", "from-dim ...", "restore ..." in order

}  // namespace host
