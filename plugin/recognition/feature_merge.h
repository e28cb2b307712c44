// Laying the features manager's feature marks onto the recognised holes: a mark on a hole's axis, in the
// hole's drilling direction or the opposite one, whose depth range covers or is covered by a straight
// segment (entry and exit chamfers may extend it) passes its tap or fit data to that segment. A
// one-segment through hole marked from both sides is split in two halves, one per side. Marks override
// the attributes from entity names. T is g_tolerances.tolT; the angular tolerance g_tolerances.axisAngle.
#pragma once
#include "plugin/services/recognition.h"

struct VIEW_LIST;
struct FEATURE_MARK;

