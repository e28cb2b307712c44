// The host's defaults of a milled operation copied into an operation definition: the host fills one of its
// operation records (8984 bytes) for the milled kind and the blocks are taken from it by offset.
#pragma once
#include <cstdint>

#include "plugin/model/process_ope.h"

constexpr std::size_t kHostOperationSize = 8984, kHostExtraSize = 648;

// Kind 1 circle mill, 2 contour, 3 helix bore, 4 thread mill; `extra` (648 bytes) may be null. 1 when the
// host reported no failure, else 0.
int getHostOpDefaults(std::int16_t milledKind, double toolDiam, PROCESS_OPE* definition, std::uint8_t* extra);

