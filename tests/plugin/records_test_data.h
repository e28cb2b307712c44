// A work cycle's data for the records tests: entities in the part for the segments to name, a tree with
// every kind of link the records carry, groups, marks, tools and a tool sequence, and the images of a tree
// with its links and session handles blanked, so two trees can be compared byte for byte.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/api.h"
#include "plugin/base/byte_codec.h"
#include "plugin/base/globals.h"
#include "plugin/cycle/load_time_objects.h"
#include "plugin/base/part_record.h"
#include "plugin/cycle/records.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/feature_mark.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"
#include "plugin/model/tree_codec.h"
#include "plugin/model/tool_records.h"
#include "support/part_notes.h"
#include "plugin/model/work_records.h"

namespace records_test {

// Stores `n` solids and returns their ids. Notes stored and removed first make the solids' handles change
// when the part is saved and reopened, while their ids stay.
inline std::vector<std::uint32_t> storeSolids(int n) {
    std::vector<db_ptr> gone;
    for (int i = 0; i < 3; ++i) {
        ent note{};
        calc_note(&note, 1, p_3d{}, "scratch");
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&note, &entry, 0, 1, 1, main_attrib, &ok);
        gone.push_back(entry);
    }
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < n; ++i) {
        ent solid{};
        solid.type = kEntSolid;
        solid.solid.body = "Body " + std::to_string(i);
        db_ptr entry = 0;
        char ok = 0;
        ids.push_back(store_ent(&solid, &entry, 0, 1, 1, main_attrib, &ok));
    }
    for (db_ptr entry : gone) delete_ent(entry, 0, 0, 0, nullptr, 0);
    return ids;
}

// The handle the open part gives the entity with this id, 0 for none.
inline db_ptr entryOfId(std::uint32_t id) {
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_raw_ent(at, 1, kEntSurface | kEntSolid, &e, &at, &found);
        if (!found) return 0;
        if (e.id == id) return at;
    }
}

inline void fillBytes(std::uint8_t* bytes, std::size_t n, int seed) {
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + 1);
}

inline CYL_LIST* addCyl(POINT_LIST* point, double zSup, const std::vector<std::uint32_t>& ids) {
    CYL_LIST* cyl = allocCylList();
    cyl->zSup = zSup;
    cyl->zInf = zSup - 5;
    cyl->rSup = cyl->rInf = 3 + zSup / 100;
    cyl->matrix[2][2] = 1;
    std::snprintf(cyl->threadName, sizeof cyl->threadName, "M%.0f", zSup);
    cyl->entCount = static_cast<std::int16_t>(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        cyl->ents[i].id = static_cast<std::int32_t>(ids[i]);
        cyl->ents[i].level = -2;
        cyl->ents[i].colour = 9;
        cyl->ents[i].entry = entryOfId(ids[i]);
    }
    CYL_LIST* last = lastCyl(point);
    cyl->prev = last;
    (last ? last->next : point->firstCyl) = cyl;
    ++point->cylCount;
    return cyl;
}

inline POINT_LIST* addPoint(VIEW_LIST* view, double x, int seed) {
    POINT_LIST* point = allocPointList();
    point->id = seed;
    point->ptView[0] = x;
    point->ptView[1] = 2 * x;
    point->ptUniv[0] = -x;
    std::snprintf(point->tableName, sizeof point->tableName, "Table %d", seed);
    point->rowIndex = static_cast<std::int16_t>(seed);
    point->adaptedWindow[1] = seed;
    std::snprintf(point->processName, sizeof point->processName, "Process %d", seed);
    point->view = view;
    POINT_LIST* last = view->firstPoint;
    while (last && last->next) last = last->next;
    point->prev = last;
    (last ? last->next : view->firstPoint) = point;
    ++view->pointCount;
    return point;
}

inline VIEW_LIST* addView(VIEW_LIST** head, int number) {
    auto* view = new VIEW_LIST();
    view->viewNumber = static_cast<std::int16_t>(number);
    get_view_matrix(number, view->matrix);
    fillBytes(view->area123, sizeof view->area123, number);
    VIEW_LIST* last = *head;
    while (last && last->next) last = last->next;
    view->prev = last;
    (last ? last->next : *head) = view;
    return view;
}

