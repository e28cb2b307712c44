// The host's geometry as the plug-in sees it: surface entities (evaluation, planarity, projection along a
// view), NURBS surfaces made from a revolved line or four corners, solids turned into surface entities, and
// the vector and line helpers. Included by host/api.h after api_db.h (ent) and api_views.h (matrices).
// Matrices are double[3][3] with rows X, Y, Z (api_views.h); angles in radians; lengths in part units.
#pragma once
#include "host/api_types.h"
#include <cstdint>

struct CHAIN;   // host/api_chains.h

// ---- surface type codes: ent_surface::typeCode ---------------------------------------------------------
// A surface entity is a face of the kernel. Planar faces of solids come as a base surface (the plane over
// the face's parameter box, owned and hidden) and a trimmed surface (kSurfTrimmed) carrying the face's
// boundaries; every other face is one entity of its own kind whose ranges are the bounds of its trims.
// All of them evaluate through eval_surf and project inside the face's own trims.
constexpr std::int16_t kSurfNurbs = 0;       // NURBS (also what create_nurbsurf_* make)
constexpr std::int16_t kSurfPlane = 1;
constexpr std::int16_t kSurfCylinder = 2;
constexpr std::int16_t kSurfCone = 3;
constexpr std::int16_t kSurfSphere = 4;
constexpr std::int16_t kSurfTorus = 5;
constexpr std::int16_t kSurfRevolution = 6;
constexpr std::int16_t kSurfExtrusion = 7;
constexpr std::int16_t kSurfOther = 9;
// kSurfTrimmed (10) is in api_db.h.

// ---- surfaces ------------------------------------------------------------------------------------------------
// The point of surface `s` (a surface entity record) at (u, v). For a trimmed surface this is its base
// surface's point: the trims do not limit evaluation. `derivs` 0 fills pt[0]; 1 fills pt[0] (point), pt[1]
// (d/du) and pt[2] (d/dv). 1 done; 0 when `s` is no surface with geometry or the point cannot be evaluated.
int eval_surf(const ent* s, double u, double v, int derivs, p_3d* pt);

// The unit normal of surface `s` at (u, v), in the sense of the face: for a face converted from a solid
// (ent_surface::solidFace) it points out of the material, whatever the sense of the surface's parameters;
// for a free surface it is the sense of d/du x d/dv. 1 done; 0 where the normal is undefined (a cone's
// apex, a pole) or `s` is no surface with geometry (*normal untouched).
int surf_normal(const ent* s, double u, double v, p_3d* normal);

// 1 with the unit normal (out of the material for a face of a solid) and a point of the plane when the
// surface is planar; 0 otherwise (outputs untouched). Either output may be null.
int is_surf_planar(const ent* s, p_3d* normal, p_3d* point);

// Projects `pt` onto the surface along the Z axis of host view `view`: the unbounded line through `pt` in
// that direction (both senses) meets the face inside its trims or on them. When it meets the face more
// than once, the hit whose (u, v) is nearest to (u0, v0) is taken (parameter distances scaled by the
// ranges, the short way round on a closed surface; ties go to the hit nearest `pt`), as an iteration
// started there would. 1 with the point and its
// parameters (u, v may be null); 0 when the line misses the face, the view does not exist or `s` has no
// geometry.
int project_pt_onto_surf(const ent* s, int view, const double pt[3], double u0, double v0, double out[3], double* u,
                         double* v);
// The same along `direction` (a view's Z row, read once by a caller projecting many points); 0 also for a
// direction of no length.
int project_pt_along_dir(const ent* s, const double direction[3], const double pt[3], double u0, double v0,
                         double out[3], double* u, double* v);

// The least and greatest of direction . p over the points p of the surface's face, `direction` a unit
// vector (a view's Z row): the face's heights in a view, from the face itself, where its box's corners
// give more than it reaches along any direction but a world axis. Exact on planes, cylinders and cones
// bounded by lines, circles and ellipses, and on spheres and tori filling their parameter box; a bound
// that holds the face elsewhere (B-spline surfaces and edges by their poles). 1 done; 0 when the host has
// no closed form for the face (its box's corners then hold it) or `s` has no geometry.
int surf_extent_along(const ent* s, const double direction[3], double* least, double* most);

// The largest tolerance of the surface's trim edges and their vertices: how far outside its trims a point
// may lie and still count as on them. 0 for a surface without trims or geometry.
double surf_trim_tolerance(const ent* s);

// A surface of revolution: `profile` (a line entity record, type 2) turned about the axis through
// `axisPt` along `axisDir` from `startAngle` over `sweep` (a full turn is 2 pi).
struct surf_of_rev {
    const ent* profile = nullptr;
    p_3d axisPt;
    p_3d axisDir;
    double startAngle = 0;
    double sweep = 0;
};
// Fills `*out` as a NURBS surface entity record (type 256, kSurfNurbs, ranges, box and sphere), not yet
// stored (put_surf_in_db stores it). 1 done; 0 when the profile is no line, lies on the axis, or the axis
// has no direction.
int create_nurbsurf_from_surf(const surf_of_rev* rev, ent* out);
// Fills `*out` as a bilinear NURBS patch through the corners: u runs from corners[0] to corners[1], v from
// corners[0] to corners[2]; corners[3] is the far corner. 1 done; 0 when neighbouring corners coincide.
int create_nurbsurf_from_4_points(const p_3d corners[4], ent* out);
// Stores a surface record made above with the colour and level and the host's current attributes. Returns
// the new id (s->eptr and s->id set), 0 when it cannot be stored.
std::uint32_t put_surf_in_db(ent* s, int colour, std::int32_t level);

