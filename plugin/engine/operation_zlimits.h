// The second phase of an operation's values: the hole's half section as a profile (the interference
// section), then every definition's top and bottom Z, breakthrough and end flags, the bottom kept where the
// tool's silhouette does not cut into the hole's profile.
#pragma once
#include "plugin/model/tab_cols_desc.h"
#include "plugin/services/tooling.h"

struct POINT_LIST;

// Draws the hole of the table's cylinder entries into `profile`. 0, or 1 when the profile was full (told
// once; what was drawn stays).
int buildInterferenceSection(const CTabColsDesc& table, CToolHoleProfile& profile);
// calcZSup, calcZInf, calcBrkthr, the end flags, the cutting length and the conical profile points of every
// definition (after setProcessToolValues).
void setProcessZLimits(const CTabColsDesc& table, int count, PROCESS_OPE* defs, POINT_LIST& hole);
