// The scripted user: what a wait takes, how a wrong or missing step becomes a script error, and that after
// the first error nothing acts on the script any more.
#include <gtest/gtest.h>

#include <thread>

#include "platform/ui/dialog.h"
#include "platform/ui/driver.h"

namespace {

class DriverTest : public testing::Test {
protected:
    void SetUp() override { plat::driver().reset(); }
    void TearDown() override { plat::driver().reset(); }
    plat::UiDriver& d = plat::driver();

    void load(const char* text) {
        plat::ParsedSession p = plat::parseSession(text);
        ASSERT_EQ(p.error, "");
        for (auto& s : p.steps) d.script().add(std::move(s));
    }
};

TEST_F(DriverTest, ExpectTakesTheNextStepOfAnAcceptedVerb) {
    load("answer IDOK\nmenu 12\n");
    std::optional<plat::Step> s = d.expect({"answer"}, "message box \"Save?\"");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->intArg(0), 1);
    s = d.expect({"answer", "menu"}, "popup menu");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->verb, "menu");
    EXPECT_TRUE(d.script().empty());
    EXPECT_FALSE(d.aborted());
}

TEST_F(DriverTest, WrongStepIsAScriptErrorNamingItsLineAndWhatWaited) {
    load("invoke\nclick 18048 1\nanswer IDOK\n");
    d.script().take();
    EXPECT_FALSE(d.expect({"answer"}, "message box \"Delete?\""));
    ASSERT_EQ(d.errors().size(), 1u);
    const std::string& e = d.errors()[0];
    EXPECT_EQ(e.rfind("line 2: ", 0), 0u) << e;
    EXPECT_NE(e.find("message box \"Delete?\""), std::string::npos) << e;
    EXPECT_NE(e.find("(step: click 18048 1)"), std::string::npos) << e;
    EXPECT_TRUE(d.transcript().contains("script error: line 2:"));
    // The misfit step stays where it was; nothing after it is consumed either.
    EXPECT_EQ(d.script().size(), 2u);
}

TEST_F(DriverTest, AnEmptyScriptWhereSomethingWaitsIsAScriptError) {
    EXPECT_FALSE(d.expect({"file"}, "open-file dialog"));
    ASSERT_EQ(d.errors().size(), 1u);
    EXPECT_NE(d.errors()[0].find("the script ended while open-file dialog waits for file"), std::string::npos)
        << d.errors()[0];
    EXPECT_EQ(d.errors()[0].find("(step:"), std::string::npos);
}

TEST_F(DriverTest, AfterAnErrorEveryWaitGetsNothingAndNoFurtherErrorIsAdded) {
    load("answer IDYES\nanswer IDNO\n");
    EXPECT_FALSE(d.expect({"menu"}, "popup menu"));
    EXPECT_TRUE(d.aborted());
    EXPECT_FALSE(d.expect({"answer"}, "message box"));
    EXPECT_EQ(d.peekAny({"answer"}), nullptr);
    EXPECT_EQ(d.errors().size(), 1u);
    EXPECT_EQ(d.script().size(), 2u);
}

TEST_F(DriverTest, PeekAnyLooksWithoutTaking) {
    load("cancel-wait\n");
    EXPECT_EQ(d.peekAny({"answer", "esc"}), nullptr);
    const plat::Step* s = d.peekAny({"esc", "cancel-wait"});
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->verb, "cancel-wait");
    EXPECT_EQ(d.script().size(), 1u);
    EXPECT_FALSE(d.aborted());
}

// An optional step that what waits does not take is passed over, and said so; one that fits is taken.
TEST_F(DriverTest, OptionalStepsThatDoNotFitArePassedOver) {
    load("? answer IDOK\n? click 18036 1\nmenu 12\n? answer IDNO\n? menu 3\n");
    std::optional<plat::Step> s = d.expect({"menu"}, "popup menu");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->intArg(0), 12);
    EXPECT_TRUE(d.transcript().contains("script passes over line 1: ? answer 1"));
    EXPECT_TRUE(d.transcript().contains("script passes over line 2: ? click 18036 1"));
    s = d.expect({"answer"}, "message box");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->optional);
    EXPECT_EQ(s->intArg(0), plat::IDNO);
    // The last one does not fit and nothing follows: what waits has no step.
    EXPECT_FALSE(d.expect({"file"}, "file dialog"));
    ASSERT_EQ(d.errors().size(), 1u);
    EXPECT_NE(d.errors()[0].find("the script ended while file dialog waits"), std::string::npos) << d.errors()[0];
}

TEST_F(DriverTest, AnOptionalStepForAWindowNotShownIsPassedOverWithoutError) {
    load("? click 18036 1\nclick 18036 1\n");
    EXPECT_EQ(plat::deliverWindowStep(*d.script().take()), plat::Delivery::PassedOver);
    EXPECT_FALSE(d.aborted());
    EXPECT_TRUE(d.transcript().contains("script passes over line 1: ? click 18036 1"));
    EXPECT_EQ(plat::deliverWindowStep(*d.script().take()), plat::Delivery::Refused);
    ASSERT_EQ(d.errors().size(), 1u);
    EXPECT_NE(d.errors()[0].find("window 18036 is not shown"), std::string::npos) << d.errors()[0];
}

TEST_F(DriverTest, ScriptErrorOfACodeBuiltStepHasNoLinePart) {
    d.script().click(5, 6);
    d.scriptError(d.script().peek(), "window 5 is not shown");
    ASSERT_EQ(d.errors().size(), 1u);
    EXPECT_EQ(d.errors()[0], "window 5 is not shown (step: click 5 6)");
}

TEST_F(DriverTest, TranscriptFindsFragmentsFromAnIndexAndEchoesEveryLine) {
    std::vector<std::string> echoed;
    d.transcript().setEcho([&](const std::string& l) { echoed.push_back(l); });
    d.record("dialog.show 18021 modal");
    d.record("host.prompt \"x\"");
    d.record("dialog.show 18022 modal");
    d.transcript().setEcho(nullptr);
    EXPECT_EQ(echoed.size(), 3u);
    EXPECT_EQ(d.transcript().find("dialog.show"), 0u);
    EXPECT_EQ(d.transcript().find("dialog.show", 1), 2u);
    EXPECT_EQ(d.transcript().find("dialog.show", 3), std::string::npos);
    EXPECT_FALSE(d.transcript().contains("dialog.end"));
}

TEST_F(DriverTest, ResetEmptiesScriptTranscriptAndErrors) {
    load("invoke\n");
    d.record("something");
    d.scriptError(nullptr, "broken");
    d.reset();
    EXPECT_TRUE(d.script().empty());
    EXPECT_TRUE(d.transcript().lines().empty());
    EXPECT_FALSE(d.aborted());
}

// A watcher thread may record or answer a box while the UI thread records: no line may be lost.
TEST_F(DriverTest, RecordingFromTwoThreadsKeepsEveryLine) {
    auto writer = [this](char tag) {
        for (int i = 0; i < 2000; ++i) d.record(std::string(1, tag) + std::to_string(i));
    };
    std::thread other(writer, 'b');
    writer('a');
    other.join();
    EXPECT_EQ(d.transcript().lines().size(), 4000u);
    EXPECT_NE(d.transcript().find("b1999"), std::string::npos);
}

}  // namespace
