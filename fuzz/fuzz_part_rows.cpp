// The rows a part file keeps beside its geometry, each through its own codec: the first byte picks the
// entity body (the next byte its entity type), the operation rows (each a kind byte, a 32-bit length and
// the body) or the part's tool list (each row a 32-bit length and its bytes).
#include "fuzz_support.h"
#include "host/db/entity_codec.h"
#include "host/ops/ops_part.h"
#include "host/tools/part_tools.h"
#include "host/tools/tool_library.h"

namespace {

std::string bytesOf(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    switch (in.u8() % 3) {
    case 0: {
        ent e{};
        e.type = static_cast<decltype(e.type)>(in.u8());
        std::string note;
        (void)host::db::decodeBody(bytesOf(in.rest()), e, &note);
        break;
    }
    case 1: {
        std::vector<host::ops::OpsRow> rows;
        while (!in.empty()) {
            const int kind = in.u8();
            rows.emplace_back(kind, bytesOf(in.bytes(in.u32() % (1u << 16))));
        }
        host::ops::PartOps ops;
        std::string why;
        (void)host::ops::decodeOpsRows(rows, ops, &why);
        break;
    }
    default: {
        std::vector<std::string> rows;
        while (!in.empty()) rows.push_back(bytesOf(in.bytes(in.u32() % (1u << 16))));
        host::tools::PartToolState state;
        std::string why;
        if (host::tools::decodePartTools(rows, state, why))
            for (const part_tool& p : state.list)
                if (!tool_values_why(p.tool).empty()) __builtin_trap();
        break;
    }
    }
    return 0;
}
