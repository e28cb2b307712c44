// Vector routines the whole plug-in shares. A vector is three doubles (x, y, z), a 2D vector two, a matrix
// 3 x 3 doubles row by row. Input and output may be the same array.
#pragma once

void copyVector(double destination[3], const double source[3]);
void setVector(double x, double y, double z, double out[3]);
// out = a - b
void subtractVector(const double a[3], const double b[3], double out[3]);
void negateVector(const double in[3], double out[3]);
void copyMatrix33(double destination[3][3], const double source[3][3]);
// The unit vector of `in`; the zero vector gives the zero vector.
void normalizeVector(const double in[3], double out[3]);
void normalize2d(const double in[2], double out[2]);
