// Point and line records shared by every part of the host's interface (world or view coordinates as the
// function that takes them says).
#pragma once

struct p_3d { double x = 0, y = 0, z = 0; };
struct l_3d { p_3d e1, e2; };
