// The general parameters and their small dialogs as the user reaches them: the main menu's Parameters
// button, the settings file of the units, and what each window showed when it last closed.
#pragma once
#include <string>

#include "host/state.h"
#include "platform/sys/files.h"
#include "platform/ui/dialog.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_section.h"
#include "plugin/resources/general_parameters_ids.h"
#include "support/execute_session.h"

class SettingsDialogFixture : public ExecuteSessionFixture {
protected:
    static constexpr int kDlg = gp::kTemplate, kParameters = 18005;
    static constexpr int kPageTools = 1, kPageHeights = 2, kPageDepths = 3, kPageThroughShapes = 4;

    std::string settingsFile() const { return installDir + "/Tool_mm.prm"; }
    void writeSettings(const std::string& section, const std::string& body) {
        const std::string bytes = plat::readFile(settingsFile()).value_or("");
        ASSERT_TRUE(plat::writeFile(settingsFile(), bytes + "[" + section + "]\r\n" + body));
    }
    std::string fileItem(const char* section, int id) {
        CTextSection s;
        if (s.load(settingsFile(), section, false) != 0) return "<no section>";
        return s.getTextOr(id, "<no item>");
    }
    // Unloaded, on a fresh host (the part's settings record gone) with no settings file, an empty transcript.
    void fresh() {
        unload();
        host::reset();
        plat::driver().reset();
        (void)plat::removeFile(settingsFile());
        (void)plat::removeFile(installDir + "/Tool_in.prm");
    }
    // Opens the parameters from the main menu; the steps in the dialog follow.
    plat::Script& open() { return script().click(kMenu, kParameters); }
    // The user leaves the main menu; the invocation runs.
    void run() {
        script().click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
    }
    // The line of a control as the window showed when it last closed.
    static std::string shown(int window, int id) {
        const std::string snap = plat::lastSnapshot(window);
        const std::string key = "\n" + std::to_string(id) + " ";
        const std::size_t at = snap.find(key);
        if (at == std::string::npos) return "<no control " + std::to_string(id) + ">";
        return snap.substr(at + 1, snap.find('\n', at + 1) - at - 1);
    }
    static std::string text(int window, int id) {
        const std::string line = shown(window, id);
        const std::size_t from = line.find("text=\"");
        if (from == std::string::npos) return line;
        return line.substr(from + 6, line.find('"', from + 6) - from - 6);
    }
    // The line of a list view's row as the window showed when it last closed.
    static std::string row(int window, int index) {
        const std::string snap = plat::lastSnapshot(window);
        const std::size_t at = snap.find("row " + std::to_string(index) + " [");
        if (at == std::string::npos) return "<no row " + std::to_string(index) + ">";
        return snap.substr(at, snap.find('\n', at) - at);
    }
    const PRM_SETTINGS& settings() { return g_globals->settings; }
};
