// Plates of many holes for the recognition benchmark and its tests: rows of 100-hole tiles, one solid each
// (the kernel's booleans grow with the holes of one solid, so one huge solid would measure the builder).
#pragma once
#include <string>

namespace host::builder {

constexpr int kPlateTileHoles = 100;

// Stores the tiles of a plate of `holes` holes (rounded down to whole tiles) in the open part as solids on
// level 1. "" on success, else why not.
std::string storeHolePlate(int holes);

// A new part holding the plate's solids, saved to `path` as a part file. The file keeps solids only, as a
// user's part would: the recognition command makes the surfaces from them when it runs. "" on success.
std::string saveHolePlate(int holes, const std::string& path);

}  // namespace host::builder
