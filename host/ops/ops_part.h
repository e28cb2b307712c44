// Private to the host stand-in: the operations, groups and chains of a part file. They are rows of the
// table host_ops(pos, kind, body), written in the save's one transaction; each body has its explicit codec:
//   kind 1, once, first: u32 format 1, i32 active group, i32 next group id, i32 next operation id
//   kind 2, a group:     i32 id, bytes name, i32 parent, u8 machine; a machine group's record follows
//                        (bytes post, bytes material, i32 feed mode, stock: 3+3 f64, i16 anchor, u16 flags,
//                        9 f64; i32 numbering, i32 length base, i32 diameter base, f64 spindle, 3 f64 feeds,
//                        f64 rapid, u32 machine definition id)
//   kind 3, an operation: bytes (its 8984-byte image), u32 chain count, each chain u8 closed, u32 count and
//                        its entities: u32 id, u8 reversed, u32 type, i32 level, i16 colour, then the
//                        curve (point: p; line: p p; arc: i16 view, p centre, f64 r, start, sweep)
// Integers little-endian, bytes = u32 length + bytes, p = 3 f64. Rows in creation order.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "host/ops/op_store.h"

namespace host::ops {

struct PartOps {
    bool present = false;                 // false: the file has no table (written before there were any)
    std::vector<op_group> groups;
    std::int32_t activeId = 0, nextGroupId = 1, nextOpId = 1;
    std::vector<StoredOp> ops;
};

using OpsRow = std::pair<int, std::string>;   // kind, body

std::vector<OpsRow> encodeOpsRows();
// Checks every length, count and link; false with the reason when the rows are damaged.
[[nodiscard]] bool decodeOpsRows(const std::vector<OpsRow>& rows, PartOps& out, std::string* why);
// The open part takes the loaded operations and groups (a file without them: no operations, the groups
// stay). Chain entities find their handles by id in the open part's database.
void installOps(PartOps&& part);

}  // namespace host::ops
