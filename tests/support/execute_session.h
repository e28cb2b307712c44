// A plug-in session around Execute, the recognition command of the main menu: the dialogs a run goes
// through and the user's usual way past them, and the tree the part keeps afterwards.
#pragma once
#include <functional>
#include <string>

#include "plugin/cycle/main_menu.h"
#include "plugin/cycle/records.h"
#include "plugin/model/tree.h"
#include "plugin/base/message_box.h"
#include "support/plugin_fixture.h"

class ExecuteSessionFixture : public PluginFixture {
protected:
    static constexpr int kMenu = CMainMenu::kTemplate;
    static constexpr int kExecute = 18007, kProcessTree = 18021, kSummary = CMessageBox::kTemplate;

    // The user runs Execute, answers OK to `told` messages of the run, goes on from the end-of-run summary
    // (shown only when the run has something to tell), closes the process tree and ends the cycle with OK on
    // the main menu.
    void executeOnce(int told = 0) {
        plat::Step summary{0, "click", {std::to_string(kSummary), std::to_string(plat::IDOK)}, true};
        script().click(kMenu, kExecute);
        for (int i = 0; i < told; ++i) script().answer(plat::IDOK);
        script()
            .add(summary)
            .click(kProcessTree, plat::IDOK)
            .click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
        expectScriptPlayed();
    }

    // The README's main job on the open part, from the shipped session (data/sessions/execute.session) after
    // its invocation: Execute, the summary, "Create operations"; its optional steps left at the end are
    // passed over as hostcam passes them.
    void playShippedSession() {
        const plat::ParsedSession session = plat::parseSession(
            plat::readFile(std::string(FX_SOURCE_DIR) + "/data/sessions/execute.session").value_or(""));
        ASSERT_EQ(session.error, "");
        ASSERT_FALSE(session.steps.empty());
        ASSERT_EQ(session.steps.front().verb, "invoke");
        for (std::size_t i = 1; i < session.steps.size(); ++i) script().add(session.steps[i]);
        EXPECT_EQ(m_main(), 0);
        for (const plat::Step* left = script().peek(); left; left = script().peek()) {
            EXPECT_TRUE(left->optional) << left->describe();
            script().take();
        }
        expectScriptPlayed();
    }

    // The value `read` takes from the tree kept in the part.
    template <class T>
    T fromPart(const std::function<T(VIEW_LIST*)>& read) {
        VIEW_LIST* tree = nullptr;
        loadAllRecords(&tree);
        T value = read(tree);
        freeViewsTree(tree);
        freeCycleRecords();
        return value;
    }
};
