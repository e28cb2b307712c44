// Hole marks in the host's graphics: a hole's surfaces moved to a marking level with its axis and put back,
// and the hole labels that replace what the labels level held.
#include <gtest/gtest.h>

#include <map>

#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/engine/hole_marks.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "support/run_tree.h"

namespace {

class HoleMarks : public RecognitionFixture {
protected:
    static std::map<std::uint32_t, std::int32_t> levelsOf(std::uint32_t mask) {
        std::map<std::uint32_t, std::int32_t> levels;
        forEachRawEnt(mask, [&](db_ptr, const ent& e) {
            levels[e.id] = e.level;
            return true;
        });
        return levels;
    }
};

TEST_F(HoleMarks, MarkingThenRestoringLeavesEveryEntityWhereItWas) {
    VIEW_LIST* view = addView(head, 1);
    POINT_LIST* newTable = addHole(view, 0, 0, {{3, 0, 3, -8}, {2, -8, 2, -12}}, 2);
    POINT_LIST* follower = addHole(view, 10, 0, {{3, 0, 3, -8}, {2, -8, 2, -12}}, 2);
    POINT_LIST* plain = addHole(view, 20, 0, {{3, 0, 3, -8}}, 1);
    chainHoles(newTable, {follower});
    newTable->noMeasures = 1;
    const auto before = levelsOf(kEntLine);
    ASSERT_EQ(before.size(), 9u);

    EXPECT_EQ(highlightHoles(head, 0, 0), 0);   // no level: nothing
    EXPECT_EQ(levelsOf(kEntLine), before);

    EXPECT_EQ(highlightHoles(head, 0, 40), 0);
    const auto marked = levelsOf(kEntLine);
    ASSERT_EQ(marked.size(), 10u);   // the axis joined them
    const std::uint32_t axis = newTable->axisLineId;
    ASSERT_NE(axis, 0u);
    EXPECT_EQ(marked.at(axis), 40);
    int onMark = 0;
    for (const auto& [id, level] : marked) onMark += level == 40;
    EXPECT_EQ(onMark, 9);   // the chain's eight entities and the axis; the plain hole stays
    EXPECT_EQ(marked.at(static_cast<std::uint32_t>(plain->firstCyl->ents[0].id)), 1);

    EXPECT_EQ(highlightHoles(head, 1, 40), 0);
    EXPECT_EQ(levelsOf(kEntLine), before);
    EXPECT_EQ(newTable->axisLineId, 0u);
}

TEST_F(HoleMarks, LabelsReplaceWhatTheLabelsLevelHeld) {
    struct Case {
        std::int16_t onlyExtraViews;
        int labelled;
    };
    const Case cases[] = {{0, 2}, {1, 0}};
    VIEW_LIST* view = addView(head, 1);
    addHole(view, 0, 0, {{3, 0, 3, -8}});
    addHole(view, 20, 0, {{1, 0, 1, -8}});
    for (const Case& c : cases) {
        drawHoleLabels(head, 7, 0);
        drawHoleLabels(head, 7, c.onlyExtraViews);   // the first drawing is gone
        int notes = 0, squares = 0, lines = 0;
        std::string texts;
        forEachRawEnt(kEntNote | kEntSurface | kEntLine, [&](db_ptr, const ent& e) {
            if (e.level != 7 || (e.sel & kSelBlank)) return true;
            notes += e.type == kEntNote;
            if (e.type == kEntNote) texts += std::string(mTableFindData(e.note.text)) + ";";
            squares += e.type == kEntSurface;
            lines += e.type == kEntLine;
            return true;
        });
        EXPECT_EQ(notes, c.labelled);
        EXPECT_EQ(squares, c.labelled);
        EXPECT_EQ(lines, 3 * c.labelled);   // axis, leader and underline
        EXPECT_EQ(texts, c.labelled ? "TOP 1;TOP 2;" : "");
    }
}

}  // namespace
