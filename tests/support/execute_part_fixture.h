// Execute on a builder part, as the user runs it: a fresh host with the part stored as a solid, the
// plug-in loaded with its settings read, and afterwards the part saved, opened again and its recognition
// tree and tools read back from its records, as the next invocation would find them.
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/builder/part_builder.h"
#include "host/geom/surface_entities.h"
#include "host/state.h"
#include "plugin/cycle/records.h"
#include "plugin/model/tree.h"
#include "support/execute_session.h"

class ExecutePartFixture : public ExecuteSessionFixture {
protected:
    void TearDown() override {
        freeViewsTree(kept);
        kept = nullptr;
        PluginFixture::TearDown();
    }
    // A fresh host (its folder `hostDir` when one is given) with the part, the plug-in loaded and one
    // invocation closed at once.
    void start(const host::builder::PartBuilder& builder, const std::string& hostDir = "") {
        freeViewsTree(kept);
        kept = nullptr;
        unload();
        host::reset();
        plat::driver().reset();
        if (!hostDir.empty()) host::setHostDir(hostDir + "/");
        const host::builder::BuiltPart part = builder.build();
        ASSERT_TRUE(part.ok()) << part.error;
        ASSERT_NE(host::storeSolidEntity(part.solid, 3, 1, "part"), 0u);
        load();
        script().click(kMenu, plat::IDOK);
        EXPECT_EQ(m_main(), 0);
    }
    // Saves the part, opens it again and reads the tree (and the tools) back from its records into `kept`.
    void reopen() {
        const std::string path = dir.path() + "/part.pfp";
        ASSERT_TRUE(host::savePart(path).ok);
        host::newPart();
        ASSERT_TRUE(host::openPart(path).ok);
        freeViewsTree(kept);
        kept = nullptr;
        loadAllRecords(&kept);
    }
    std::vector<const POINT_LIST*> heads() const {
        std::vector<const POINT_LIST*> out;
        for (const VIEW_LIST* v = kept; v; v = v->next)
            for (const POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (!p->chainMember) out.push_back(p);
        return out;
    }
    // The kept chain head whose top lies on the world axis through (x, y), in a view drilling down (`up`
    // 1), up (-1) or either (0); null when none.
    POINT_LIST* headAt(double x, double y, int up = 0) const {
        for (VIEW_LIST* v = kept; v; v = v->next)
            for (POINT_LIST* p = v->firstPoint; p; p = p->next)
                if (!p->chainMember && std::hypot(p->ptUniv[0] - x, p->ptUniv[1] - y) < 1e-6 &&
                    (up == 0 || std::fabs(v->matrix[2][2] - up) < 1e-9))
                    return p;
        return nullptr;
    }

    VIEW_LIST* kept = nullptr;
};
