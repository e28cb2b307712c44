// Recognised holes painted in the host's selection colour and given their own colours back: two holes of
// one view, each segment holding two host lines of their own colours.
#include <gtest/gtest.h>

#include <vector>

#include "host/api.h"
#include "plugin/model/process_tree_fields.h"
#include "plugin/model/tree.h"
#include "plugin/services/features.h"
#include "support/hand_tree.h"
#include "support/recognition_fixture.h"

namespace {

using namespace hand_tree;

class HoleHighlightTest : public RecognitionFixture {
protected:
    void SetUp() override {
        RecognitionFixture::SetUp();
        VIEW_LIST* view = appendView(head, 1);
        first = appendHole(view, 0, 0, 1, {cyl(0, -5, 3), cyl(-5, -10, 2)});
        second = appendHole(view, 20, 0, 2, {cyl(0, -8, 4)});
        int colour = 2;
        for (POINT_LIST* p : {first, second})
            for (CYL_LIST* c = p->firstCyl; c; c = c->next) {
                c->entCount = 2;
                for (int i = 0; i < 2; ++i) {
                    ent line{};
                    line.type = kEntLine;
                    line.ln.ln.e2 = {1.0 * colour, 0, 0};
                    db_ptr entry = 0;
                    char ok = 0;
                    store_ent(&line, &entry, 0, colour, 1, main_attrib, &ok);
                    ASSERT_EQ(ok, 1);
                    c->ents[i] = {1, 0, static_cast<std::int32_t>(line.id), entry};
                    own.push_back({entry, colour++});
                }
            }
    }
    static int colourOf(db_ptr entry) {
        ent e{};
        EXPECT_EQ(get_ent_from_eptr(entry, &e), 1);
        return e.color;
    }
    // The colours of the first hole's entities (the first three) and the second's (the last two).
    std::vector<int> colours() const {
        std::vector<int> out;
        for (const auto& [entry, colour] : own) out.push_back(colourOf(entry));
        return out;
    }
    std::vector<int> ownColours() const {
        std::vector<int> out;
        for (const auto& [entry, colour] : own) out.push_back(colour);
        return out;
    }

    POINT_LIST* first = nullptr;
    POINT_LIST* second = nullptr;
    std::vector<std::pair<db_ptr, int>> own;
};

constexpr std::uint32_t kEvery = 0xFFFFFFFFu;

TEST_F(HoleHighlightTest, PaintedTwiceAndRestoredOnceEveryEntityHasItsOwnColourBack) {
    setGroupEntities(head, 1, kEvery, 0);
    EXPECT_EQ(colours(), std::vector<int>(6, select_color));
    setGroupListEntities(head, 1, kEvery, 0);
    setGroupListEntities(head, 0, kEvery, 0);
    EXPECT_EQ(colours(), ownColours());
}

TEST_F(HoleHighlightTest, AColourTheUserGaveMeanwhileStays) {
    setHoleEntities(first, 1, 1, kEvery, 0);
    ent e{};
    ASSERT_EQ(get_ent_from_eptr(own[0].first, &e), 1);
    e.color = 7;
    rewrite_ent(&e, 0);
    setHoleEntities(first, 1, 0, kEvery, 0);
    std::vector<int> expected = ownColours();
    expected[0] = 7;
    EXPECT_EQ(colours(), expected);
}

TEST_F(HoleHighlightTest, TheMaskTheMarkedFlagAndTheSingleFlagChooseTheHoles) {
    // A mask of 0 paints nothing.
    setGroupEntities(head, 1, 0, 0);
    EXPECT_EQ(colours(), ownColours());
    // Only the hole with the state the mask names.
    second->crashInto = 1;
    setGroupEntities(head, 1, kStateCrashInto, 0);
    std::vector<int> expected = ownColours();
    expected[4] = expected[5] = select_color;
    EXPECT_EQ(colours(), expected);
    setGroupEntities(head, 0, kEvery, 0);
    // With only-marked, an unmarked hole stays as it is though its state matches.
    first->selected = 0;
    second->selected = 1;
    setGroupEntities(head, 1, kEvery, 1);
    EXPECT_EQ(colours(), expected);
    setGroupEntities(head, 0, kEvery, 0);
    // A null view does nothing; one hole alone with the single flag.
    EXPECT_EQ(setGroupEntities(nullptr, 1, kEvery, 0), 0);
    setHoleEntities(first, 1, 1, kEvery, 0);
    expected = ownColours();
    for (int i = 0; i < 4; ++i) expected[i] = select_color;
    EXPECT_EQ(colours(), expected);
}

}  // namespace
