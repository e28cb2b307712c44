// What the pipeline tests share: a plug-in that has run one invocation (settings read, metric, T = 0.025
// mm), builder parts stored as solids and turned into surfaces as the recognition command does, and the
// recognition tree read back as a caller sees it: holes by direction with their segments from the top.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/main_menu.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "support/part_recognition_fixture.h"

namespace recog_q {

using namespace host::builder;
using host::Vec3;
constexpr Vec3 kDown{0, 0, -1};
constexpr Vec3 kUp{0, 0, 1};

// One segment as a caller reads it: diameters and heights along its view's direction.
struct SEG {
    double dTop = 0, dBottom = 0, zTop = 0, zBottom = 0;
    bool bottomFlat = false, topFlat = false;
};
struct HOLE {
    int viewNumber = 0;
    double dir[3] = {};   // the view's drilling direction (Z row)
    double x = 0, y = 0;  // ptView
    int id = 0;
    std::vector<SEG> segs;
};

inline std::vector<HOLE> holesOf(const VIEW_LIST* tree) {
    std::vector<HOLE> out;
    for (const VIEW_LIST* v = tree; v; v = v->next)
        for (const POINT_LIST* p = v->firstPoint; p; p = p->next) {
            HOLE h;
            h.viewNumber = v->viewNumber;
            for (int i = 0; i < 3; ++i) h.dir[i] = v->matrix[2][i];
            h.x = p->ptView[0];
            h.y = p->ptView[1];
            h.id = p->id;
            for (const CYL_LIST* c = p->firstCyl; c; c = c->next)
                h.segs.push_back({2 * c->rSup, 2 * c->rInf, c->zSup, c->zInf, c->bottomFlat != 0, c->topFlat != 0});
            out.push_back(h);
        }
    return out;
}

inline std::string describe(const std::vector<HOLE>& holes) {
    std::string text;
    char line[256];
    for (const HOLE& h : holes) {
        std::snprintf(line, sizeof line, "view %d (%.3f %.3f %.3f) at %.3f %.3f:", h.viewNumber, h.dir[0], h.dir[1],
                      h.dir[2], h.x, h.y);
        text += line;
        for (const SEG& s : h.segs) {
            std::snprintf(line, sizeof line, " [d%.3f>%.3f z%.3f..%.3f%s%s]", s.dTop, s.dBottom, s.zTop, s.zBottom,
                          s.topFlat ? " tf" : "", s.bottomFlat ? " bf" : "");
            text += line;
        }
        text += "\n";
    }
    return text;
}

// The tree's own bookkeeping: counts equal the chains, links both ways, segments ordered from the top,
// each point at its top segment, ids unique.
inline void expectWellFormed(const VIEW_LIST* tree) {
    std::vector<int> ids;
    const VIEW_LIST* prevView = nullptr;
    for (const VIEW_LIST* v = tree; v; prevView = v, v = v->next) {
        EXPECT_EQ(v->prev, prevView);
        EXPECT_EQ(v->kind, 1);
        EXPECT_EQ(v->passMark, 0);
        EXPECT_GE(v->pointCount, 1);
        EXPECT_EQ(v->pointCount, countPoints(v));
        const POINT_LIST* prevPoint = nullptr;
        for (const POINT_LIST* p = v->firstPoint; p; prevPoint = p, p = p->next) {
            EXPECT_EQ(p->prev, prevPoint);
            EXPECT_EQ(p->view, v);
            EXPECT_EQ(p->movedMark, 0);
            EXPECT_GE(p->cylCount, 1);
            EXPECT_EQ(p->cylCount, countCyls(p));
            ids.push_back(p->id);
            if (!p->firstCyl) continue;
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(p->ptUniv[i], p->firstCyl->cUniv[i], 1e-9);
            const CYL_LIST* prevCyl = nullptr;
            for (const CYL_LIST* c = p->firstCyl; c; prevCyl = c, c = c->next) {
                EXPECT_EQ(c->prev, prevCyl);
                EXPECT_GE(c->zSup, c->zInf - 1e-9);
                if (prevCyl) {
                    EXPECT_LE(c->zSup, prevCyl->zSup + 1e-9);
                }
            }
        }
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end()) == ids.end()) << "hole ids repeat";
}

// A plug-in after one invocation whose main menu the user closed at once: settings and tolerances as a
// recognition finds them; addPart and recognize as the recognition command does them.
class RecogFixture : public PartRecognitionFixture {};

}  // namespace recog_q
