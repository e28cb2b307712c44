// The recognition dumps: each file is built whole in memory and written in one go, so a file that exists
// is complete. Bytes 0xBA after angles are the degree mark of the Windows code page the texts use.
#include "plugin/recognition/dumps.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "plugin/base/globals.h"
#include "plugin/model/tree.h"
#include "plugin/services/recognition.h"

namespace {

constexpr double kRadToDeg = 57.29577951308233;

constexpr const char* kStageTags[kLastDumpStage] = {
    "CylsRaw",          "JointAxis",         "CylsPlanarRev",    "CylsEnh",        "CylsDelOpen",
    "CylsDelAngDummy",  "CylsPlanar",        "CylsOverlapp",     "CylsUnusedPts",  "CylsRemovePockets",
    "CylsSplitTipTool", "CylsEraAOpq",       "CylsSplitFar",     "CylsSplitTwin",  "CylsEraBelow",
    "CylsSetEntry",     "CylsEraCavern",     "CylsSplitTwin2",   "CylsDelOpen",    "EraVoidView",
};

constexpr const char* kHoleTypeNames[] = {"", "FACEHOLE", "FITHOLE", "DFACEHOLE", "DRILLHOLE", "TAPHOLE"};

bool dumpsOn() { return g_globals.constructed() && g_globals->debugDumps != 0; }

[[gnu::format(printf, 2, 3)]] void appendf(std::string& text, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) < sizeof buffer) {
        text.append(buffer, static_cast<std::size_t>(n));
        return;
    }
    std::string wide(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(wide.data(), wide.size(), format, args);
    va_end(args);
    wide.resize(static_cast<std::size_t>(n));
    text += wide;
}

// The records were 32-bit pointers where these dumps were first read; the low half still tells the links
// apart within one dump.
unsigned address32(const void* p) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p)); }

const char* flagText(bool set, const char* text) { return set ? text : ""; }

void appendPoint(std::string& text, const POINT_LIST& p) {
    const int type = p.holeType;
    const char* typeName = type >= 0 && type < static_cast<int>(std::size(kHoleTypeNames)) ? kHoleTypeNames[type] : "";
    std::string hillT, hillB;
    if (p.hillT != 0) appendf(hillT, " hillT=%.6f", p.hillT);
    if (p.hillB != 0) appendf(hillB, " hillB=%.6f", p.hillB);
    appendf(text, "\n        X%.6f Y%.6f Z%.6f (Univ X%.6f Y%.6f Z%.6f) %s%s%s%s%s%s%s%s%s%s%s%s\n", p.ptView[0],
            p.ptView[1], p.ptView[2], p.ptUniv[0], p.ptUniv[1], p.ptUniv[2], typeName,
            flagText(p.neckSplitted, " neckSplitted"), flagText(p.twinSplitted, " twinSplitted"),
            flagText(p.reamSplitted, " reamSplitted"), flagText(p.farSplitted, " farSplitted"),
            flagText(p.touchTop, " touchTop"), flagText(p.crashTop, " crashTop"),
            flagText(p.touchBottom, " touchBottom"), flagText(p.crashBottom, " crashBottom"),
            flagText(p.crashInto, " crashInto"), hillT.c_str(), hillB.c_str());
}

