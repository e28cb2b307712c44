// The stored form of one entity's body in a part file: attributes, colour and the fields of its kind,
// little-endian (host/db/byte_io.h). Links to other entities (base surface, node point, association
// target) are written as the handles the entities have while saving; the loader renumbers them. A note's
// text is written in its body, byte for byte. Geometry is not part of the body (part files keep it as
// BRep text beside it).
#pragma once
#include <string>

#include "host/api.h"
#include "host/state.h"

namespace host::db {

// The body as part format `version` has it (host/state.h): from version 3 on a surface carries its
// solidFace mark; read from an older file, a surface is a free one.
std::string encodeBody(const ent& e, std::string_view noteText, int version = kPartFormatVersion);
// Fills the body fields of `e` (whose type is already set) and `*noteText`; false when the bytes do not
// make a whole body of that type (too short, too long, an impossible count).
bool decodeBody(std::string_view bytes, ent& e, std::string* noteText, int version = kPartFormatVersion);

}  // namespace host::db
