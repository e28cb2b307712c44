// Private to the host stand-in: the small records of a part file besides entity bodies (part_file.cpp says
// where each is kept): the part's state, a named view, a view's matrix and a surface's origin. Each is
// written and read through one list of its fields (record_io.h); a reader gives false for bytes that are
// not a whole record.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "host/db/part_file.h"

namespace host::db {

// The state: main level, colour and attributes, construction, tool and graphics view, next named view id,
// WCS on and the WCS, the window, the job set-up.
std::string encodeOpenPartState();
std::string encodePartState(const LoadedPart& part);
[[nodiscard]] bool decodePartState(std::string_view bytes, LoadedPart& part);

std::string encodeView(const view_ent& v);
[[nodiscard]] bool decodeView(std::string_view bytes, view_ent& v);

std::string encodeViewMatrix(const double (&m)[3][3]);
[[nodiscard]] bool decodeViewMatrix(std::string_view bytes, double (&m)[3][3]);

// A surface kept as the face of a solid: which solid (its handle in the file), which face, and whether the
// surface is that face or its untrimmed base.
struct SURFACE_ORIGIN {
    std::uint32_t solid = 0;
    std::uint32_t index = 0;
    bool base = false;
};
std::string encodeSurfaceOrigin(const SURFACE_ORIGIN& o);
[[nodiscard]] bool decodeSurfaceOrigin(std::string_view bytes, SURFACE_ORIGIN& o);

}  // namespace host::db
