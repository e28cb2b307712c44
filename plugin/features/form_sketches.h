// Small drawing routines for hole forms in dialogs. Each selects its own pen (and brush), draws and selects
// the previous ones again. Integer pixels, y down; angles in degrees counter-clockwise from +x, so a
// direction a points to (cos a, -sin a) on the screen. Colours are plat::rgb values.
#pragma once
#include "platform/ui/canvas.h"

void drawLineSolid1(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
void drawLineSolid3(plat::Canvas& dc, int x1, int y1, int x2, int y2, plat::Color colour);
// A filled arrowhead with its tip at (x, y), opening towards `direction`, sides `length` long, 36° wide.
void drawFilledArc(plat::Canvas& dc, int x, int y, double direction, int length, plat::Color colour);
// A thread of core width d and tooth depth h, one tooth per pitch p, from `top` down over `length`; nothing
// when any size is below 1.
void drawShapeSketch(plat::Canvas& dc, int cx, int top, int d, int h, int p, int length, plat::Color penColour,
                     plat::Color fillColour);
