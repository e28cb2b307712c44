// Entity bodies of part files, one writer and one reader per kind, field by field in the order of
// host/api_db.h. The reader checks every count against what is left before it allocates.
#include "host/db/entity_codec.h"

#include "host/db/byte_io.h"

namespace host::db {
namespace {

// The first part format whose surfaces carry their solidFace mark.
constexpr int kSolidFaceVersion = 3;

void writeLine(ByteWriter& w, const l_3d& l) {
    w.pt(l.e1);
    w.pt(l.e2);
}

l_3d readLine(ByteReader& r) {
    l_3d l;
    l.e1 = r.pt();
    l.e2 = r.pt();
    return l;
}

}  // namespace

std::string encodeBody(const ent& e, std::string_view noteText, int version) {
    ByteWriter w;
    // A part's records are notes of many megabytes: room for all of it at once, not twice that by doubling.
    if (e.type == kEntNote) w.reserve(128 + noteText.size() + e.note.name.size() + 28 * e.note.nodes.size());
    w.f64(e.attrib.tag);
    w.i16(e.attrib.style);
    w.i16(e.attrib.width);
    w.i16(e.color);
    switch (e.type) {
    case kEntPoint: w.pt(e.pt.pt); break;
    case kEntLine: writeLine(w, e.ln.ln); break;
    case kEntArc:
        w.i16(e.arc.view);
        w.pt(e.arc.c);
        w.f64(e.arc.r);
        w.f64(e.arc.sa);
        w.f64(e.arc.sw);
        break;
    case kEntSpline:
        w.u8(e.spl.kind);
        w.i16(e.spl.order);
        w.f64(e.spl.t0);
        w.f64(e.spl.t1);
        w.i16(e.spl.segments);
        w.bytes({reinterpret_cast<const char*>(e.spl.data.data()), e.spl.data.size()});
        break;
    case kEntNote: {
        const ent_note& n = e.note;
        w.u8(n.subKind);
        w.i16(n.view);
        w.pt(n.pos);
        w.f64(n.height);
        w.f64(n.width);
        w.f64(n.angle);
        w.i16(n.leaderStyle);
        writeLine(w, n.leader);
        for (std::int16_t f : n.flags) w.i16(f);
        w.bytes(noteText);
        w.bytes(n.name);
        w.u32(static_cast<std::uint32_t>(n.nodes.size()));
        for (const ent_node& node : n.nodes) {
            w.pt(node.pt);
            w.u32(node.pointRef);
        }
        break;
    }
    case kEntDrafting: {
        const ent_drafting& d = e.draft;
        w.u8(d.subKind);
        w.i16(d.form);
        w.i16(d.view);
        writeLine(w, d.line);
        w.pt(d.anchor);
        w.f64(d.radius);
        w.f64(d.value);
        w.bytes(d.text1);
        w.bytes(d.text2);
        break;
    }
    case kEntSurface: {
        const ent_surface& s = e.surf;
        w.i16(s.typeCode);
        w.u32(s.base);
        w.f64(s.uMin);
        w.f64(s.uMax);
        w.f64(s.vMin);
        w.f64(s.vMax);
        w.pt(s.boxMin);
        w.pt(s.boxMax);
        w.pt(s.sphereCentre);
        w.f64(s.sphereRadius);
        if (version >= kSolidFaceVersion) w.u8(s.solidFace);
        w.u32(static_cast<std::uint32_t>(s.trimPoints.size()));
        for (const uv_pt& p : s.trimPoints) {
            w.f64(p.u);
            w.f64(p.v);
        }
        w.u32(static_cast<std::uint32_t>(s.trimBounds.size()));
        for (const trim_bound& b : s.trimBounds) {
            w.i16(b.start);
            w.i16(b.length);
        }
        break;
    }
    case kEntSolid:
        w.u16(e.solid.flags);
        for (const p_3d& p : e.solid.box) w.pt(p);
        w.bytes(e.solid.body);
        w.bytes(e.solid.history);
        break;
    case kEntAssoc: {
        const ent_assoc& a = e.assoc;
        w.i16(a.kind);
        w.i32(a.opId);
        w.u32(a.target);
        w.u32(a.targetId);
        w.pt(a.pt);
        w.f64(a.u);
        w.f64(a.v);
        w.f64(a.limits[0]);
        w.f64(a.limits[1]);
        w.bytes({reinterpret_cast<const char*>(a.data.data()), a.data.size()});
        break;
    }
    case kEntInfo:
        w.u8(e.info.subKind);
        w.i32(e.info.value);
        break;
    default: break;
    }
    return w.take();
}

bool decodeBody(std::string_view bytes, ent& e, std::string* noteText, int version) {
    ByteReader r(bytes);
    e.attrib.tag = r.f64();
    e.attrib.style = r.i16();
    e.attrib.width = r.i16();
    e.color = r.i16();
    switch (e.type) {
    case kEntPoint: e.pt.pt = r.pt(); break;
    case kEntLine: e.ln.ln = readLine(r); break;
    case kEntArc:
        e.arc.view = r.i16();
        e.arc.c = r.pt();
        e.arc.r = r.f64();
        e.arc.sa = r.f64();
        e.arc.sw = r.f64();
        break;
    case kEntSpline: {
        e.spl.kind = r.u8();
        e.spl.order = r.i16();
        e.spl.t0 = r.f64();
        e.spl.t1 = r.f64();
        e.spl.segments = r.i16();
        const std::string data = r.bytes();
        e.spl.data.assign(data.begin(), data.end());
        break;
    }
    case kEntNote: {
        ent_note& n = e.note;
        n.subKind = r.u8();
        n.view = r.i16();
        n.pos = r.pt();
        n.height = r.f64();
        n.width = r.f64();
        n.angle = r.f64();
        n.leaderStyle = r.i16();
        n.leader = readLine(r);
        for (std::int16_t& f : n.flags) f = r.i16();
        std::string text = r.bytes();
        if (noteText) *noteText = std::move(text);
        n.name = r.bytes();
        const std::uint32_t count = r.count(28);
        n.nodes.clear();
        for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
            ent_node node;
            node.pt = r.pt();
            node.pointRef = r.u32();
            n.nodes.push_back(node);
        }
        break;
    }
    case kEntDrafting: {
        ent_drafting& d = e.draft;
        d.subKind = r.u8();
        d.form = r.i16();
        d.view = r.i16();
        d.line = readLine(r);
        d.anchor = r.pt();
        d.radius = r.f64();
        d.value = r.f64();
        d.text1 = r.bytes();
        d.text2 = r.bytes();
        break;
    }
    case kEntSurface: {
        ent_surface& s = e.surf;
        s.typeCode = r.i16();
        s.base = r.u32();
        s.uMin = r.f64();
        s.uMax = r.f64();
        s.vMin = r.f64();
        s.vMax = r.f64();
        s.boxMin = r.pt();
        s.boxMax = r.pt();
        s.sphereCentre = r.pt();
        s.sphereRadius = r.f64();
        s.solidFace = version >= kSolidFaceVersion ? r.u8() : 0;
        const std::uint32_t points = r.count(16);
        s.trimPoints.clear();
        for (std::uint32_t i = 0; i < points && r.ok(); ++i) {
            uv_pt p;
            p.u = r.f64();
            p.v = r.f64();
            s.trimPoints.push_back(p);
        }
        const std::uint32_t bounds = r.count(4);
        s.trimBounds.clear();
        for (std::uint32_t i = 0; i < bounds && r.ok(); ++i) {
            trim_bound b;
            b.start = r.i16();
            b.length = r.i16();
            s.trimBounds.push_back(b);
        }
        break;
    }
    case kEntSolid:
        e.solid.flags = r.u16();
        for (p_3d& p : e.solid.box) p = r.pt();
        e.solid.body = r.bytes();
        e.solid.history = r.bytes();
        break;
    case kEntAssoc: {
        ent_assoc& a = e.assoc;
        a.kind = r.i16();
        a.opId = r.i32();
        a.target = r.u32();
        a.targetId = r.u32();
        a.pt = r.pt();
        a.u = r.f64();
        a.v = r.f64();
        a.limits[0] = r.f64();
        a.limits[1] = r.f64();
        const std::string data = r.bytes();
        a.data.assign(data.begin(), data.end());
        break;
    }
    case kEntInfo:
        e.info.subKind = r.u8();
        e.info.value = r.i32();
        break;
    default:
        return false;
    }
    return r.atEnd();
}

}  // namespace host::db
