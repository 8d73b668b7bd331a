#include <gtest/gtest.h>

#include <deque>

#include "printer/win/JobCount.h"

namespace qvset::win {
namespace {

// A job list as EnumJobsA reports it: each call takes the next answer in line.
struct Answer {
    bool ok;
    std::uint32_t needed;
    std::uint32_t returned;
};

struct FakeEnumJobs {
    std::deque<Answer> answers;
    struct Call {
        bool hadBuffer;
        std::uint32_t size;
        bool aligned;
    };
    std::vector<Call> calls;

    EnumJobsCall Callable() {
        return
            [this](std::uint8_t* buffer, std::uint32_t size, std::uint32_t& needed, std::uint32_t& returned) {
                calls.push_back({buffer != nullptr, size, reinterpret_cast<std::uintptr_t>(buffer) % 8 == 0});
                if (buffer != nullptr) buffer[size - 1] = 0xAB;  // the whole size given must be writable
                const Answer answer = answers.front();
                answers.pop_front();
                needed = answer.needed;
                returned = answer.returned;
                return answer.ok;
            };
    }
};

TEST(CountQueuedJobs, EmptyQueueIsAnsweredByTheSizeQueryAlone) {
    FakeEnumJobs jobs;
    jobs.answers = {{true, 0, 0}};
    EXPECT_EQ(CountQueuedJobs(jobs.Callable()), 0);
    ASSERT_EQ(jobs.calls.size(), 1u);
    EXPECT_FALSE(jobs.calls[0].hadBuffer);
    EXPECT_EQ(jobs.calls[0].size, 0u);
}

TEST(CountQueuedJobs, CountsTheJobsFetchedWithABufferOfTheNeededSize) {
    for (const std::uint32_t count : {1u, 2u, 7u}) {
        FakeEnumJobs jobs;
        const std::uint32_t needed = 61 * count;  // odd sizes: records with strings behind them
        jobs.answers = {{false, needed, 0}, {true, needed, count}};
        EXPECT_EQ(CountQueuedJobs(jobs.Callable()), static_cast<int>(count));
        ASSERT_EQ(jobs.calls.size(), 2u);
        EXPECT_TRUE(jobs.calls[1].hadBuffer);
        EXPECT_EQ(jobs.calls[1].size, needed);
        EXPECT_TRUE(jobs.calls[1].aligned);
    }
}

TEST(CountQueuedJobs, JobsThatLeftBetweenTheTwoCallsCountZero) {
    FakeEnumJobs jobs;
    jobs.answers = {{false, 120, 0}, {true, 0, 0}};
    EXPECT_EQ(CountQueuedJobs(jobs.Callable()), 0);
    EXPECT_EQ(jobs.calls.size(), 2u);
}

TEST(CountQueuedJobs, SaysWhetherTheSizeQueryReportedDocuments) {
    const struct {
        std::deque<Answer> answers;
        int count;
        bool reported;
    } cases[] = {
        {{{true, 0, 0}}, 0, false},                     // an empty queue
        {{{false, 120, 0}, {true, 0, 0}}, 0, true},     // the jobs left between the two calls
        {{{false, 100, 0}, {false, 100, 3}}, 0, true},  // the list could not be fetched
        {{{false, 61, 0}, {true, 61, 1}}, 1, true},
    };
    for (const auto& c : cases) {
        FakeEnumJobs jobs;
        jobs.answers = c.answers;
        bool reported = !c.reported;
        EXPECT_EQ(CountQueuedJobs(jobs.Callable(), &reported), c.count);
        EXPECT_EQ(reported, c.reported) << c.count;
    }
}

TEST(CountQueuedJobs, AQueueThatGrewIsAskedAgainWithTheLargerSize) {
    FakeEnumJobs jobs;
    jobs.answers = {{false, 100, 0}, {false, 200, 0}, {true, 200, 2}};
    EXPECT_EQ(CountQueuedJobs(jobs.Callable()), 2);
    ASSERT_EQ(jobs.calls.size(), 3u);
    EXPECT_EQ(jobs.calls[2].size, 200u);
}

TEST(CountQueuedJobs, GivesUpAfterAFewGrowthsAndOnOtherFailures) {
    FakeEnumJobs growing;
    growing.answers = {{false, 100, 0}, {false, 200, 0}, {false, 300, 0}, {false, 400, 0}, {true, 400, 4}};
    EXPECT_EQ(CountQueuedJobs(growing.Callable()), 0);
    EXPECT_EQ(growing.calls.size(), 4u);

    FakeEnumJobs refused;  // the second call fails with enough room: not a size problem, nothing counted
    refused.answers = {{false, 100, 0}, {false, 100, 3}};
    EXPECT_EQ(CountQueuedJobs(refused.Callable()), 0);
    EXPECT_EQ(refused.calls.size(), 2u);
}

}  // namespace
}  // namespace qvset::win
