// Hand-built recognition trees for the tests of segment ends, moves, axis joining and flat rings: a loaded
// plug-in (metric, T = 0.025), views with the host's matrices, points placed by their view x and y, and
// segments given by their heights and radii in the view's frame.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"
#include "support/recognition_fixture.h"

namespace recog_l {

using namespace hand_tree;

// Views, points and segments appended to the fixture's tree; points take the next hole id.
class TreeTest : public RecognitionFixture {
protected:
    VIEW_LIST* addView(int number) { return appendView(head, number); }
    VIEW_LIST* addView(int number, const double m[3][3]) { return appendView(head, number, m); }
    // The view of the host view found or made for `direction`.
    VIEW_LIST* addViewFor(double x, double y, double z) {
        const double d[3] = {x, y, z};
        return viewLooking(head, d);
    }
    POINT_LIST* addPoint(VIEW_LIST* v, double x, double y) { return appendPoint(v, x, y, g_nextHoleId++); }
    // A full-turn segment of the point's axis from zSup down to zInf (view frame), appended at the bottom.
    static CYL_LIST* addSeg(POINT_LIST* p, double zSup, double zInf, double rSup, double rInf) {
        return appendSeg(p, zSup, zInf, rSup, rInf);
    }
    // A point at (x, y) with its segments from the top.
    POINT_LIST* addHole(VIEW_LIST* v, double x, double y, const std::vector<SEG>& segs) {
        return appendHole(v, x, y, g_nextHoleId++, segs);
    }
    // An entity entry with this id.
    static void addEnt(CYL_LIST* s, int id) {
        s->ents[s->entCount].id = id;
        s->ents[s->entCount].level = 1;
        ++s->entCount;
    }
};

}  // namespace recog_l
