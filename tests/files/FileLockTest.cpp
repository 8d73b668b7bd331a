// The one lock on a file of its own: one holder at a time, a bounded or an unbounded wait.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "files/FileLock.h"
#include "support/TestFolder.h"

namespace qvset {
namespace {

using std::chrono::milliseconds;

constexpr FileLockOptions kShortWait{.wait = milliseconds(30), .mode = 0644, .regularOnly = false};

TEST(FileLock, ASecondHolderWaitsAtMostItsWaitAndHoldsOnceTheFirstIsGone) {
    const testing::TestFolder folder("qvset-file-lock-");
    const auto path = folder.Path() / "book.lock";
    {
        const FileLock first(path);
        ASSERT_TRUE(first.Held());
        const FileLock second(path, kShortWait);
        EXPECT_FALSE(second.Held());
    }
    const FileLock again(path, kShortWait);
    EXPECT_TRUE(again.Held());
}

TEST(FileLock, WithoutABoundItWaitsUntilTheHolderLetsGo) {
    const testing::TestFolder folder("qvset-file-lock-");
    const auto path = folder.Path() / "pending.lock";
    std::atomic<bool> released{false};
    bool heldAfterRelease = false;
    auto holder = std::make_unique<FileLock>(path);
    ASSERT_TRUE(holder->Held());
    std::thread waiter([&] {
        const FileLock waiting(path);
        heldAfterRelease = waiting.Held() && released.load();
    });
    std::this_thread::sleep_for(milliseconds(50));
    released = true;
    holder.reset();
    waiter.join();
    EXPECT_TRUE(heldAfterRelease);
}

}  // namespace
}  // namespace qvset
