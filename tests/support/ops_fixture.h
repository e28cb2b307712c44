// A fresh host (metric, the standard groups, no operations) and a clean script for tests of operations,
// groups and chains, with the few steps they share: storing points and arcs, making an operation the way
// the plug-in does (defaults, then add), attaching a point and reading values out of a record's image.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <numbers>

#include "host/api.h"
#include "host/state.h"
#include "platform/ui/driver.h"

class OpsFixture : public testing::Test {
protected:
    void SetUp() override {
        plat::driver().reset();
        host::reset();
    }
    void TearDown() override { plat::driver().reset(); }

    void load(const char* text) {
        plat::ParsedSession p = plat::parseSession(text);
        ASSERT_EQ(p.error, "");
        for (auto& s : p.steps) plat::driver().script().add(std::move(s));
    }

    static ent storePoint(double x, double y, double z) {
        ent e{};
        e.type = kEntPoint;
        e.pt.pt = {x, y, z};
        char ok = 0;
        store_ent(&e, nullptr, 0, 12, 4, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return e;
    }
    static ent storeCircle(double x, double y, double z, double r) {
        ent e{};
        e.type = kEntArc;
        e.arc.view = 1;
        e.arc.c = {x, y, z};
        e.arc.r = r;
        e.arc.sw = 2 * std::numbers::pi;
        char ok = 0;
        store_ent(&e, nullptr, 0, 12, 4, main_attrib, &ok);
        EXPECT_EQ(ok, 1);
        return e;
    }
    // Defaults for the code (mode 10), then added (mode 1) into the group; the added record.
    static operation makeOp(int code, int subCode, std::int32_t group, const char* comment = "") {
        operation op{};
        op.code = static_cast<std::uint8_t>(code);
        op.subCode = static_cast<std::uint8_t>(subCode);
        db_ptr eptr = 0;
        char fail = 1;
        EXPECT_EQ(operation_manager(&op, 10, &eptr, &fail), 1);
        std::strncpy(op.comment, comment, sizeof op.comment - 1);
        op.groupId = group;
        EXPECT_EQ(operation_manager(&op, 1, &eptr, &fail), 1);
        EXPECT_EQ(fail, 0);
        return op;
    }
    // A drill point association (kind 2) of the point to the operation, limits unset.
    static bool attach(const operation& op, const ent& point) {
        ent a{};
        a.type = kEntAssoc;
        a.assoc.kind = 2;
        a.assoc.opId = op.id;
        a.assoc.target = point.eptr;
        a.assoc.pt = point.pt.pt;
        char ok = 0;
        store_ent_assoc(&a, nullptr, main_level, main_attrib, &ok);
        return ok == 1;
    }

    template <class T>
    static T at(const OPERATION_BYTES& image, std::size_t offset) {
        T v{};
        std::memcpy(&v, image.data() + offset, sizeof v);
        return v;
    }
};
