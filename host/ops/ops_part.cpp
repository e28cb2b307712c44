// The codec of the operations, groups and chains of a part file (layout in ops_part.h).
#include "host/ops/ops_part.h"

#include <cstring>
#include <set>
#include <unordered_map>

#include "host/db/byte_io.h"
#include "host/db/database.h"

namespace host::ops {
namespace {

using db::ByteReader;
using db::ByteWriter;

constexpr std::uint32_t kOpsFormat = 1;
enum RowKind { kHeader = 1, kGroup = 2, kOperation = 3 };

template <std::size_t N>
void readName(ByteReader& r, char (&dst)[N]) {
    const std::string s = r.bytes();
    if (s.size() >= N || s.find('\0') != std::string::npos) r.fail();
    std::memset(dst, 0, N);
    std::memcpy(dst, s.data(), std::min(s.size(), N - 1));
}

template <std::size_t N>
void writeName(ByteWriter& w, const char (&src)[N]) {
    w.bytes(std::string_view(src, strnlen(src, N - 1)));
}

void writeGroup(ByteWriter& w, const op_group& g) {
    w.i32(g.id);
    writeName(w, g.name);
    w.i32(g.parentId);
    w.u8(g.isMachineGroup ? 1 : 0);
    if (!g.isMachineGroup) return;
    const machine_group& m = g.machine;
    writeName(w, m.postPath);
    writeName(w, m.materialName);
    w.i32(m.feedMode);
    for (double d : m.stock.size) w.f64(d);
    for (double d : m.stock.origin) w.f64(d);
    w.i16(m.stock.anchor);
    w.u16(m.stock.flags);
    for (const auto& row : m.stock.matrix)
        for (double d : row) w.f64(d);
    w.i32(m.toolNumbering);
    w.i32(m.lengthOffsetBase);
    w.i32(m.diameterOffsetBase);
    w.f64(m.defaultSpindle);
    for (double d : m.defaultFeeds) w.f64(d);
    w.f64(m.rapidRate);
    w.u32(m.machineDefId);
}

void readGroup(ByteReader& r, op_group& g) {
    g.id = r.i32();
    readName(r, g.name);
    g.parentId = r.i32();
    const std::uint8_t machine = r.u8();
    if (machine > 1) r.fail();
    g.isMachineGroup = machine == 1;
    if (!g.isMachineGroup) return;
    machine_group& m = g.machine;
    readName(r, m.postPath);
    readName(r, m.materialName);
    m.feedMode = r.i32();
    for (double& d : m.stock.size) d = r.f64();
    for (double& d : m.stock.origin) d = r.f64();
    m.stock.anchor = r.i16();
    m.stock.flags = r.u16();
    for (auto& row : m.stock.matrix)
        for (double& d : row) d = r.f64();
    m.toolNumbering = r.i32();
    m.lengthOffsetBase = r.i32();
    m.diameterOffsetBase = r.i32();
    m.defaultSpindle = r.f64();
    for (double& d : m.defaultFeeds) d = r.f64();
    m.rapidRate = r.f64();
    m.machineDefId = r.u32();
}

void writeCurve(ByteWriter& w, const ChainEntRec& c) {
    w.u32(chainEntityId(c));
    w.u8(c.reversed);
    w.u32(c.curve.type);
    w.i32(c.curve.level);
    w.i16(c.curve.color);
    switch (c.curve.type) {
    case kEntPoint: w.pt(c.curve.pt.pt); break;
    case kEntLine:
        w.pt(c.curve.ln.ln.e1);
        w.pt(c.curve.ln.ln.e2);
        break;
    case kEntArc:
        w.i16(c.curve.arc.view);
        w.pt(c.curve.arc.c);
        w.f64(c.curve.arc.r);
        w.f64(c.curve.arc.sa);
        w.f64(c.curve.arc.sw);
        break;
    default: break;
    }
}

bool readCurve(ByteReader& r, ChainEntRec& c) {
    c.entityId = r.u32();
    c.reversed = r.u8();
    c.curve = ent{};
    c.curve.type = r.u32();
    c.curve.id = c.entityId;
    c.curve.level = r.i32();
    c.curve.color = r.i16();
    switch (c.curve.type) {
    case kEntPoint: c.curve.pt.pt = r.pt(); break;
    case kEntLine:
        c.curve.ln.ln.e1 = r.pt();
        c.curve.ln.ln.e2 = r.pt();
        break;
    case kEntArc:
        c.curve.arc.view = r.i16();
        c.curve.arc.c = r.pt();
        c.curve.arc.r = r.f64();
        c.curve.arc.sa = r.f64();
        c.curve.arc.sw = r.f64();
        break;
    default: return false;
    }
    return c.reversed <= 1;
}

void writeOperation(ByteWriter& w, const StoredOp& s) {
    const OPERATION_BYTES image = operationToImage(s.op);
    w.bytes(std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    w.u32(static_cast<std::uint32_t>(s.chains.size()));
    for (const ChainRec& c : s.chains) {
        w.u8(c.closed);
        w.u32(static_cast<std::uint32_t>(c.ents.size()));
        for (const ChainEntRec& e : c.ents) writeCurve(w, e);
    }
}

// The smallest encoded chain entity: id, reversed, type, level, colour and a point.
constexpr std::size_t kMinCurveBytes = 4 + 1 + 4 + 4 + 2 + 24;

bool readOperation(ByteReader& r, StoredOp& s) {
    const std::string image = r.bytes();
    if (!r.ok() || image.size() != kOperationSize) return false;
    OPERATION_BYTES bytes{};
    std::memcpy(bytes.data(), image.data(), kOperationSize);
    s.op = operationFromImage(bytes);
    const std::uint32_t chains = r.count(1 + 4);
    for (std::uint32_t i = 0; i < chains && r.ok(); ++i) {
        ChainRec c;
        c.closed = r.u8();
        const std::uint32_t n = r.count(kMinCurveBytes);
        for (std::uint32_t k = 0; k < n && r.ok(); ++k) {
            ChainEntRec e;
            if (!readCurve(r, e)) return false;
            c.ents.push_back(e);
        }
        if (c.closed > 1) return false;
        s.chains.push_back(std::move(c));
    }
    return r.ok();
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
    ByteWriter h;
    h.u32(kOpsFormat);
    h.i32(gs.activeId);
    h.i32(gs.nextId);
    h.i32(os.nextId);
    rows.emplace_back(kHeader, h.data());
    for (const auto& g : gs.list) {
        ByteWriter w;
        writeGroup(w, *g);
        rows.emplace_back(kGroup, w.data());
    }
    for (const auto& s : os.list) {
        ByteWriter w;
        writeOperation(w, *s);
        rows.emplace_back(kOperation, w.data());
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
        ByteReader r(body);
        switch (kind) {
        case kHeader: {
            if (i != 0) return damaged(why, "its operations have a second header");
            const std::uint32_t format = r.u32();
            if (r.ok() && format != kOpsFormat)
                return damaged(why, "its operations are in format " + std::to_string(format) + ", not " +
                                        std::to_string(kOpsFormat));
            out.activeId = r.i32();
            out.nextGroupId = r.i32();
            out.nextOpId = r.i32();
            break;
        }
        case kGroup: {
            op_group g;
            readGroup(r, g);
            if (r.ok() && (g.id <= 0 || !groupIds.insert(g.id).second))
                return damaged(why, "a group id is repeated or not positive");
            out.groups.push_back(g);
            break;
        }
        case kOperation: {
            StoredOp s;
            if (!readOperation(r, s)) return damaged(why, "operation record " + std::to_string(i) + " is malformed");
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
    for (const auto& [h, s] : db::current().ents) handles.emplace(s.e.id, h);
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
