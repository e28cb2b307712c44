// Small recognition trees for tool layout and sequencing tests: views, holes and their operations, owned
// by the builder, with the work-area fields that tools read set through their accessors.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

class ToolTree {
public:
    VIEW_LIST* view(std::int16_t toolPathGroup = 0, std::int16_t viewNumber = 1) {
        VIEW_LIST& v = views_.emplace_back();
        v.viewNumber = viewNumber;
        v.groupNumber = toolPathGroup;
        if (views_.size() > 1) {
            VIEW_LIST& before = views_[views_.size() - 2];
            before.next = &v;
            v.prev = &before;
        }
        return &v;
    }

    // A hole at (x, y) of the view with one operation per tool type, in order.
    POINT_LIST* hole(VIEW_LIST* v, const std::vector<int>& toolTypes, double x = 0, double y = 0,
                     const std::string& description = "") {
        POINT_LIST& p = points_.emplace_back();
        p.view = v;
        p.ptView[0] = x;
        p.ptView[1] = y;
        setFieldText(p.description, description);
        POINT_LIST** link = &v->firstPoint;
        while (*link) {
            p.prev = *link;
            link = &(*link)->next;
        }
        *link = &p;
        ++v->pointCount;
        OPE_LIST* last = nullptr;
        for (int type : toolTypes) {
            OPE_LIST& o = opes_.emplace_back();
            o.view = v;
            o.point = &p;
            o.toolType = static_cast<std::uint32_t>(type);
            o.active = 1;
            if (last) {
                last->next = &o;
                o.prev = last;
            } else {
                p.opeList = &o;
            }
            last = &o;
        }
        return &p;
    }

    static std::vector<OPE_LIST*> operations(POINT_LIST* p) {
        std::vector<OPE_LIST*> all;
        for (OPE_LIST* o = p->opeList; o; o = o->next) all.push_back(o);
        return all;
    }
    static int type(const OPE_LIST* o) { return o ? static_cast<int>(o->toolType) : 0; }

private:
    std::deque<VIEW_LIST> views_;
    std::deque<POINT_LIST> points_;
    std::deque<OPE_LIST> opes_;
};
