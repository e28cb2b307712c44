// The codec of the operations, groups and chains of a part file (layout in ops_part.h).
#include "host/ops/ops_part.h"

#include <set>
#include <unordered_map>

#include "host/db/record_io.h"
#include "host/db/database.h"

namespace host::ops {
namespace {

using db::FIELDS_IN;

constexpr std::uint32_t kOpsFormat = 1;
enum RowKind { kHeader = 1, kGroup = 2, kOperation = 3 };

// ---- the records' fields: one list per record, in stored order, walked by the writer and the reader ----

template <class IO, class H>
void headerFields(IO& io, H& h) {
    io.u32(h.format);
    io.i32(h.activeId);
    io.i32(h.nextGroupId);
    io.i32(h.nextOpId);
}
struct HEADER {
    std::uint32_t format = kOpsFormat;
    std::int32_t activeId = 0, nextGroupId = 1, nextOpId = 1;
};

template <class IO, class G>
void groupFields(IO& io, G& g) {
    io.i32(g.id);
    io.name(g.name);
    io.i32(g.parentId);
    io.flag(g.isMachineGroup);
    if (!g.isMachineGroup) return;
    auto& m = g.machine;
    io.name(m.postPath);
    io.name(m.materialName);
    io.i32(m.feedMode);
    io.f64(m.stock.size);
    io.f64(m.stock.origin);
    io.i16(m.stock.anchor);
    io.u16(m.stock.flags);
    io.f64(m.stock.matrix);
    io.i32(m.toolNumbering);
    io.i32(m.lengthOffsetBase);
    io.i32(m.diameterOffsetBase);
    io.f64(m.defaultSpindle);
    io.f64(m.defaultFeeds);
    io.f64(m.rapidRate);
    io.u32(m.machineDefId);
}

// The smallest encoded chain entity: id, reversed, type, level, colour and a point.
constexpr std::size_t kMinCurveBytes = 4 + 1 + 4 + 4 + 2 + 24;

// A chain entity is written with its entity's id as it is now (chainEntityId), read into entityId.
template <class IO, class C>
void curveFields(IO& io, C& c) {
    if constexpr (IO::kReads) io.u32(c.entityId);
    else io.u32(chainEntityId(c));
    io.u8(c.reversed);
    if (c.reversed > 1) io.fail();
    io.u32(c.curve.type);
    io.i32(c.curve.level);
    io.i16(c.curve.color);
    switch (c.curve.type) {
    case kEntPoint: io.pt(c.curve.pt.pt); break;
    case kEntLine:
        io.pt(c.curve.ln.ln.e1);
        io.pt(c.curve.ln.ln.e2);
        break;
    case kEntArc:
        io.i16(c.curve.arc.view);
        io.pt(c.curve.arc.c);
        io.f64(c.curve.arc.r);
        io.f64(c.curve.arc.sa);
        io.f64(c.curve.arc.sw);
        break;
    default: io.fail(); break;   // chains hold points, lines and arcs only
    }
}

// `image` is the operation record's 8984 bytes (operation_fields.h); a block of another size is refused.
template <class IO, class IMAGE, class CHAINS>
void operationFields(IO& io, IMAGE& image, CHAINS& chains) {
    io.bytes(image);
    io.list(chains, 1 + 4, [](auto& io, auto& chain) {
        io.u8(chain.closed);
        io.list(chain.ents, kMinCurveBytes, [](auto& io, auto& e) { curveFields(io, e); });
        if (chain.closed > 1) io.fail();
    });
}

bool damaged(std::string* why, std::string text) {
    if (why) *why = std::move(text);
    return false;
}

}  // namespace

std::vector<OpsRow> encodeOpsRows() {
    std::vector<OpsRow> rows;
    const GroupState& gs = groupState();
    const OpState& os = opState();
    const HEADER header{kOpsFormat, gs.activeId, gs.nextId, os.nextId};
    rows.emplace_back(kHeader, db::writeFields(header, [](auto& io, auto& h) { headerFields(io, h); }));
    for (const auto& g : gs.list)
        rows.emplace_back(kGroup, db::writeFields(*g, [](auto& io, auto& group) { groupFields(io, group); }));
    for (const auto& s : os.list) {
        const OPERATION_BYTES image = operationToImage(s->op);
        rows.emplace_back(kOperation,
                          db::writeFields(*s, [&](auto& io, auto& op) { operationFields(io, image, op.chains); }));
    }
    return rows;
}

bool decodeOpsRows(const std::vector<OpsRow>& rows, PartOps& out, std::string* why) {
    out = PartOps{};
    out.present = true;
    if (rows.empty() || rows.front().first != kHeader) return damaged(why, "its operations have no header");
    std::set<std::int32_t> groupIds, opIds;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [kind, body] = rows[i];
        FIELDS_IN io(body);
        const db::ByteReader& r = io.r;
        switch (kind) {
        case kHeader: {
            if (i != 0) return damaged(why, "its operations have a second header");
            HEADER h;
            headerFields(io, h);
            // A format that is there but not ours is named, whatever follows it.
            if (body.size() >= sizeof h.format && h.format != kOpsFormat)
                return damaged(why, "its operations are in format " + std::to_string(h.format) + ", not " +
                                        std::to_string(kOpsFormat));
            out.activeId = h.activeId;
            out.nextGroupId = h.nextGroupId;
            out.nextOpId = h.nextOpId;
            break;
        }
        case kGroup: {
            op_group g;
            groupFields(io, g);
            if (r.ok() && (g.id <= 0 || !groupIds.insert(g.id).second))
                return damaged(why, "a group id is repeated or not positive");
            out.groups.push_back(g);
            break;
        }
        case kOperation: {
            StoredOp s;
            OPERATION_BYTES image{};
            operationFields(io, image, s.chains);
            if (!r.ok()) return damaged(why, "operation record " + std::to_string(i) + " is malformed");
            s.op = operationFromImage(image);
            for (ChainRec& c : s.chains)
                for (ChainEntRec& e : c.ents) e.curve.id = e.entityId;
            if (s.op.id <= 0 || !opIds.insert(s.op.id).second)
                return damaged(why, "an operation id is repeated or not positive");
            out.ops.push_back(std::move(s));
            break;
        }
        default: return damaged(why, "its operations hold a record of an unknown kind");
        }
        if (!r.atEnd()) return damaged(why, "an operations record has the wrong length");
    }
    // Links: parents and the active group exist, ids stay below the next ones.
    for (const op_group& g : out.groups)
        if ((g.parentId != 0 && !groupIds.count(g.parentId)) || g.id >= out.nextGroupId)
            return damaged(why, "group " + std::to_string(g.id) + " names a group it does not hold");
    // A chain of parents that loops would walk for ever: no chain is longer than the list.
    std::unordered_map<std::int32_t, std::int32_t> parents;
    for (const op_group& g : out.groups) parents[g.id] = g.parentId;
    for (const op_group& g : out.groups) {
        std::int32_t cur = g.id;
        for (std::size_t steps = 0; cur != 0; ++steps) {
            if (steps > out.groups.size()) return damaged(why, "its groups are their own parents");
            cur = parents[cur];
        }
    }
    if (out.activeId != 0 && !groupIds.count(out.activeId)) return damaged(why, "its active group is missing");
    if (!opIds.empty() && *opIds.rbegin() >= out.nextOpId) return damaged(why, "an operation id is out of range");
    return true;
}

void installOps(PartOps&& part) {
    clearOps();
    if (!part.present) return;
    GroupState& gs = groupState();
    gs = GroupState{};
    for (const op_group& g : part.groups) gs.list.push_back(std::make_unique<op_group>(g));
    gs.activeId = part.activeId;
    gs.nextId = part.nextGroupId;
    std::unordered_map<std::uint32_t, db_ptr> handles;
    for (const auto& [h, s] : db::current().ents) handles.emplace(s.head.id, h);
    OpState& os = opState();
    for (StoredOp& s : part.ops) {
        for (ChainRec& c : s.chains)
            for (ChainEntRec& e : c.ents) {
                auto it = handles.find(e.entityId);
                e.curve.eptr = it == handles.end() ? 0 : it->second;
            }
        auto stored = std::make_unique<StoredOp>(std::move(s));
        os.byId[stored->op.id] = stored.get();
        os.list.push_back(std::move(stored));
    }
    os.nextId = part.nextOpId;
}

}  // namespace host::ops
