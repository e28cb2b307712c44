// A form's profile as host geometry: lines in the form's axis frame chained, closed around the solids it
// is to reach and revolved into one body per solid, each cut out of its solid. The chained lines are kept
// out of sight while the chain needs them and leave the part with it, so no drawn form leaves lines behind.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/ui/keys.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/features/forms_drawing.h"

namespace {

constexpr double kFullTurn = 6.283185307179584;
constexpr int kMsgFormNotCut = 225;

double distance(const double a[3], const double b[3]) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

}  // namespace

FORM_CHAIN::FORM_CHAIN() { alloc_chain(&chain); }

FORM_CHAIN::~FORM_CHAIN() { reset(nullptr); free_chain(&chain); }

void FORM_CHAIN::setAxis(const double position[3], const double axisDir[3]) {
    std::copy(position, position + 3, origin);
    std::copy(axisDir, axisDir + 3, axis);
    make_view_k(axis, frame);
    transpose_matrix_33(frame, frameTransposed);
    mul_mat_vector(frameTransposed, origin, originInFrame);
}

void FORM_CHAIN::toWorld(double r, double z, double out[3]) const {
    const double local[3] = {originInFrame[0] + r, originInFrame[1], originInFrame[2] + z};
    mul_mat_vector(frame, local, out);
}

db_ptr FORM_CHAIN::storeKeptLine(const double from[3], const double to[3], std::int32_t level, ent* stored) {
    *stored = ent{};
    stored->type = kEntLine;
    stored->ln.ln.e1 = {from[0], from[1], from[2]};
    stored->ln.ln.e2 = {to[0], to[1], to[2]};
    db_ptr entry = 0;
    char ok = 0;
    store_ent(stored, &entry, 0, main_color, level, main_attrib, &ok);
    if (!ok) return 0;
    delete_ent(entry, 0, 1, 0, nullptr, 0);
    keptLines_.push_back(entry);
    return entry;
}

const ent* FORM_CHAIN::addLine(double r1, double z1, double r2, double z2) {
    // A line left out for its shortness leaves a gap no longer than itself: the next line bridges it, so
    // that the profile stays one closed loop.
    if (lineCount > 0 && std::hypot(r1 - lastSegment[2], z1 - lastSegment[3]) < g_tolerances.tol04T) {
        r1 = lastSegment[2];
        z1 = lastSegment[3];
    }
    double p1[3], p2[3];
    toWorld(r1, z1, p1);
    toWorld(r2, z2, p2);
    if (distance(p1, p2) < g_tolerances.tol04T) return nullptr;
    ent line{};
    if (!storeKeptLine(p1, p2, main_level, &line)) return nullptr;
    addEntity(&line);
    if (lineCount == 0) {
        firstSegment[0] = r1, firstSegment[1] = z1, firstSegment[2] = r2, firstSegment[3] = z2;
    }
    lastSegment[0] = r1, lastSegment[1] = z1, lastSegment[2] = r2, lastSegment[3] = z2;
    ++lineCount;
    return chain && chain->last ? chain->last->e : nullptr;
}

void FORM_CHAIN::addEntity(const ent* line) {
    if (!chain || !line) return;
    CHAIN_ENT* after = chain->last;
    add_curve_to_chain(0, 1, 512, chain, &after, -1, line);
}

void FORM_CHAIN::reset(const ent* line) {
    free_chain(&chain);
    for (db_ptr kept : keptLines_) delete_ent(kept, 0, 0, 0, nullptr, 0);
    keptLines_.clear();
    alloc_chain(&chain);
    lineCount = 0;
    closed = 0;
    lastSolid = 0;
    addEntity(line);
}

void FORM_CHAIN::axialRange(const ent& solid, double* lowest, double* highest) const {
    double low = 0, high = 0;
    for (int i = 0; i < 8; ++i) {
        const double corner[3] = {solid.solid.box[i].x, solid.solid.box[i].y, solid.solid.box[i].z};
        double inFrame[3];
        mul_mat_vector(frameTransposed, corner, inFrame);
        if (i == 0 || inFrame[2] < low) low = inFrame[2];
        if (i == 0 || inFrame[2] > high) high = inFrame[2];
    }
    *lowest = low;
    *highest = high;
}