// One segment: four lines of geometry, flags, entities and links, then its overlap entries. The angle of
// the section is printed once, at its label (every later field keeps its own label).
void appendCyl(std::string& text, const CYL_LIST& c) {
    std::string attributes;
    if (c.isTap) appendf(attributes, " M%.2fx%.3f", c.threadDiam, c.threadPitch);
    if (c.isFit) appendf(attributes, " FitPreDrill %.2f", c.fitPreDrill);
    const double* z = c.matrix[2];
    appendf(text,
            "            zSup%6.3f rSup%6.4f Ai%+6.2f\xBA Asw%+6.2f\xBA (cUniv X%.6f Y%.6f Z%.6f) "
            "zDir(%.6f %.6f %.6f) %s\n",
            c.zSup, c.rSup, c.Ai * kRadToDeg, c.Asw * kRadToDeg, c.cUniv[0], c.cUniv[1], c.cUniv[2], z[0], z[1],
            z[2], attributes.c_str());
    appendf(text, "            zInf%6.3f rInf%6.4f secAng=%.3f\xBA\n", c.zInf, c.rInf, c.secAng * kRadToDeg);
    appendf(text,
            "            rFlatMinBtm%.4f rFlatMinTop%.4f rFlatMaxBtm%.4f rFlatMaxTop%.4f rToric%.4f rCtoric%.4f "
            "zToric%.4f %s%s\n",
            c.rFlatMinBtm, c.rFlatMinTop, c.rFlatMaxBtm, c.rFlatMaxTop, c.rToric, c.rCtoric, c.zToric,
            flagText(c.bottomFlat, " bottomFlat"), flagText(c.topFlat, " topFlat"));
    const int entCount = c.entCount < 0 ? 0 : c.entCount > kMaxCylEnts ? kMaxCylEnts : c.entCount;
    std::string ids, levels;
    for (int i = 0; i < entCount; ++i) {
        appendf(ids, " %li", static_cast<long>(c.ents[i].id));
        appendf(levels, " %li", static_cast<long>(c.ents[i].level));
    }
    appendf(text, "            Ents %i(%s) in levels(%s)\n", static_cast<int>(c.entCount), ids.c_str(), levels.c_str());
    appendf(text, "            this=%08x Prev=%08x Next=%08x\n", address32(&c), address32(c.prev), address32(c.next));
    const int ovlpCount = c.ovlpCount < 0 ? 0 : c.ovlpCount > kMaxOvlp ? kMaxOvlp : c.ovlpCount;
    for (int i = 0; i < ovlpCount; ++i)
        appendf(text, "            Ovlp %i: rSup%6.3f rInf%6.3f\n", i + 1, c.ovlp[i].rSup, c.ovlp[i].rInf);
}

void appendView(std::string& text, const VIEW_LIST& v) {
    const auto& m = v.matrix;
    appendf(text, "\nView %i idn %i\n", static_cast<int>(v.viewNumber), static_cast<int>(v.idn));
    appendf(text,
            "    Matrix: %+8.6f %+8.6f %+8.6f\n            %+8.6f %+8.6f %+8.6f\n            %+8.6f %+8.6f %+8.6f\n",
            m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2]);
    appendf(text, "    %i Points:\n", static_cast<int>(v.pointCount));
    for (const POINT_LIST* p = v.firstPoint; p; p = p->next) {
        appendPoint(text, *p);
        appendf(text, "        %i Cyls:\n", static_cast<int>(p->cylCount));
        for (const CYL_LIST* c = p->firstCyl; c; c = c->next) appendCyl(text, *c);
    }
    text += "\n";
}

}  // namespace

int dumpCylsViews(const VIEW_LIST* head, const char* path) {
    if (!dumpsOn() || !head || !path || !*path) return 0;
    std::string text;
    for (const VIEW_LIST* v = head; v; v = v->next) appendView(text, *v);
    // A dump is diagnosis only: a folder that cannot be written must not end the recognition.
    (void)plat::writeFile(path, text, plat::Flush::none);
    return 0;
}

int dumpViewsList(const char* path) {
    if (!dumpsOn() || !path || !*path) return 0;
    std::string text;
    for (const view_ent& v : NamedViews) {
        const auto& m = v.matrix;
        appendf(text, "n=%2i id=%2u '%.40s'\n    %f %f %f    %f %f %f    %f %f %f\n", static_cast<int>(v.number),
                static_cast<unsigned>(v.id), v.name, m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0],
                m[2][1], m[2][2]);
    }
    (void)plat::writeFile(path, text, plat::Flush::none);
    return 0;
}

const char* stageDumpTag(int stage) {
    return stage >= kFirstDumpStage && stage <= kLastDumpStage ? kStageTags[stage - 1] : "";
}

std::string stageDumpPath(int stage) {
    // Without a work folder there is no place for a dump (not the current folder).
    if (stage < kFirstDumpStage || stage > kLastDumpStage || !g_globals.constructed() || g_globals->tmpDir.empty())
        return {};
    char name[48];
    std::snprintf(name, sizeof name, "%02i_%s.txt", stage, stageDumpTag(stage));
    return plat::joinPath(g_globals->tmpDir, name);
}

int dumpStage(const VIEW_LIST* head, int stage) {
    if (!dumpsOn()) return 0;
    const std::string path = stageDumpPath(stage);
    return dumpCylsViews(head, path.c_str());
}
