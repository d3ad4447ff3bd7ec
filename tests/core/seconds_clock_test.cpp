// The seconds clock: resolutions, the default tick steps in single precision, refused
// resolutions and the wrap at midnight, on an injected millisecond clock.
#include <gtest/gtest.h>

#include <atomic>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/core/seconds_clock.h"

namespace {

std::atomic<int64_t> fake_ms{5000000};
int64_t read_fake_clock() {
    return fake_ms.load();
}

class SecondsClock : public ::testing::Test {
  protected:
    void SetUp() override {
        error_state.error_pending = 0;
        rt_set_clock_reader(read_fake_clock);
    }
    void TearDown() override {
        rt_set_clock_reader(nullptr);
        rt_set_start_time_of_day(-1);
    }
    // The run starts at this time of day; the clock then moves on by later_ms.
    static void start_at(int64_t time_of_day_ms, int64_t later_ms = 0) {
        rt_set_start_time_of_day(time_of_day_ms);
        rt_synchronise_clock();
        fake_ms += later_ms;
    }
};

struct timer_case {
    const char* name;
    int64_t time_of_day_ms;
    double resolution;
    uint32_t given;
    double expected;
};

TEST_F(SecondsClock, Resolutions) {
    constexpr int64_t afternoon = 45296789; // 12:34:56.789
    const timer_case cases[] = {
        {"milliseconds", afternoon, 0.001, 1, 45296.789},
        {"hundredths", afternoon, 0.01, 1, 45296.79},
        {"seconds", afternoon, 1, 1, 45297},
        {"half seconds", afternoon, 0.5, 1, 45297},
        {"minutes", afternoon, 60, 1, 45300},
        {"ties go to even", 45296500, 1, 1, 45296},
        {"ties go to even, odd below", 45297500, 1, 1, 45298},
        // 824401.56 ticks round to 824402; 824402 / 18.2 in single precision.
        {"ticks of 1/18.2 s", afternoon, 0, 0, 45296.8125},
        {"midnight itself", 0, 0.001, 1, 0},
    };
    for (const timer_case& c : cases) {
        SCOPED_TRACE(c.name);
        start_at(c.time_of_day_ms);
        EXPECT_DOUBLE_EQ(rt_timer(c.resolution, c.given), c.expected);
        EXPECT_EQ(error_state.error_pending, 0u);
    }
}

TEST_F(SecondsClock, ResolutionOfZeroOrLessIsRefused) {
    for (double resolution : {0.0, -0.001, -5.0}) {
        start_at(45296789);
        EXPECT_EQ(rt_timer(resolution, 1), 0.0);
        EXPECT_EQ(error_state.error_pending, err_illegal_function_call);
        error_state.error_pending = 0;
    }
}

TEST_F(SecondsClock, FollowsTheClockAndStartsAgainAfterMidnight) {
    start_at(86399900); // 23:59:59.900
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 86399.9);
    fake_ms += 99;
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 86399.999);
    fake_ms += 1;
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 0);
    EXPECT_EQ(rt_time_of_day_ms(), 0);
    fake_ms += 60000;
    EXPECT_DOUBLE_EQ(rt_timer(1, 1), 60);
    EXPECT_DOUBLE_EQ(rt_timer(0, 0), static_cast<float>(1092 / 18.2)); // 1092 ticks
}

TEST_F(SecondsClock, NothingWhileAnErrorIsPending) {
    start_at(45296789);
    error_state.error_pending = 6;
    EXPECT_EQ(rt_timer(1, 1), 0.0);
    EXPECT_EQ(rt_timer(0, 1), 0.0);
    EXPECT_EQ(error_state.error_pending, 6u);
    error_state.error_pending = 0;
}

} // namespace