inline OPE_LIST* addOpe(POINT_LIST* point, int seed, std::shared_ptr<PROCESS_OPE> copy) {
    auto* ope = new OPE_LIST();
    fillBytes(reinterpret_cast<std::uint8_t*>(ope->comment), sizeof ope->comment, seed);
    fillBytes(reinterpret_cast<std::uint8_t*>(ope->toolName), sizeof ope->toolName, seed + 1);
    // The tool layout's fields and the bytes after them patterned through the image, so each of them travels.
    auto image = opeImage(*ope, [](const void*) { return 0u; });
    fillBytes(image.data() + ope_layout::material, OPE_LIST::kSize - ope_layout::material, seed + 2);
    (void)opeFromImage(image.data(), image.size(), *ope);
    ope->view = point->view;
    ope->point = point;
    ope->processOpe = std::move(copy);
    OPE_LIST* last = point->opeList;
    while (last && last->next) last = last->next;
    ope->prev = last;
    (last ? last->next : point->opeList) = ope;
    return ope;
}

// The tree of the tests:
//   view 1: hole A (head, one copy B behind it, three operations: the first two share a process copy,
//           two descriptions, two segments naming solids 0-2), hole B (the copy, one segment naming 3)
//   view 5: hole C (one segment naming 4, hole D split off it for depth), hole D (one segment, no entity)
struct SAMPLE_TREE {
    VIEW_LIST* head = nullptr;
    VIEW_LIST *view1 = nullptr, *view5 = nullptr;
    POINT_LIST *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
    OPE_LIST* opes[3] = {};
};

inline SAMPLE_TREE sampleTree(const std::vector<std::uint32_t>& ids) {
    SAMPLE_TREE t;
    t.view1 = addView(&t.head, 1);
    t.view5 = addView(&t.head, 5);
    t.a = addPoint(t.view1, 10, 1);
    t.b = addPoint(t.view1, 20, 2);
    t.c = addPoint(t.view5, 30, 3);
    t.d = addPoint(t.view5, 40, 4);
    t.a->chainCount = 1;
    t.a->nextEqual = t.b;
    t.b->chainMember = 1;
    t.c->deepSplitNext = t.d;
    t.d->deepSplitPrev = t.c;
    auto shared = std::make_shared<PROCESS_OPE>();
    fillBytes(shared->bytes, PROCESS_OPE::kSize, 7);
    auto own = std::make_shared<PROCESS_OPE>();
    fillBytes(own->bytes, PROCESS_OPE::kSize, 8);
    t.opes[0] = addOpe(t.a, 1, shared);
    t.opes[1] = addOpe(t.a, 2, shared);
    t.opes[2] = addOpe(t.a, 3, own);
    t.a->descCount = 2;
    t.a->descs = allocCilDescs(2);
    for (int i = 0; i < 2; ++i) {   // every byte of the items patterned, so each of them travels
        std::array<std::uint8_t, CIL_DESC::kSize> image{};
        fillBytes(image.data(), image.size(), 11 + i);
        (void)cilDescFromImage(image.data(), image.size(), t.a->descs[i]);
    }
    addCyl(t.a, 0, {ids[0], ids[1]});
    addCyl(t.a, -5, {ids[2]});
    addCyl(t.b, 0, {ids[3]});
    addCyl(t.c, 0, {ids[4]});
    addCyl(t.d, -10, {});
    return t;
}

