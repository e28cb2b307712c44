// The part file's small records, each one field list walked by its writer and its reader.
#include "host/db/part_records.h"

#include "host/db/record_io.h"
#include "host/views/view_table.h"

namespace host::db {
namespace {

// Origin kinds of a surface kept as where it came from (format version 3).
constexpr std::uint8_t kOriginFace = 1, kOriginBase = 2;

template <class IO, class V>
void viewFields(IO& io, V& v) {
    io.u32(v.id);
    io.f64(v.matrix);
    io.i16(v.number);
    io.name(v.name, false);   // a zero inside ends it, as it always did
    io.pt(v.origin);
    io.i16(v.aux);
}

template <class IO, class J>
void jobSetupFields(IO& io, J& j) {
    io.f64(j.stockSize);
    io.f64(j.stockOrigin);
    io.u8(j.anchor);
    io.u8(j.reserved);
    io.u8(j.showStock);
    io.u8(j.more);
}

// `S` has the members of a LoadedPart that the state holds.
template <class IO, class S>
void stateFields(IO& io, S& s) {
    io.i32(s.mainLevel);
    io.i32(s.mainColor);
    io.f64(s.mainAttrib.tag);
    io.i16(s.mainAttrib.style);
    io.i16(s.mainAttrib.width);
    io.i32(s.constrView);
    io.i32(s.toolView);
    io.i32(s.views.grView);
    io.u32(s.views.nextNamedId);
    io.u8(s.views.wcsOn);   // any byte but 0 is on
    viewFields(io, s.wcs);
    io.f64(s.views.wkX);
    io.f64(s.views.wkY);
    io.f64(s.views.wkHeight);
    jobSetupFields(io, s.jobSetup);
}

// The open part's state where stateFields finds it in a LoadedPart.
struct OPEN_PART_STATE {
    const std::int32_t& mainLevel;
    const int& mainColor;
    const attr_block& mainAttrib;
    const int& constrView;
    const int& toolView;
    const views::State& views;
    const view_ent& wcs;
    const job_setup_rec& jobSetup;
};

template <class IO, class O>
void originFields(IO& io, O& o) {
    io.u8(o.kind);
    io.u32(o.solid);
    io.u32(o.index);
}
struct ORIGIN_RECORD {
    std::uint8_t kind = 0;
    std::uint32_t solid = 0, index = 0;
};

}  // namespace

std::string encodeOpenPartState() {
    const OPEN_PART_STATE s{main_level, main_color, main_attrib, constr_view_n, tool_view_n,
                            views::state(), WCS, job_setup};
    return writeFields(s, [](auto& io, auto& r) { stateFields(io, r); });
}

std::string encodePartState(const LoadedPart& part) {
    return writeFields(part, [](auto& io, auto& r) { stateFields(io, r); });
}

bool decodePartState(std::string_view bytes, LoadedPart& part) {
    return readFields(bytes, part, [](auto& io, auto& r) { stateFields(io, r); });
}

std::string encodeView(const view_ent& v) { return writeFields(v, [](auto& io, auto& r) { viewFields(io, r); }); }

bool decodeView(std::string_view bytes, view_ent& v) {
    return readFields(bytes, v, [](auto& io, auto& r) { viewFields(io, r); });
}

std::string encodeViewMatrix(const double (&m)[3][3]) {
    return writeFields(m, [](auto& io, auto& r) { io.f64(r); });
}

bool decodeViewMatrix(std::string_view bytes, double (&m)[3][3]) {
    return readFields(bytes, m, [](auto& io, auto& r) { io.f64(r); });
}

std::string encodeSurfaceOrigin(const SURFACE_ORIGIN& o) {
    const ORIGIN_RECORD r{o.base ? kOriginBase : kOriginFace, o.solid, o.index};
    return writeFields(r, [](auto& io, auto& rec) { originFields(io, rec); });
}

bool decodeSurfaceOrigin(std::string_view bytes, SURFACE_ORIGIN& o) {
    ORIGIN_RECORD r;
    if (!readFields(bytes, r, [](auto& io, auto& rec) { originFields(io, rec); })) return false;
    if (r.kind != kOriginFace && r.kind != kOriginBase) return false;
    o = {r.solid, r.index, r.kind == kOriginBase};
    return true;
}

}  // namespace host::db