// ---- solids -------------------------------------------------------------------------------------------------
using sld_tag = std::uint32_t;   // a solid's kernel tag: here the handle of its solid entity

// 1 and the tag of solid entity `solid`; 0 when it is no solid with geometry.
int sld_get_tag_from_solid(const ent* solid, sld_tag* tag);
// Turns every face of the `count` solids into surface entities on main_level with main_attrib, in the
// solid's face order: planar faces as a base plane plus a trimmed surface (outer boundary first, then the
// holes in it), other faces as one surface each, every one marked a face of a solid (ent_surface::solidFace)
// with the face's sense in the solid. A face takes its own colour when `faceColours` is 1 and
// the face has one, else the solid's colour. `tolerance` (0.0: the kernel's own), `keepSolid` and
// `reserved` are taken as given: the solid always stays. Returns the number of faces converted (a planar
// face counts once); a tag that is no solid converts nothing.
int sld_convert_tags_to_mc_ents(const sld_tag* tags, int count, double tolerance, int keepSolid, int faceColours,
                                int reserved);

// How sld_revolve_from_chain turns a profile: about the line `axis` (a line record; stored or not), from
// `startAngle` over `sweep` (radians; a full turn is 2 pi). `flag1` and `flag2` are taken as given (0).
struct sld_revolve_parms {
    ent* axis = nullptr;
    double startAngle = 0;
    double sweep = 0;
    int flag1 = 0, flag2 = 0;
};
// Revolves the closed chain of lines (one planar loop holding the axis) into a new solid entity, stored
// last on main_level in main_color with `body` as its body text. 1 done; 0 (nothing stored) when the chain
// is no closed planar loop of lines, the axis has no length or does not lie in the loop's plane, or the
// kernel's result is not a valid solid.
int sld_revolve_from_chain(const CHAIN* chain, const sld_revolve_parms* parms, const char* body);
// Boolean of the solid entities of `list`: code 1 cuts list[1] .. list[count - 1] out of list[0]. On
// success list[0] takes the result (same handle, id, level and colour; the faces the cut left keep their
// colours), `operation` is appended to its history text as a line of its own, and the cutting solids are
// removed. 1 done; 0 when the code or the list is not one of these, the kernel refuses, or the result is
// empty or not a valid solid: then nothing in the part changes.
int sld_new_boolean(int code, int count, const db_ptr* list, const char* operation);

// ---- vectors and matrices -------------------------------------------------------------------------------------
// out = v.x row0 + v.y row1 + v.z row2 of m. With a view matrix (rows X, Y, Z) a vector in the view's axes
// goes to world; with its transpose a world vector goes into the view's axes (its dot products with the
// view's rows). out may be v.
void mul_mat_vector(const double m[3][3], const double v[3], double out[3]);
// out = transpose of m; out may be m.
void transpose_matrix_33(const double m[3][3], double out[3][3]);
// out = unit(a x b). 1 done; 0 when a and b are parallel or zero (out = 0).
int v_normal_3d(const double a[3], const double b[3], double out[3]);

// ---- lines and intersections ------------------------------------------------------------------------------------
struct p_2d {
    double x = 0, y = 0;
};
struct l_2d {
    p_2d e1, e2;
};

// Distance of a point from the unbounded line through the line's two points (from e1 when they coincide).
double dist_pt_l(const p_2d* pt, const l_2d* line);
double dist_pt_l_3d(const p_3d* pt, const l_3d* line);

// The point where the unbounded lines through a and through b cross. 1 found; 0 when they are parallel
// (or either has coinciding points): *pt untouched.
int l_ints(const l_2d* a, const l_2d* b, p_2d* pt);

// Where the unbounded line through line->e1 and line->e2 crosses the plane through `planePt` with normal
// `normal`: `*t` is the parameter along the line (0 at e1, 1 at e2; any value), `pt` the point, `*ok` 1;
// `*ok` 0 when the line runs parallel to the plane or has no length.
void lp_ints(const double normal[3], const double planePt[3], const l_3d* line, double pt[3], double* t, char* ok);

// The closest points of the unbounded lines through a and through b: pa on a, pb on b (equal when they
// cross). 1 done; 0 when the lines are parallel or either has no length.
int ll_ints_3d(const l_3d* a, const l_3d* b, double pa[3], double pb[3]);

// A planar geometry record for ints_on_gt: kind 'L' a line segment e1-e2; kind 'A' an arc about `c` of
// radius `r` from angle `sa` over the signed sweep `sw` (|sw| >= 2 pi: a full circle).
struct gt_rec {
    char kind = 'L';
    p_2d e1, e2;
    p_2d c;
    double r = 0, sa = 0, sw = 0;
};
// Where the two elements meet, touching within `tol` included (a near miss within tol gives the point of
// closest approach; overlapping collinear lines give their overlap's ends). `*count` points, at most 2,
// nearest to `ref` first, go to pts. 1 when the records could be intersected (count may be 0); 0 for a
// record of another kind or without size.
int ints_on_gt(const gt_rec* a, const gt_rec* b, const p_2d* ref, double tol, int* count, p_2d pts[2]);

// Where `pt` lies against the closed polygon of `n` corners (the last joins the first): 1 inside, 0 on
// its border within `tol`, -1 outside (also for fewer than 3 corners).
int in_polygon(const p_2d* pt, const p_2d* poly, int n, double tol = 1e-7);
