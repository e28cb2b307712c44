// Recognition trees made by hand for the tests of the engine's runs over a tree: views of host view numbers,
// holes of coaxial segments (top first), each segment carrying host entities when asked; every record comes
// from the tree's allocators, so the fixture's freeViewsTree releases it.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>

#include "host/api.h"
#include "plugin/model/ope_list.h"
#include "plugin/recognition/pipeline.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"
#include "plugin/services/recognition.h"
#include "plugin/model/ope_list.h"
#include "support/hand_tree.h"
#include "support/recognition_fixture.h"

// One segment: radii and heights along the view's Z, top above bottom.
struct RUN_SEGMENT {
    double rSup, zSup, rInf, zInf;
};

inline VIEW_LIST* addView(VIEW_LIST*& head, int number, std::int16_t group = 0) {
    VIEW_LIST* view = hand_tree::appendView(head, number);
    view->groupNumber = group;
    return view;
}

// A hole at (x, y) of the view; each segment gets `entities` line entities of its own on level 1.
inline POINT_LIST* addHole(VIEW_LIST* view, double x, double y, std::initializer_list<RUN_SEGMENT> segments,
                           int entities = 0) {
    POINT_LIST* hole = hand_tree::appendPoint(view, x, y, g_nextHoleId++);
    for (const RUN_SEGMENT& s : segments) {
        CYL_LIST* c = hand_tree::appendSeg(hole, s.zSup, s.zInf, s.rSup, s.rInf);
        for (int i = 0; i < entities; ++i) {
            ent line{};
            line.type = kEntLine;
            line.ln.ln.e1 = {x, y, s.zSup};
            line.ln.ln.e2 = {x + 1, y, s.zInf};
            db_ptr entry = 0;
            char ok = 0;
            c->ents[i].id = static_cast<std::int32_t>(store_ent(&line, &entry, 0, 10, 1, main_attrib, &ok));
            c->ents[i].entry = entry;
            c->entCount = static_cast<std::int16_t>(i + 1);
        }
    }
    return hole;
}

// Chains `followers` behind `head` as identical holes.
inline void chainHoles(POINT_LIST* head, std::initializer_list<POINT_LIST*> followers) {
    POINT_LIST* last = head;
    for (POINT_LIST* f : followers) {
        f->chainMember = 1;
        last->nextEqual = f;
        last = f;
    }
    head->chainCount = static_cast<std::int32_t>(followers.size());
}

// Appends an operation of the tool type to the hole's operations, with its tool index and created flag.
inline OPE_LIST* addOperation(POINT_LIST* hole, int toolType, std::int32_t toolIndex = -1, bool created = false) {
    auto* o = new OPE_LIST{};
    o->point = hole;
    o->view = hole->view;
    o->toolType = static_cast<std::uint32_t>(toolType);
    o->active = 1;
    o->toolIndex = toolIndex;
    o->newTool = created ? 1 : 0;
    OPE_LIST** link = &hole->opeList;
    while (*link) {
        o->prev = *link;
        link = &(*link)->next;
    }
    *link = o;
    return o;
}
