#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/thread/ManualResetEvent.h"

namespace quillora {
namespace {

TEST(ManualResetEventTest, StaysSetForEveryWaiterUntilReset) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            event.Wait();
            ++woken;
        });
    }
    event.Set();
    for (auto& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(woken.load(), 3);
    EXPECT_TRUE(event.IsSet());
    event.Wait();  // still set: returns at once
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(1)));
}

TEST(ManualResetEventTest, WaitForAnyNamesTheFirstSetEvent) {
    auto lock = std::make_shared<EventLock>();
    ManualResetEvent work(lock);
    ManualResetEvent quit(lock);
    quit.Set();
    EXPECT_EQ(WaitForAny({&work, &quit}), 1u);
    work.Set();
    EXPECT_EQ(WaitForAny({&work, &quit}), 0u);
    work.Reset();
    quit.Reset();
    std::thread setter([&] { work.Set(); });
    EXPECT_EQ(WaitForAny({&work, &quit}), 0u);
    setter.join();
}

}  // namespace
}  // namespace quillora
