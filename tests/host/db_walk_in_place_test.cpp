// walk_ents: the walk of get_ent that hands the stored records themselves to its visitor. It sees what
// get_ent sees, in the same order, the same record on every walk (no copy), stops at the visitor's word,
// and goes on after a visitor that deleted the entity it was shown.
#include <gtest/gtest.h>

#include <vector>

#include "host/api.h"
#include "host/state.h"
#include "platform/ui/driver.h"

namespace {

class DbWalkInPlace : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::reset();
        host::newPart();
    }
    void TearDown() override { host::newPart(); }

    static db_ptr storePoint(double x, std::int32_t level = 1, std::uint16_t sel = 0) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = {x, 0, 0};
        e.sel = sel;
        db_ptr entry = 0;
        char ok = 0;
        store_ent(&e, &entry, 0, 12, level, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return entry;
    }
    static std::vector<db_ptr> byGetEnt() {
        std::vector<db_ptr> out;
        db_ptr at = db_start();
        for (char found = 1;;) {
            ent e{};
            get_ent(at, 1, kEntPoint, &e, &at, &found);
            if (!found) return out;
            out.push_back(at);
        }
    }

    struct SEEN {
        std::vector<db_ptr> entries;
        std::vector<const ent*> records;
        int stopAfter = 0;     // 0: never stop
        bool deleteEach = false;
    };
    static int see(const ent& e, void* context) {
        SEEN& seen = *static_cast<SEEN*>(context);
        seen.entries.push_back(e.eptr);
        seen.records.push_back(&e);
        if (seen.deleteEach) delete_ent(e.eptr, 0, 0, 0, nullptr, 0);
        return seen.stopAfter != 0 && static_cast<int>(seen.entries.size()) == seen.stopAfter ? 7 : 0;
    }
};

TEST_F(DbWalkInPlace, SeesWhatGetEntSeesInItsOrderWithoutCopies) {
    storePoint(1);
    storePoint(2, 5);                  // on a level about to be hidden
    storePoint(3, 1, kSelBlank);       // blanked
    const db_ptr kept = storePoint(4);
    delete_ent(kept, 0, 1, 0, nullptr, 0);
    storePoint(5);
    set_level_visible(5, 0);

    SEEN first, second;
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, see, &first), 0);
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, see, &second), 0);
    EXPECT_EQ(first.entries, byGetEnt());
    EXPECT_EQ(first.entries.size(), 2u);
    EXPECT_EQ(first.records, second.records);   // the stored records themselves
}

TEST_F(DbWalkInPlace, StopsWhenTheVisitorSaysAndGoesOnAfterADeletedEntity) {
    for (int i = 0; i < 5; ++i) storePoint(i);
    SEEN stopped;
    stopped.stopAfter = 2;
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, see, &stopped), 7);
    EXPECT_EQ(stopped.entries.size(), 2u);

    SEEN deleting;
    deleting.deleteEach = true;
    EXPECT_EQ(walk_ents(db_start(), 1, kEntPoint, see, &deleting), 0);
    EXPECT_EQ(deleting.entries.size(), 5u);
    EXPECT_TRUE(byGetEnt().empty());
}

}  // namespace
