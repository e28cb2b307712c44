// The host's surface and solid functions over the entity database: records are filled from kernel faces,
// stored through store_ent, and read back through get_ent_from_eptr. A record without geometry (a zero
// record, a part whose geometry failed to load) makes every function here report failure, not crash.
#include <algorithm>
#include <climits>
#include <cmath>

#include "host/api.h"
#include "host/db/database.h"
#include "host/geom/face_geom.h"
#include "host/geom/surface_entities.h"

namespace host {
namespace {

const FaceGeom* faceOf(const ent* s) {
    if (!s || s->type != kEntSurface || !s->surf.geom || s->surf.geom->empty()) return nullptr;
    return s->surf.geom.get();
}

p_3d toP3(const Vec3& v) { return {v[0], v[1], v[2]}; }
Vec3 toV(const p_3d& p) { return {p.x, p.y, p.z}; }

}  // namespace

std::int16_t surfaceTypeCode(SurfaceKind kind) {
    switch (kind) {
    case SurfaceKind::Plane: return kSurfPlane;
    case SurfaceKind::Cylinder: return kSurfCylinder;
    case SurfaceKind::Cone: return kSurfCone;
    case SurfaceKind::Sphere: return kSurfSphere;
    case SurfaceKind::Torus: return kSurfTorus;
    case SurfaceKind::Revolution: return kSurfRevolution;
    case SurfaceKind::Extrusion: return kSurfExtrusion;
    case SurfaceKind::BSpline:
    case SurfaceKind::Bezier: return kSurfNurbs;
    case SurfaceKind::Other: return kSurfOther;
    }
    return kSurfOther;
}

void fillSurfaceRecord(ent& e, const FaceGeom& face, std::int16_t typeCode) {
    e.type = kEntSurface;
    ent_surface& s = e.surf;
    s = ent_surface{};
    s.typeCode = typeCode;
    UvBox r = face.uvRange();
    s.uMin = r.uMin, s.uMax = r.uMax, s.vMin = r.vMin, s.vMax = r.vMax;
    Box3 b = face.boundingBox();
    s.boxMin = toP3(b.min);
    s.boxMax = toP3(b.max);
    Sphere3 sp = face.boundingSphere();
    s.sphereCentre = toP3(sp.centre);
    s.sphereRadius = sp.radius;
    s.geom = std::make_shared<FaceGeom>(face);
    if (typeCode != kSurfTrimmed) return;
    // Loops past the record's room are not sampled at all: a plate's face holds the trims of thousands of holes.
    const std::vector<TrimLoop> loops = face.trimLoops(SHRT_MAX);
    // The records of a large part's faces hold most of its memory: each table takes the room it needs.
    std::size_t points = 0;
    for (const TrimLoop& loop : loops) points += loop.points.size();
    s.trimPoints.reserve(std::min(points, static_cast<std::size_t>(SHRT_MAX)));
    s.trimBounds.reserve(loops.size());
    for (const TrimLoop& loop : loops) {
        // Start and length are 16-bit in the record; a loop that would not fit is left out.
        if (s.trimPoints.size() + loop.points.size() > static_cast<std::size_t>(SHRT_MAX)) break;
        s.trimBounds.push_back({static_cast<std::int16_t>(s.trimPoints.size()),
                                static_cast<std::int16_t>(loop.points.size() - 2)});
        for (const UV& p : loop.points) s.trimPoints.push_back({p.u, p.v});
    }
}

void setSolidGeometry(ent_solid& record, const SolidGeom& solid) {
    Box3 b = solid.boundingBox();
    for (int i = 0; i < 8; ++i) {
        bool x1 = i % 4 == 1 || i % 4 == 2, y1 = i % 4 >= 2, z1 = i >= 4;
        record.box[i] = {x1 ? b.max[0] : b.min[0], y1 ? b.max[1] : b.min[1], z1 ? b.max[2] : b.min[2]};
    }
    record.geom = std::make_shared<SolidGeom>(solid);
}

db_ptr storeSolidEntity(const SolidGeom& solid, int colour, std::int32_t level, std::string_view name) {
    if (solid.empty()) return 0;
    ent e{};
    e.type = kEntSolid;
    setSolidGeometry(e.solid, solid);
    e.solid.body = std::string(name);
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&e, &entry, 0, colour, level, main_attrib, &ok);
    return ok ? entry : 0;
}

