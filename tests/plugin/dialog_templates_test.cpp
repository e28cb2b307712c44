// The tool and feature dialogs' templates as the platform holds them: every control's id, kind, text,
// rectangle, style and flags, compared with the golden listing so that laying rows out another way in the
// code cannot move, rename or restyle a control.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ui/dialog.h"
#include "plugin/resources/templates.h"
#include "support/golden.h"

namespace {

std::string listing(int dialogId) {
    const plat::DlgTemplate* t = plat::findDialogTemplate(dialogId);
    if (!t) return "dialog " + std::to_string(dialogId) + " missing\n";
    char line[256];
    std::snprintf(line, sizeof line, "dialog %d \"%s\" %d x %d%s\n", t->id, t->caption.c_str(), t->cxDlu, t->cyDlu,
                  t->visible ? " visible" : "");
    std::string text = line;
    for (const plat::CtlTemplate& c : t->controls) {
        std::snprintf(line, sizeof line, "  %d %s (%d %d %d %d) \"%s\" style %#x%s%s bitmap %d\n", c.id,
                      plat::ctlKindName(c.kind), c.dlu.left, c.dlu.top, c.dlu.right, c.dlu.bottom, c.text.c_str(),
                      c.style, c.visible ? "" : " hidden", c.group ? " group" : "", c.bitmapId);
        text += line;
    }
    return text;
}

TEST(DialogTemplates, TheToolAndFeatureDialogsHoldTheirControlsAsListed) {
    registerToolTemplates();
    registerFeatureTemplates();
    std::string text;
    for (int id : {18057, 18061, 18105, 18022, 18013, 18019, 18047, 18200, 18201, 18202, 18106, 18107, 18037})
        text += listing(id);
    expectGolden(std::string(FX_SOURCE_DIR) + "/tests/plugin/golden/tool_and_feature_templates.txt", text);
}

}  // namespace
