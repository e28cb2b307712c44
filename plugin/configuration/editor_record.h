// The editor's measure blocks in the operation record: the record keeps the tool diameter, the top Z, the
// bottom Z and the diameter of the operation's milled kind, each in its own group of fields.
#pragma once
#include "plugin/model/process_ope.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"

// The block of a milled kind (1 .. 4) into the record's milled-diameter group, every field of it.
void storeMilledDiameter(PROCESS_OPE& op, const ASSOC_VALUE& block);
ASSOC_VALUE loadMilledDiameter(const PROCESS_OPE& op);
// Block 0 into the record's tool-diameter group.
void storeToolDiameter(PROCESS_OPE& op, const ASSOC_VALUE& block);
