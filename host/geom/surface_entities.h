// Host-side helpers that turn kernel faces and solids into entity records and back, for the geometry
// API, the STEP import and hostcam. Records follow host/api_db.h and host/api_geom.h; colours are
// numbers of the host palette Wd_colors (red in the low byte).
#pragma once
#include <cstdint>
#include <string_view>

#include "host/api.h"
#include "host/geom/face_geom.h"

namespace host {

std::int16_t surfaceTypeCode(SurfaceKind kind);

// Makes `e` a surface entity record (type 256) of `face` with `typeCode`: ranges, box, sphere and geometry;
// for kSurfTrimmed also the boundary table of the face's trims (outer loop first). The base pointer, the
// database fields and the colour are left to the caller.
void fillSurfaceRecord(ent& e, const FaceGeom& face, std::int16_t typeCode);

// Gives a solid record the geometry and its box corners, in the order storeSolidEntity gives them.
void setSolidGeometry(ent_solid& record, const SolidGeom& solid);

// Stores `solid` as a solid entity on `level` with `colour` and the host's current attributes; `name`
// becomes the body text. The box corners run (x0,y0,z0) (x1,y0,z0) (x1,y1,z0) (x0,y1,z0), then the same
// at z1. Returns the new handle, 0 when it cannot be stored.
db_ptr storeSolidEntity(const SolidGeom& solid, int colour, std::int32_t level, std::string_view name);

// The palette colour nearest to an RGB colour (0-255 each; ties go to the lower number), and back.
int nearestHostColour(int r, int g, int b);
void hostColourRgb(int colour, int& r, int& g, int& b);

}  // namespace host
