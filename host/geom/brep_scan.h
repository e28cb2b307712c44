// A check of the geometry in BRep text before the kernel reads it. The kernel's reader builds a trimmed or
// offset curve, an extrusion or a revolution on the curve or surface read just before and uses it unchecked
// when that one failed (a null pointer, a crash); and a failure in the middle of an entry leaves the rest of
// the entry to be read as the next one. So every curve and surface is read here first as the kernel reads
// it and built with the kernel's own constructors: any entry that does not build refuses the text. Counts
// are checked against the text, nesting is at most 16, numbers are finite and no larger than the kernel's
// infinity (curves in the parameter plane: 1e7, past which the kernel's face classifier takes minutes).
// The texts the host writes hold no polygons or triangulations; one that does is refused too.
#pragma once
#include <string_view>

namespace host {

[[nodiscard]] bool brepGeometryReadable(std::string_view text);

}  // namespace host
