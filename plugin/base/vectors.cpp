// Vector routines.
#include "plugin/base/vectors.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void copyVector(double destination[3], const double source[3]) {
    std::memmove(destination, source, 3 * sizeof(double));
}

void setVector(double x, double y, double z, double out[3]) {
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

void subtractVector(const double a[3], const double b[3], double out[3]) {
    setVector(a[0] - b[0], a[1] - b[1], a[2] - b[2], out);
}

void negateVector(const double in[3], double out[3]) { setVector(-in[0], -in[1], -in[2], out); }

void copyMatrix33(double destination[3][3], const double source[3][3]) {
    std::memmove(destination, source, 9 * sizeof(double));
}

void normalizeVector(const double in[3], double out[3]) {
    // hypot: neither overflows on large nor vanishes on tiny components.
    const double length = std::hypot(in[0], in[1], in[2]);
    if (length == 0) {
        setVector(0, 0, 0, out);
        return;
    }
    setVector(in[0] / length, in[1] / length, in[2] / length, out);
}

void normalize2d(const double in[2], double out[2]) {
    const double length = std::hypot(in[0], in[1]);
    if (length == 0) {
        out[0] = out[1] = 0;
        return;
    }
    const double x = in[0] / length, y = in[1] / length;
    out[0] = x;
    out[1] = y;
}

int isBetweenTol(double x, double a, double b, double tol) {
    return std::min(a, b) - tol < x && x < std::max(a, b) + tol ? 1 : 0;
}
