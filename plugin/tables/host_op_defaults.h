// The host's defaults of a milled operation copied into an operation definition: the host fills one of its
// operation records (8984 bytes) for the milled kind and the blocks are taken from it by offset.
#pragma once
#include <cstdint>

#include "plugin/model/process_ope.h"
#include "plugin/services/tables.h"

constexpr std::size_t kHostOperationSize = 8984, kHostExtraSize = 648;