int FORM_CHAIN::revolve(const char* bodyText, const db_ptr* solids, int count) {
    if (!closed) {
        double topZ = firstSegment[1], lowZ = lastSegment[3];
        for (int i = 0; i < count; ++i) {
            ent solid{};
            if (get_ent_from_eptr(solids[i], &solid) != 1 || solid.type != kEntSolid) continue;
            double lowest = 0, highest = 0;
            axialRange(solid, &lowest, &highest);
            topZ = std::max(topZ, highest - originInFrame[2]);
            lowZ = std::min(lowZ, lowest - originInFrame[2]);
        }
        double r = lastSegment[2], z = lastSegment[3];
        if (r > g_tolerances.tol004T) {
            if (z > lowZ) {
                addLine(r, z, r, lowZ);
                z = lowZ;
            }
            addLine(r, z, 0, z);
        }
        addLine(0, z, 0, topZ);
        addLine(0, topZ, firstSegment[0], topZ);
        if (firstSegment[1] < topZ) addLine(firstSegment[0], topZ, firstSegment[0], firstSegment[1]);
        closed = 1;
    }
    const double tip[3] = {origin[0] + axis[0], origin[1] + axis[1], origin[2] + axis[2]};
    ent axisLine{};
    if (!storeKeptLine(origin, tip, g_globals->settings.formsLevel, &axisLine)) return 0;
    sld_revolve_parms parms;
    parms.axis = &axisLine;
    parms.startAngle = 0;
    parms.sweep = kFullTurn;
    if (sld_revolve_from_chain(chain, &parms, bodyText) != 1) return 0;
    // The new body is the last solid of the part.
    db_ptr at = db_start(), newest = 0;
    char found = 0;
    ent e{};
    for (;;) {
        get_ent(at, 1, kEntSolid, &e, &at, &found);
        if (!found) break;
        newest = at;
    }
    lastSolid = newest;
    return 1;
}

int FORM_CHAIN::cutIntoSolids(const char* operationText, const char* bodyText) {
    const std::vector<db_ptr> targets = formTargetSolids(kMaxFormTargets);
    int cut = 0, failed = 0;
    for (db_ptr target : targets) {
        if (revolve(bodyText, targets.data(), static_cast<int>(targets.size())) != 1) {
            ++failed;
            continue;
        }
        const db_ptr pair[2] = {target, lastSolid};
        if (sld_new_boolean(1, 2, pair, operationText) == 1) {
            ++cut;
        } else {
            // The body that could not be cut goes again: the target stays as it was.
            delete_ent(lastSolid, 0, 0, 0, nullptr, 0);
            lastSolid = 0;
            ++failed;
        }
    }
    repaint_graphics();
    if (failed > 0) {
        char counts[64];
        std::snprintf(counts, sizeof counts, " %i / %i", failed, static_cast<int>(targets.size()));
        plat::messageBox(nullptr, errorMessage(kMsgFormNotCut) + counts + "\n" + bodyText, errorMessage(1),
                         plat::MB_OK | plat::MB_ICONEXCLAMATION);
    }
    return cut;
}

std::vector<db_ptr> formTargetSolids(int limit) {
    std::vector<db_ptr> solids;
    db_ptr at = db_start();
    char found = 0;
    ent e{};
    for (;;) {
        get_ent(at, 4, kEntSolid, &e, &at, &found);
        if (!found) break;
        if (e.solid.flags & kSolidExcluded) continue;
        solids.push_back(at);
        if (limit > 0 && static_cast<int>(solids.size()) == limit) break;
    }
    return solids;
}

plat::Periodic enterKeyWatcher(std::atomic<int>& flag) {
    return plat::startPeriodic("enterKeyWatcher", 50, [&flag] {
        if (flag.load() == 0) return false;
        if (plat::getAsyncKeyState(plat::VK_RETURN) >= 0) return true;
        flag.store(13);
        plat::sleepMs(10);
        plat::keybdEvent(plat::VK_ESCAPE, false);
        plat::keybdEvent(plat::VK_ESCAPE, true);
        return false;
    });
}

int pickEntity(ent* entity, std::uint32_t mask, const char* prompt) {
    db_ptr entry = 0;
    const int picked = select_ent(prompt, 0, mask, 0, entity, &entry) == 1 ? 1 : 0;
    cleartext();
    return picked;
}
