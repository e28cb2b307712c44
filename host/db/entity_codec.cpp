// Entity bodies of part files: each kind's fields listed once, in the order of host/api_db.h, and walked by
// both the writer and the reader (record_io.h). The reader checks every count against what is left before
// it allocates.
#include "host/db/entity_codec.h"

#include "host/db/record_io.h"

namespace host::db {
namespace {

// The first part format whose surfaces carry their solidFace mark.
constexpr int kSolidFaceVersion = 3;

// The writer of a body: it can stop where a note's text goes, so that the text need not be copied in.
struct BODY_OUT : FIELDS_OUT {
    std::string beforeText;
    bool cut = false;
    // The text's u32 length; the text itself is the caller's.
    void noteText(std::size_t size) {
        w.u32(static_cast<std::uint32_t>(size));
        beforeText = w.take();
        w = ByteWriter();
        cut = true;
    }
};

struct BODY_IN : FIELDS_IN {
    using FIELDS_IN::FIELDS_IN;
    void noteText(std::string& text) { text = r.bytes(); }
};

template <class IO, class L>
void lineFields(IO& io, L& l) {
    io.pt(l.e1);
    io.pt(l.e2);
}

// The fields of one body. `text` is the note's text: its size for the writer, its bytes for the reader.
template <class IO, class E, class TEXT>
void bodyFields(IO& io, E& e, TEXT& text, int version) {
    io.f64(e.attrib.tag);
    io.i16(e.attrib.style);
    io.i16(e.attrib.width);
    io.i16(e.color);
    switch (e.type) {
    case kEntPoint: io.pt(e.pt.pt); break;
    case kEntLine: lineFields(io, e.ln.ln); break;
    case kEntArc:
        io.i16(e.arc.view);
        io.pt(e.arc.c);
        io.f64(e.arc.r);
        io.f64(e.arc.sa);
        io.f64(e.arc.sw);
        break;
    case kEntSpline:
        io.u8(e.spl.kind);
        io.i16(e.spl.order);
        io.f64(e.spl.t0);
        io.f64(e.spl.t1);
        io.i16(e.spl.segments);
        io.bytes(e.spl.data);
        break;
    case kEntNote: {
        auto& n = e.note;
        io.u8(n.subKind);
        io.i16(n.view);
        io.pt(n.pos);
        io.f64(n.height);
        io.f64(n.width);
        io.f64(n.angle);
        io.i16(n.leaderStyle);
        lineFields(io, n.leader);
        io.i16(n.flags);
        io.noteText(text);
        io.bytes(n.name);
        io.list(n.nodes, 24 + 4, [](auto& io, auto& node) {
            io.pt(node.pt);
            io.u32(node.pointRef);
        });
        break;
    }
    case kEntDrafting: {
        auto& d = e.draft;
        io.u8(d.subKind);
        io.i16(d.form);
        io.i16(d.view);
        lineFields(io, d.line);
        io.pt(d.anchor);
        io.f64(d.radius);
        io.f64(d.value);
        io.bytes(d.text1);
        io.bytes(d.text2);
        break;
    }
    case kEntSurface: {
        auto& s = e.surf;
        io.i16(s.typeCode);
        io.u32(s.base);
        io.f64(s.uMin);
        io.f64(s.uMax);
        io.f64(s.vMin);
        io.f64(s.vMax);
        io.pt(s.boxMin);
        io.pt(s.boxMax);
        io.pt(s.sphereCentre);
        io.f64(s.sphereRadius);
        // Read from an older file, a surface is a free one.
        if (version >= kSolidFaceVersion) io.u8(s.solidFace);
        else io.absent(s.solidFace);
        io.list(s.trimPoints, 16, [](auto& io, auto& p) {
            io.f64(p.u);
            io.f64(p.v);
        });
        io.list(s.trimBounds, 4, [](auto& io, auto& b) {
            io.i16(b.start);
            io.i16(b.length);
        });
        break;
    }
    case kEntSolid:
        io.u16(e.solid.flags);
        io.pt(e.solid.box);
        io.bytes(e.solid.body);
        io.bytes(e.solid.history);
        break;
    case kEntAssoc: {
        auto& a = e.assoc;
        io.i16(a.kind);
        io.i32(a.opId);
        io.u32(a.target);
        io.u32(a.targetId);
        io.pt(a.pt);
        io.f64(a.u);
        io.f64(a.v);
        io.f64(a.limits);
        io.bytes(a.data);
        break;
    }
    case kEntInfo:
        io.u8(e.info.subKind);
        io.i32(e.info.value);
        break;
    default:
        // A kind without a body: the writer keeps its attributes, the reader refuses it.
        io.fail();
        break;
    }
}

}  // namespace

std::string encodeBody(const ent& e, std::string_view noteText, int version) {
    if (e.type != kEntNote) noteText = {};
    const BODY_AROUND_TEXT body = encodeBodyAroundText(e, noteText.size(), version);
    std::string out;
    out.reserve(body.before.size() + noteText.size() + body.after.size());
    out.append(body.before).append(noteText).append(body.after);
    return out;
}

BODY_AROUND_TEXT encodeBodyAroundText(const ent& e, std::size_t noteTextSize, int version) {
    BODY_OUT out;
    bodyFields(out, e, noteTextSize, version);
    BODY_AROUND_TEXT body;
    (out.cut ? body.after : body.before) = out.w.take();
    if (out.cut) body.before = std::move(out.beforeText);
    return body;
}

bool decodeBody(std::string_view bytes, ent& e, std::string* noteText, int version) {
    BODY_IN in(bytes);
    std::string text;
    bodyFields(in, e, text, version);
    if (noteText && e.type == kEntNote) *noteText = std::move(text);
    return in.r.atEnd();
}

}  // namespace host::db
