// How far a tool goes down a hole before its silhouette touches the wall. Both outlines lie in the half
// plane of the hole's axis: x the distance from the axis, z along it; the hole's top at the z of its first
// point, the hole going towards negative z, the tool pointing down with its tip at z 0 before it is moved by
// an axial position p. Angles in radians. t is the contact tolerance, 0.04 T.
#pragma once
#include <cstdint>

#include "plugin/tooling/planar_intersect.h"

struct CYL_LIST;

