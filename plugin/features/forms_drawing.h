// Hole forms of a table row drawn into the part at picked places: as surfaces of revolution (mode 0), or
// as a closed profile revolved into a body and cut out of the part's solids (mode 1). drawShapesManager
// (plugin/services/features.h) is the entry; the pieces are here for the tests.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "host/api.h"
#include "platform/sys/clock.h"

class CTabColsDesc;
class CDlgDesignProp;

// At most this many solids take a form's body, the first in database order.
constexpr int kMaxFormTargets = 20;
// A form has at most this many steps (one mark flag each).
constexpr int kMaxFormSteps = 16;

// The profile of one form in mode 1: lines in the form's axis frame, (r, z) with r across the axis and z
// along it from the form's top, gathered into a host chain and revolved into bodies.
struct FORM_CHAIN {
    FORM_CHAIN();
    ~FORM_CHAIN();
    FORM_CHAIN(const FORM_CHAIN&) = delete;
    FORM_CHAIN& operator=(const FORM_CHAIN&) = delete;

    void setAxis(const double position[3], const double axisDir[3]);
    // The line from (r1, z1) to (r2, z2) appended to the profile; its entity, or null when it is shorter
    // than 0.4T or the host does not store it.
    const ent* addLine(double r1, double z1, double r2, double z2);
    void addEntity(const ent* line);
    // Empties the profile (its lines leave the part), then starts it with `line` when one is given.
    void reset(const ent* line);
    // The lowest and highest z in the frame of the solid's box corners.
    void axialRange(const ent& solid, double* lowest, double* highest) const;
    // Closes the profile once (down to the lowest of the solids, across to the axis, up to the highest, back
    // to the first line) and revolves it into a new body: 1 with lastSolid set, 0 when the host refused.
    int revolve(const char* bodyText, const db_ptr* solids, int count);
    // One body per target solid, each cut out of its target. The number of targets cut; the failures are
    // told to the user, and each leaves its target as it was.
    int cutIntoSolids(const char* operationText, const char* bodyText);

    CHAIN* chain = nullptr;
    double origin[3] = {};
    double originInFrame[3] = {};
    double axis[3] = {};
    double frame[3][3] = {};
    double frameTransposed[3][3] = {};
    std::int16_t lineCount = 0;
    double firstSegment[4] = {};
    double lastSegment[4] = {};
    db_ptr lastSolid = 0;
    std::uint8_t closed = 0;

private:
    void toWorld(double r, double z, double out[3]) const;
    db_ptr storeKeptLine(const double from[3], const double to[3], std::int32_t level, ent* stored);
    std::vector<db_ptr> keptLines_;   // stored to be chained, out of sight; removed with the chain
};

// The solids a form is cut into: selected with bit 4 and not excluded from machining, in database order,
// at most `limit` (0: all).
std::vector<db_ptr> formTargetSolids(int limit);

// One form at a place, mode 0 or 1: 0, or -1 when a feature mark could not be added.
int createForm(CTabColsDesc* table, CDlgDesignProp* dialog, const double position[3], const double axisDir[3],
               std::int16_t mode);

// The pick-first procedure of mode 1: a form at every point picked, until Esc or an empty pick. 1 then;
// -1 when a form failed.
int pickFormsOnSolids(CTabColsDesc* table, CDlgDesignProp* dialog, std::int16_t mode);

// Watches the Enter key while the host asks for a point: when it goes down, stores 13 in the flag and ends
// the prompt with an Esc key press. Ends by itself then, or when it finds the flag 0; stop() joins it.
plat::Periodic enterKeyWatcher(std::atomic<int>& flag);

// One pick of an entity of `mask` with the prompt; 1 when something was picked.
int pickEntity(ent* entity, std::uint32_t mask, const char* prompt);