int nearestHostColour(int r, int g, int b) {
    int best = 0;
    long bestDist = LONG_MAX;
    for (int i = 0; i < 256; ++i) {
        int cr, cg, cb;
        hostColourRgb(i, cr, cg, cb);
        long d = long(cr - r) * (cr - r) + long(cg - g) * (cg - g) + long(cb - b) * (cb - b);
        if (d < bestDist) best = i, bestDist = d;
    }
    return best;
}

void hostColourRgb(int colour, int& r, int& g, int& b) {
    std::uint32_t c = Wd_colors[palette_entry_of_color(std::clamp(colour, 0, 255))];
    r = c & 0xff;
    g = (c >> 8) & 0xff;
    b = (c >> 16) & 0xff;
}

}  // namespace host

using host::FaceGeom;

int eval_surf(const ent* s, double u, double v, int derivs, p_3d* pt) {
    const FaceGeom* face = host::faceOf(s);
    if (!face || !pt) return 0;
    if (derivs == 0) {
        pt[0] = host::toP3(face->eval(u, v));
        return 1;
    }
    host::Vec3 p, du, dv;
    if (!face->evalDerivatives(u, v, p, du, dv)) return 0;
    pt[0] = host::toP3(p);
    pt[1] = host::toP3(du);
    pt[2] = host::toP3(dv);
    return 1;
}

int surf_normal(const ent* s, double u, double v, p_3d* normal) {
    const FaceGeom* face = host::faceOf(s);
    host::Vec3 n;
    if (!face || !normal || !face->normalAt(u, v, n)) return 0;
    *normal = host::toP3(n);
    return 1;
}

int is_surf_planar(const ent* s, p_3d* normal, p_3d* point) {
    const FaceGeom* face = host::faceOf(s);
    host::Vec3 n, p;
    if (!face || !face->isPlanar(&n, &p)) return 0;
    if (normal) *normal = host::toP3(n);
    if (point) *point = host::toP3(p);
    return 1;
}

int project_pt_onto_surf(const ent* s, int view, const double pt[3], double u0, double v0, double out[3], double* u,
                         double* v) {
    double m[3][3];
    if (!host::faceOf(s) || !pt || !get_view_matrix(view, m)) return 0;
    return project_pt_along_dir(s, m[2], pt, u0, v0, out, u, v);
}

int project_pt_along_dir(const ent* s, const double direction[3], const double pt[3], double u0, double v0,
                         double out[3], double* u, double* v) {
    const FaceGeom* face = host::faceOf(s);
    if (!face || !pt || !direction) return 0;
    host::Vec3 origin{pt[0], pt[1], pt[2]};
    // The host library is loaded with the program, never opened later: its thread storage is reached directly.
    [[gnu::tls_model("initial-exec")]] thread_local std::vector<host::FaceHit> hits;
    face->intersectLine(origin, {direction[0], direction[1], direction[2]}, hits);
    if (hits.empty()) return 0;
    auto take = [&](const host::FaceHit& h) {
        if (out) out[0] = h.point[0], out[1] = h.point[1], out[2] = h.point[2];
        if (u) *u = h.uv.u;
        if (v) *v = h.uv.v;
        return 1;
    };
    // Most lines meet a face once: nothing to choose.
    if (hits.size() == 1) return take(hits.front());
    host::UvBox r = face->uvRange();
    double su = std::max(r.uMax - r.uMin, 1e-12), sv = std::max(r.vMax - r.vMin, 1e-12);
    // On a closed surface the parameter distance goes the short way round.
    double pu = face->uPeriod(), pv = face->vPeriod();
    auto gap = [](double d, double period) { return period > 0 ? std::remainder(d, period) : d; };
    auto key = [&](const host::FaceHit& h) {
        double du = gap(h.uv.u - u0, pu) / su, dv = gap(h.uv.v - v0, pv) / sv;
        return du * du + dv * dv;
    };
    const host::FaceHit* best = &hits.front();
    for (const host::FaceHit& h : hits) {
        double k = key(h), kb = key(*best);
        if (k < kb - 1e-12 || (std::abs(k - kb) <= 1e-12 && std::abs(h.lineParam) < std::abs(best->lineParam)))
            best = &h;
    }
    return take(*best);
}

