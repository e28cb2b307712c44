// The benchmark part as CAD systems make them: a block whose every edge is rounded, two bosses with rounded
// feet, and about a hundred holes of every kind on all six sides, some cutting the roundings, some crossing
// other holes, some with rounded entries; planes, cylinders, cones, tori and the kernel's B-spline corner
// blends, some 1,000 faces. Kept as data/bench/cad_part.step; cadPartStep() builds it when it is missing.
#pragma once
#include <string>

namespace bench {

// The part's STEP file (written under the build folder when data/bench has none); "" when it cannot be
// made.
std::string cadPartStep();
// Its holes by construction.
int cadPartHoles();

}  // namespace bench
