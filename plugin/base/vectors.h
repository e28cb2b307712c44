// Vector routines the whole plug-in shares. A vector is three doubles (x, y, z), a 2D vector two, a matrix
// 3 x 3 doubles row by row. Input and output may be the same array.
#pragma once
#include <cmath>

void copyVector(double destination[3], const double source[3]);
void setVector(double x, double y, double z, double out[3]);
// out = a - b
void subtractVector(const double a[3], const double b[3], double out[3]);
void negateVector(const double in[3], double out[3]);
void copyMatrix33(double destination[3][3], const double source[3][3]);
// The distance between two points.
inline double distance3(const double a[3], const double b[3]) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}
// How a distance whose square is `squared` compares with `limit`, where the square can tell: -1 clearly
// below, 1 clearly above; 0 within rounding of the limit, for squares that under- or overflow and for NaN,
// where only the distance itself can tell.
inline int squareAgainst(double squared, double limit) {
    if (!(limit > 1e-100 && limit < 1e100 && squared > 1e-200 && squared < 1e200)) return 0;
    const double bound = limit * limit;
    if (squared < bound * (1 - 1e-9)) return -1;
    if (squared > bound * (1 + 1e-9)) return 1;
    return 0;
}
// Whether distance3(a, b) < limit, told by the square where it can tell, so the answer is always
// distance3's.
inline bool closerThan(const double a[3], const double b[3], double limit) {
    const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    const int side = squareAgainst(dx * dx + dy * dy + dz * dz, limit);
    return side != 0 ? side < 0 : distance3(a, b) < limit;
}
// The unit vector of `in`; the zero vector gives the zero vector.
void normalizeVector(const double in[3], double out[3]);
void normalize2d(const double in[2], double out[2]);

// 1 when min(a, b) - tol < x < max(a, b) + tol (both strict), else 0; a and b in either order.
int isBetweenTol(double x, double a, double b, double tol);

// A 2D point is two doubles, x then y.
inline void copyPoint2d(double destination[2], const double source[2]) {
    destination[0] = source[0];
    destination[1] = source[1];
}
inline void setPoint2d(double x, double y, double destination[2]) {
    destination[0] = x;
    destination[1] = y;
}

// A vector in a frame's axes taken to world: v.x row0 + v.y row1 + v.z row2, summed in that order so that it
// equals the host's mul_mat_vector to the bit; out may be v. Inline: recognition calls it per probe and
// boundary point.
inline void frameToWorld(const double m[3][3], const double v[3], double out[3]) {
    double r[3];
    for (int i = 0; i < 3; ++i) r[i] = v[0] * m[0][i] + v[1] * m[1][i] + v[2] * m[2][i];
    out[0] = r[0], out[1] = r[1], out[2] = r[2];
}
// A world vector in a frame's axes (its dot product with each row), as the host's transpose_matrix_33 then
// mul_mat_vector give it, to the bit; out may be w.
inline void worldToFrame(const double m[3][3], const double w[3], double out[3]) {
    double r[3];
    for (int i = 0; i < 3; ++i) r[i] = w[0] * m[i][0] + w[1] * m[i][1] + w[2] * m[i][2];
    out[0] = r[0], out[1] = r[1], out[2] = r[2];
}
// The x and y of worldToFrame alone, for a point seen along the frame's axis.
inline void worldToFrameXY(const double m[3][3], const double w[3], double out[2]) {
    for (int i = 0; i < 2; ++i) out[i] = w[0] * m[i][0] + w[1] * m[i][1] + w[2] * m[i][2];
}
