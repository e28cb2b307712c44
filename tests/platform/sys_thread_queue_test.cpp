// The UI thread's message queue and the module registry: process-wide state that the host, the plug-in
// module and hostcam share.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/sys/module.h"
#include "platform/sys/thread_queue.h"

namespace plat {
namespace {

std::vector<unsigned> drain() {
    std::vector<unsigned> codes;
    while (auto msg = takeThreadMessage())
        codes.push_back(msg->message);
    return codes;
}

TEST(ThreadQueue, PostsMadeBeforeAnyReadArriveInOrderWithTheirParameters) {
    clearThreadMessages();
    EXPECT_FALSE(hasThreadMessage());
    EXPECT_FALSE(takeThreadMessage());
    postThreadMessage(0x8028, 7, -1);
    postThreadMessage(0x8028, 8, 0);
    postThreadMessage(0x8029, 0, 42);
    ASSERT_TRUE(hasThreadMessage());
    const auto first = takeThreadMessage();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->message, 0x8028u);
    EXPECT_EQ(first->wParam, 7u);
    EXPECT_EQ(first->lParam, -1);
    const auto second = takeThreadMessage();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->wParam, 8u);
    const auto third = takeThreadMessage();
    ASSERT_TRUE(third);
    EXPECT_EQ(third->message, 0x8029u);
    EXPECT_EQ(third->lParam, 42);
    EXPECT_FALSE(hasThreadMessage());
}

TEST(ThreadQueue, PostsFromOtherThreadsKeepEachThreadsOrder) {
    clearThreadMessages();
    constexpr unsigned kPerThread = 2000;
    auto poster = [](unsigned base) {
        for (unsigned i = 0; i < kPerThread; ++i)
            postThreadMessage(base + i, 0, 0);
    };
    std::thread a(poster, 0u), b(poster, 100000u);
    a.join();
    b.join();
    std::vector<unsigned> fromA, fromB;
    for (unsigned code : drain())
        (code < 100000 ? fromA : fromB).push_back(code);
    ASSERT_EQ(fromA.size(), kPerThread);
    ASSERT_EQ(fromB.size(), kPerThread);
    for (unsigned i = 0; i < kPerThread; ++i) {
        ASSERT_EQ(fromA[i], i);
        ASSERT_EQ(fromB[i], 100000 + i);
    }
}

TEST(ThreadQueue, ClearDropsWhatWasPosted) {
    postThreadMessage(1, 0, 0);
    clearThreadMessages();
    EXPECT_FALSE(hasThreadMessage());
    postThreadMessage(2, 0, 0);
    EXPECT_EQ(drain(), std::vector<unsigned>{2});
}

TEST(Modules, SamePathSameHandleAndTheNameComesBack) {
    const ModuleHandle plugin = registerModule("/opt/cam/plugins/Forantix.so");
    const ModuleHandle host = registerModule("/opt/cam/hostcam");
    ASSERT_NE(plugin, nullptr);
    EXPECT_NE(plugin, host);
    EXPECT_EQ(registerModule(std::string("/opt/cam/plugins/") + "Forantix.so"), plugin);
    EXPECT_EQ(moduleFileName(plugin), "/opt/cam/plugins/Forantix.so");
    EXPECT_EQ(moduleFileName(host), "/opt/cam/hostcam");
    EXPECT_EQ(moduleFileName(nullptr), "");
    int notAModule = 0;
    EXPECT_EQ(moduleFileName(&notAModule), "");
}

TEST(Modules, ResourceModuleSwitchesAreCounted) {
    const ModuleHandle plugin = registerModule("/opt/cam/plugins/Forantix.so");
    const ModuleHandle saved = resourceModule();
    const int before = resourceSwitchCount();
    setResourceModule(plugin);
    EXPECT_EQ(resourceModule(), plugin);
    setResourceModule(saved);
    EXPECT_EQ(resourceModule(), saved);
    EXPECT_EQ(resourceSwitchCount(), before + 2);
}

}  // namespace
}  // namespace plat
