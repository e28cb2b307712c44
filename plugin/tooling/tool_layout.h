// The steps of the tool layout that give the entries of one group of one tool type their tools, by the
// rule of the type: a window of lengths, depth, pitch, cone angle, corner radius or chamfer width.
#pragma once
#include <cstdio>

#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_layout_records.h"

void chooseToolsByDepth(TreeToolsLayout::GROUP& group);
// mode 0: the length window; mode 1: any tool longer than the depth plus the diameter.
void chooseSpotTools(TreeToolsLayout::GROUP& group, int mode);
void chooseTapTools(TreeToolsLayout::GROUP& group);
void chooseTaperMillTools(TreeToolsLayout::GROUP& group);
void chooseCornerRadiusTools(TreeToolsLayout::GROUP& group);
void chooseChamferTools(TreeToolsLayout::GROUP& group, int mode);