// Groups, marks, tools, a tool sequence of one entry (view 5, the first and third operation of hole A)
// and a run block, all in the globals.
inline void fillCycleData(const SAMPLE_TREE& t) {
    PLUGIN_GLOBALS& g = *g_globals;
    GEN_OP_GROUP** groupTail = &g_records->genOpGroups;
    for (int i = 0; i < 2; ++i) {
        *groupTail = new GEN_OP_GROUP();
        fillBytes(reinterpret_cast<std::uint8_t*>((*groupTail)->name), sizeof(GEN_OP_GROUP::name), 20 + i);
        groupTail = &(*groupTail)->next;
    }
    g_records->genOpGroupCount = 2;
    FEATURE_MARK** markTail = &g_records->featureMarks;
    for (int i = 0; i < 2; ++i) {
        auto* mark = new FEATURE_MARK();
        mark->origin = 1;
        mark->solidEntCount = 1;
        mark->solidEnts[0] = 77u + static_cast<std::uint32_t>(i);
        mark->point[2] = 12.5 * i;
        mark->direction[2] = -1;
        mark->isTap = 1;
        mark->threadKind = -1;
        mark->tapPitch = 1.25;
        std::snprintf(mark->threadName, sizeof mark->threadName, "M%d", 8 + 2 * i);
        *markTail = mark;
        markTail = &mark->next;
    }
    g_records->featureMarkCount = 2;
    for (int i = 0; i < 2; ++i) {
        tp_tool tool;
        tool.slot = i + 1;
        tool.number = 10 + i;
        tool.diameter = 6.8 + i;
        tool.angle = 118;
        std::snprintf(tool.name, sizeof tool.name, "DRILL %d", i);
        tool.reserved[100] = static_cast<std::uint8_t>(i + 1);
        g_toolsArray->push_back(tool);
    }
    FULL_TOOLS_SEQ entry;
    entry.view = t.view5;
    entry.opes = {t.opes[0], t.opes[2]};
    entry.tools = g_toolsArray.get();
    entry.area20[1] = 5;
    g_fullToolsSeq->push_back(entry);

    g.markerLevel = 250;
    g_records->runStats.holeCount = 3;
    g_records->runStats.stateCount3 = 4;
    g_records->runStats.stateCount5 = 5;
    g_records->runStats.toolsCount2 = 6;
    std::strcpy(g_records->runTableRef.tabPath, "/forms/Standard/steel.tab");
    std::strcpy(g_records->runTableRef.processName, "A process name longer than the forty-one stored characters");
    g_records->runTableRef.fileTime = -1234567;
    g_records->runTableRef.flag = 1;
    g_records->runReservedWord = 17;
    g_records->runReservedBlock[35] = 0xEE;
    g_records->runBytes = {1, 2, 3};
    g_records->runWords = {-1, 300};
    g_records->toolSequenceFlag = 2;
    g_records->formCounter = 41;
    g_records->processTreeFlags = 0x80000001u;
    g_records->multiViewFiveAxis = 1;
    g.createdViewCounter = 12;
    g_records->runSettings.processMach1 = "/tools/library.tooldb";
    g_records->runSettings.processMach2 = "Standard";
    g_records->runSettings.processMach11 = 1.5;
    g_records->runSettings.processMach37 = 1;
    g.partPoint[1] = -3.5;
    g.partPointFlag2 = 1;
}

// The images of every record of the tree in walk order, with links and entity handles blanked: what must
// come back byte for byte from the part.
inline std::vector<std::vector<std::uint8_t>> treeImages(const VIEW_LIST* tree) {
    std::vector<std::vector<std::uint8_t>> images;
    auto add = [&](auto&& write) {
        images.emplace_back();
        ByteWriter out(images.back());
        write(out);
    };
    for (const VIEW_LIST* view = tree; view; view = view->next) {
        add([&](ByteWriter& out) { writeViewImage(*view, noLinkIds, out); });
        for (const POINT_LIST* point = view->firstPoint; point; point = point->next) {
            add([&](ByteWriter& out) { writePointImage(*point, noLinkIds, out); });
            for (const OPE_LIST* ope = point->opeList; ope; ope = ope->next) {
                add([&](ByteWriter& out) { out.putBytes(opeImage(*ope, noLinkIds).data(), OPE_LIST::kSize); });
                if (ope->processOpe)
                    add([&](ByteWriter& out) { out.putBytes(ope->processOpe->bytes, PROCESS_OPE::kSize); });
            }
            for (int i = 0; point->descs && i < point->descCount; ++i)
                add([&](ByteWriter& out) { out.putBytes(cilDescImage(point->descs[i]).data(), CIL_DESC::kSize); });
            for (const CYL_LIST* cyl = point->firstCyl; cyl; cyl = cyl->next) {
                CYL_LIST copy = *cyl;
                for (CYL_ENT& e : copy.ents) e.entry = 0;
                add([&](ByteWriter& out) { writeCylImage(copy, noLinkIds, out); });
            }
        }
    }
    return images;
}

using part_notes::noteTexts;

inline std::vector<std::uint8_t> payloadOf(const char* tagAndVersion) {
    std::vector<std::uint8_t> payload;
    readPartRecord(tagAndVersion, payload);
    return payload;
}

inline std::string headerFor(const char* tagAndVersion, std::size_t n) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%09zu", tagAndVersion, n);
    return text;
}

inline void writeRecord(const char* tagAndVersion, const std::vector<std::uint8_t>& payload) {
    writePartRecord(g_globals->settings.featuresLevel, headerFor(tagAndVersion, payload.size()), payload);
}

// Releases what a load or a test left in the globals.
inline void freeCycleData(VIEW_LIST* tree) {
    if (tree != g_records->viewsTree) freeViewsTree(tree);
    freeCycleRecords();
    g_fullToolsSeq->clear();
    g_toolsArray->clear();
}

}  // namespace records_test
