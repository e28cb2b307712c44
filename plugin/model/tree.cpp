// Allocating, releasing and walking the recognition tree.
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

#include <new>
#include <set>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"

namespace {

template <class T>
T* allocRecord() {
    T* record = new (std::nothrow) T();
    if (!record) plat::messageBox(nullptr, errorMessage(35), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
    return record;
}

void freeCylChain(CYL_LIST* cyl) {
    while (cyl) {
        CYL_LIST* next = cyl->next;
        delete cyl;
        cyl = next;
    }
}

// What the holes of a tree own beside their segments. Chain copies of a hole may point at the head's
// operations or descriptions, so each is released once however many holes name it.
struct OWNED_BY_HOLES {
    std::set<OPE_LIST*> opeChains;
    std::set<CIL_DESC*> descArrays;

    void take(POINT_LIST* point) {
        if (point->opeList) opeChains.insert(point->opeList);
        if (point->descs) descArrays.insert(point->descs);
    }
    void release() {
        for (OPE_LIST* first : opeChains) freeOpeChain(first);
        for (CIL_DESC* descs : descArrays) freeCilDescs(descs);
    }
};

}  // namespace

VIEW_LIST* allocViewList() { return allocRecord<VIEW_LIST>(); }
POINT_LIST* allocPointList() { return allocRecord<POINT_LIST>(); }
CYL_LIST* allocCylList() { return allocRecord<CYL_LIST>(); }

void freeViewList(VIEW_LIST* view) { delete view; }
void freeCylList(CYL_LIST* cyl) { delete cyl; }

void freePointList(POINT_LIST* point) {
    if (!point) return;
    OWNED_BY_HOLES owned;
    owned.take(point);
    owned.release();
    freeCylChain(point->firstCyl);
    delete point;
}

int freeViewsTree(VIEW_LIST* tree) {
    OWNED_BY_HOLES owned;
    for (VIEW_LIST* view = tree; view;) {
        for (POINT_LIST* point = view->firstPoint; point;) {
            POINT_LIST* next = point->next;
            owned.take(point);
            freeCylChain(point->firstCyl);
            delete point;
            point = next;
        }
        VIEW_LIST* next = view->next;
        delete view;
        view = next;
    }
    owned.release();
    return 0;
}

int countViews(const VIEW_LIST* tree) {
    int n = 0;
    for (; tree; tree = tree->next) ++n;
    return n;
}

int countPoints(const VIEW_LIST* view) {
    int n = 0;
    for (const POINT_LIST* p = view ? view->firstPoint : nullptr; p; p = p->next) ++n;
    return n;
}

int countCyls(const POINT_LIST* point) {
    int n = 0;
    for (const CYL_LIST* c = point ? point->firstCyl : nullptr; c; c = c->next) ++n;
    return n;
}

CYL_LIST* lastCyl(const POINT_LIST* point) {
    CYL_LIST* cyl = point ? point->firstCyl : nullptr;
    while (cyl && cyl->next) cyl = cyl->next;
    return cyl;
}

CYL_LIST* cylAt(const POINT_LIST* point, int place) {
    CYL_LIST* cyl = point ? point->firstCyl : nullptr;
    while (cyl && place-- > 0) cyl = cyl->next;
    return cyl;
}
