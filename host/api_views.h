// The host's views, work coordinate system and graphics window as the plug-in sees them.
// A view matrix is double[3][3] whose rows are the view's X, Y and Z axes in world coordinates (Z points
// at the viewer). A point p given in a view goes to world as p.x X + p.y Y + p.z Z; a world point goes
// into the view by its dot products with the rows. Lengths are the part's units, angles radians.
#pragma once
#include "host/api_types.h"
#include <cstddef>
#include <cstdint>
#include <vector>

// Views are numbered. 1-8 are the standard views: 1 top (Z = +Z), 2 front (-Y), 3 back (+Y), 4 bottom (-Z),
// 5 right (+X), 6 left (-X), 7 isometric (Z = (1,-1,1)/sqrt 3), 8 axonometric (Z = (1,-2,2)/3); opposite
// pairs 1-4, 2-3, 5-6. Views the host makes for other matrices get 9, 10, ... in the order they are made.
// The standard views' X axes: 1, 2, 4 +X; 3 -X; 5 +Y; 6 -Y.

// A named view. The host keeps only `id` of it in plug-in records; the key of a view is the id's low 16 bits.
struct view_ent {
    std::uint32_t id = 0;
    double matrix[3][3] = {};
    std::int16_t number = 0;       // the host view number of the matrix
    char name[41] = {};            // at most 40 characters
    p_3d origin;                   // world
    std::int16_t aux = 0;          // carried unchanged (the plug-in sets -1 on views it makes)
};

// The named views; the first six entries are the standard views 1-6 (ids 1-6, names "TOP" ... "LEFT").
// Entries are only appended; ids are never reused while the part is open.
extern std::vector<view_ent> NamedViews;

// 1 and the matrix of view n; 0 (matrix untouched) when there is no such view.
int get_view_matrix(int n, double m[3][3]);
// The frame the host gives a direction: Z = the unit direction. Within 1e-9 of a standard axis the
// standard view's matrix. Otherwise, while Z leans more than 1e-3 from the world Z axis, X = unit(world
// Z x Z) (a horizontal X, as in views 2, 3, 5, 6) and Y = Z x X; closer to vertical Y = unit(Z x world X)
// and X = Y x Z (as in views 1 and 4). Orthonormal and right-handed. 1 done; 0 for a zero direction (the
// matrix is then view 1's).
int make_view_k(const double dir[3], double m[3][3]);
// The lowest view number whose matrix equals `m` within 1e-6 in every element; when none and `create`
// is 1, a new view for it. `*ok` 1 with `*n` set; 0 when none was found or made (with `create` 1: the
// matrix is not orthonormal and right-handed within 1e-6). Returns `*ok`.
int find_view_m(const double m[3][3], int* n, int create, char* ok);
// The lowest view number whose Z axis is `dir` (unit(dir) within 1e-6); when none and `create` is 1, a
// new view with make_view_k's frame. `*found` and the result as find_view_m; a zero direction fails.
int find_view_k(const double dir[3], int* n, int create, char* found);

// mode 1: adds `*v` as a named view (matrix checked as find_view_m does; a view number found or made for
// it; an empty name becomes "VIEW <id>"), appends it to NamedViews and fills in v->id and v->number.
// mode 7: makes v's view the construction view (constr_view_n); mode 8: the tool view (tool_view_n); the
// view is v->number, or found or made for v->matrix when that number is no view. `text` is not used.
// `*ok` 1 done, 0 otherwise (other modes, a bad matrix). Returns `*ok`.
int named_view_manager(view_ent* v, int mode, const char* text, char* ok);

extern int constr_view_n;         // construction view number (1 in a fresh part)
extern int tool_view_n;           // tool view number (1 in a fresh part)
int get_gr_view_n();              // the graphics view number
// Shows the graphics in the view of matrix `m` (found or made as find_view_m does); a bad matrix leaves it.
void set_gr_view(const double m[3][3]);

// The work coordinate system: a named view whose rows are the WCS axes and whose origin is the WCS origin.
// Off in a fresh part (then it is view 1 at the world origin).
extern view_ent WCS;
int wcs_is_on();
// Vectors between WCS axes and world axes (rotation only; no origin).
void wcs_to_world(const double in[3], double out[3]);
void world_to_wcs(const double in[3], double out[3]);
// A point in view `view`'s coordinates to world; an unknown view leaves the point as it is.
void view_to_world_pt(const double in[3], int view, double out[3]);

// ---- graphics window -------------------------------------------------------------------------------------
// The window shows a rectangle of the graphics view: its centre (graphics view coordinates) and height;
// the width is 4/3 of the height. fit() frames what is visible (not blanked, visible level, on mask_level
// when that is set) so that it fills 0.9525 of the height (or of the width, whichever binds); with nothing
// visible the window stays as it is.
void fit();
void get_wk_center(double* x, double* y);
double get_wk_height();

// The stock set-up of the job. Byte 63 (the 64th) is the stock display flag.
struct job_setup_rec {
    double stockSize[3] = {};
    double stockOrigin[3] = {};
    std::uint8_t anchor = 0;
    std::uint8_t reserved[14] = {};
    std::uint8_t showStock = 0;
    std::uint8_t more[64] = {};
};
static_assert(offsetof(job_setup_rec, showStock) == 63, "the display flag is the setup's 64th byte");
extern job_setup_rec job_setup;