int surf_extent_along(const ent* s, const double direction[3], double* least, double* most) {
    const FaceGeom* face = host::faceOf(s);
    double lo = 0, hi = 0;
    if (!face || !direction || !face->extentAlong({direction[0], direction[1], direction[2]}, lo, hi)) return 0;
    if (least) *least = lo;
    if (most) *most = hi;
    return 1;
}

double surf_trim_tolerance(const ent* s) {
    const FaceGeom* face = host::faceOf(s);
    return face ? face->trimTolerance() : 0.0;
}

int create_nurbsurf_from_surf(const surf_of_rev* rev, ent* out) {
    if (!rev || !out || !rev->profile || rev->profile->type != kEntLine) return 0;
    const l_3d& ln = rev->profile->ln.ln;
    FaceGeom face = FaceGeom::revolvedSegment(host::toV(ln.e1), host::toV(ln.e2), host::toV(rev->axisPt),
                                              host::toV(rev->axisDir), rev->startAngle, rev->sweep)
                        .toNurbs();
    if (face.empty()) return 0;
    *out = ent{};
    host::fillSurfaceRecord(*out, face, kSurfNurbs);
    return 1;
}

int create_nurbsurf_from_4_points(const p_3d corners[4], ent* out) {
    if (!corners || !out) return 0;
    FaceGeom face = FaceGeom::patchFrom4Points(host::toV(corners[0]), host::toV(corners[1]), host::toV(corners[2]),
                                               host::toV(corners[3]));
    if (face.empty()) return 0;
    *out = ent{};
    host::fillSurfaceRecord(*out, face, kSurfNurbs);
    return 1;
}

std::uint32_t put_surf_in_db(ent* s, int colour, std::int32_t level) {
    if (!host::faceOf(s)) return 0;
    db_ptr entry = 0;
    char ok = 0;
    std::uint32_t id = store_ent(s, &entry, 0, colour, level, main_attrib, &ok);
    return ok ? id : 0;
}

int sld_get_tag_from_solid(const ent* solid, sld_tag* tag) {
    if (!solid || !tag || solid->type != kEntSolid || !solid->solid.geom || solid->solid.geom->empty()) return 0;
    *tag = solid->eptr;
    return 1;
}

namespace {

// The surface just stored has `made` from face `index` of the solid: a part file may keep it as that.
void rememberOrigin(db_ptr surface, const FaceGeom& face, const FaceGeom& made, db_ptr solid, int index, bool base) {
    auto lock = host::db::guard();
    auto it = host::db::current().ents.find(surface);
    if (it != host::db::current().ents.end())
        it->second.origin = std::make_unique<host::db::SurfaceOrigin>(host::db::SurfaceOrigin{face, made, solid, index, base});
}

}  // namespace

int sld_convert_tags_to_mc_ents(const sld_tag* tags, int count, double /*tolerance*/, int /*keepSolid*/,
                                int faceColours, int /*reserved*/) {
    int converted = 0;
    for (int t = 0; tags && t < count; ++t) {
        ent solid{};
        if (!get_ent_from_eptr(tags[t], &solid) || solid.type != kEntSolid || !solid.solid.geom) continue;
        const host::SolidGeom geom = *solid.solid.geom;
        const std::vector<FaceGeom>& faces = geom.faces();
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const FaceGeom& face = faces[i];
            int own = geom.faceColours()[i];
            int colour = faceColours == 1 && own != host::kNoColour ? own : solid.color;
            db_ptr entry = 0;
            char ok = 0;
            ent e{};
            FaceGeom base = face.isPlanar() ? face.untrimmed() : FaceGeom{};
            if (!base.empty()) {
                ent b{};
                host::fillSurfaceRecord(b, base, host::surfaceTypeCode(base.kind()));
                b.surf.solidFace = 1;
                db_ptr baseEntry = 0;
                store_ent(&b, &baseEntry, 0, colour, main_level, main_attrib, &ok);
                if (!ok) continue;
                rememberOrigin(baseEntry, face, base, tags[t], static_cast<int>(i), true);
                host::fillSurfaceRecord(e, face, kSurfTrimmed);
                e.surf.base = baseEntry;
            } else {
                host::fillSurfaceRecord(e, face, host::surfaceTypeCode(face.kind()));
            }
            e.surf.solidFace = 1;
            store_ent(&e, &entry, 0, colour, main_level, main_attrib, &ok);
            if (!ok) continue;
            rememberOrigin(entry, face, face, tags[t], static_cast<int>(i), false);
            ++converted;
        }
    }
    return converted;
}
