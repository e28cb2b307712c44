// The post shipped in the host folder reads as the drill cycle names expect it: every cycle section of
// the post and its texts loads, line 1 names the cycle (line 7 where line 1 is empty), and the
// descriptions section holds one line per drill cycle.
#include <gtest/gtest.h>

#include <string>

#include "plugin/base/text_section.h"

namespace {

const std::string kHost = std::string(FX_SOURCE_DIR) + "/data/host/";

TEST(HostPost, CycleSectionsAndDescriptionsLoadFromThePostAndItsTexts) {
    struct Row {
        const char* section;
        const char* name;   // line 1, or line 7 when line 1 is empty
    };
    const Row rows[] = {{"simple drill", "Drill (G81)"}, {"peck drill", "Peck drill (G83)"},
                        {"chip break", "Chip break (G73)"}, {"tap", "Tap (G84)"},
                        {"bore1", "Bore, feed out (G85)"}, {"bore2", "Bore, stop and rapid out (G86)"},
                        {"misc1", "Fine bore (G76)"}, {"misc2", "Back bore (G87)"}};
    for (const char* post : {"Posts/Generic.Pst", "Mill/Posts/Mpfan.Pst"})
        for (const Row& r : rows) {
            CTextSection s;
            ASSERT_EQ(s.load(kHost + post, r.section, false), 0) << post << ' ' << r.section;
            const std::string name = s.getText(1).empty() ? s.getText(7) : s.getText(1);
            EXPECT_EQ(name, r.name) << post << ' ' << r.section;
        }
    CTextSection descriptions;
    ASSERT_EQ(descriptions.load(kHost + "Posts/Generic.Txt", "drill cycle descriptions", false), 0);
    EXPECT_EQ(descriptions.count(), 20);
    EXPECT_EQ(descriptions.getText(2), "Peck drill - full retract");
    EXPECT_EQ(descriptions.getText(13), "");
    CTextSection custom;
    ASSERT_EQ(custom.load(kHost + "Posts/Generic.Txt", "drill cycle 10", false), 0);
    EXPECT_EQ(custom.getText(1), "Custom cycle 10");
}

}  // namespace
