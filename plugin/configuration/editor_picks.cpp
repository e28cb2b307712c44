// Picks of the editor's measures on the form profile drawn in the top view, run by the configuration between
// two showings of the editor: x of the point is the radius there, y the depth. The editor binds the value to
// a step of the form when it opens again.
#include <cmath>
#include <cstdio>
#include <string>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"

namespace {

constexpr int kPromptChars = 256;   // the host's prompt buffer, its ending zero included

// A point of the profile, asked for until one is picked; false when the user gave none.
bool pickProfilePoint(const std::string& promptLine, double point[3]) {
    repaint_graphics();
    char prompt[kPromptChars];
    std::snprintf(prompt, sizeof prompt, "%s", promptLine.c_str());
    char kind = 0, got = 0;
    do {
        repaint_graphics();
        point_proc(prompt, &kind, point, &got);
    } while (got != 0 && kind != 'P');
    if (got != 0) clean_pt(' ', point);
    clearprompt();
    return got != 0;
}

// A diameter is twice the radius picked; the depth at which it was picked tells later which end of a step
// was meant.
void pickDiameter(ASSOC_VALUE& block, const std::string& promptLine) {
    double p[3] = {};
    if (!pickProfilePoint(promptLine, p)) return;
    block.value = 2 * std::fabs(p[0]);
    block.pickY = p[1];
    block.mode = 1;
}

void pickDepth(ASSOC_VALUE& block, const std::string& promptLine) {
    double p[3] = {};
    if (!pickProfilePoint(promptLine, p)) return;
    block.value = p[1];
    block.mode = 1;
}

}  // namespace

void CDlgEditProcessOpe::pickToolDiameter() { pickDiameter(assoc[kToolDiamBlock], g_processMenu->getText(3)); }
void CDlgEditProcessOpe::pickTopZ() { pickDepth(assoc[kTopZBlock], g_processMenu->getText(4)); }
void CDlgEditProcessOpe::pickBottomZ() { pickDepth(assoc[kBottomZBlock], g_processMenu->getText(5)); }
void CDlgEditProcessOpe::pickCircleMillDiameter() { pickDiameter(assoc[kCircleDiamBlock], texts.getText(144)); }
void CDlgEditProcessOpe::pickContourDiameter() { pickDiameter(assoc[kContourDiamBlock], texts.getText(149)); }
void CDlgEditProcessOpe::pickHelixBoreDiameter() { pickDiameter(assoc[kHelixDiamBlock], texts.getText(214)); }
void CDlgEditProcessOpe::pickThreadDiameter() { pickDiameter(assoc[kThreadDiamBlock], texts.getText(314)); }
