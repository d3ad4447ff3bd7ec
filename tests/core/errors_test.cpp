// The statement frame: raising, delivering to the trap or the dialog, critical errors.
#include <gtest/gtest.h>

#include "runtime/console/startup.h"
#include "runtime/core/errors.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/scratch.h"
#include "runtime/core/statement.h"
#include "runtime/platform/clock.h"
#include "tests/support/scripted_boxes.h"

namespace {

class ErrorFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        rt_strings_init();
        rt_scratch_init();
        script_message_boxes({});
    }
};

TEST_F(ErrorFrame, FirstErrorWinsAndNonPositiveNumbersBecomeFive) {
    EXPECT_EQ(rt_raise_error(6), 6u);
    EXPECT_EQ(rt_raise_error(13), 6u);
    EXPECT_EQ(error_state.error_pending, 6u);
    EXPECT_EQ(error_state.attention_flag.load(), 1);

    error_state.error_pending = 0;
    EXPECT_EQ(rt_raise_error(0), 5u);
    error_state.error_pending = 0;
    EXPECT_EQ(rt_raise_error(-7), 5u);
}

TEST_F(ErrorFrame, MessagesComeFromTheTable) {
    EXPECT_STREQ(rt_error_message(5), "Illegal function call");
    EXPECT_STREQ(rt_error_message(76), "Path not found");
    EXPECT_STREQ(rt_error_message(262), "Function unavailable in VELKO");
    EXPECT_STREQ(rt_error_message(313), "Source and destination memory have been freed");
    EXPECT_STREQ(rt_error_message(999), "Unprintable error");
    EXPECT_STREQ(rt_error_message(11), "Unprintable error");
}

int handler_runs = 0;
int statement_runs = 0;

void main_routine_with_resume() {
    if (!rt_take_handler_entry()) return;
    ++handler_runs;
    EXPECT_EQ(rt_err_number(), 5);
    rt_resume();
}

TEST_F(ErrorFrame, TrapRunsTheHandlerAndResumeRetriesTheStatement) {
    application_main = main_routine_with_resume;
    error_state.trap_enabled = 1;
    error_state.last_line_label = 40;
    rt_routine routine;
    routine.statement(421, [] {
        if (++statement_runs == 1) rt_raise_error(5);
    });
    EXPECT_EQ(handler_runs, 1);
    EXPECT_EQ(statement_runs, 2);
    EXPECT_EQ(error_state.error_pending, 0u);
    EXPECT_EQ(error_state.in_handler, 0);
    EXPECT_EQ(rt_err_line(), 40);
    EXPECT_TRUE(recorded_boxes().empty());
}

TEST_F(ErrorFrame, ResumeOutsideTheHandlerRaisesTwenty) {
    rt_resume();
    EXPECT_EQ(error_state.error_pending, 20u);
}

TEST_F(ErrorFrame, DialogYesGoesOnWithTheNextStatement) {
    script_message_boxes({box_answer::yes});
    rt_routine routine;
    int runs = 0, after = 0;
    routine.statement(421, [&] {
        ++runs;
        rt_raise_error(5);
        rt_raise_error(6); // dropped: the first error is the one reported
    });
    routine.statement(422, [&] { ++after; });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(after, 1);
    ASSERT_EQ(recorded_boxes().size(), 1u);
    EXPECT_EQ(recorded_boxes()[0].caption, "Unhandled Error #5");
    EXPECT_EQ(recorded_boxes()[0].text, "Line:421\nIllegal function call\nContinue?");
    EXPECT_EQ(recorded_boxes()[0].buttons, box_buttons::yes_no);
}

TEST_F(ErrorFrame, AnErrorInsideTheHandlerGoesToTheDialog) {
    error_state.trap_enabled = 1;
    error_state.in_handler = 1;
    application_main = main_routine_with_resume;
    rt_raise_error(999);
    rt_check_events(7);
    EXPECT_EQ(handler_runs, 0);
    ASSERT_EQ(recorded_boxes().size(), 1u);
    EXPECT_EQ(recorded_boxes()[0].text, "Line:7\nUnprintable error\nContinue?");
}

void raise_and_check(int32_t n) {
    error_state.trap_enabled = 1;
    application_main = main_routine_with_resume;
    rt_raise_error(n);
    rt_check_events(12);
}

TEST_F(ErrorFrame, FatalMemoryBlockErrorsEndTheProcessEvenWithATrap) {
    EXPECT_EXIT(raise_and_check(301), ::testing::ExitedWithCode(0),
                "\\[box\\] Critical Error #301 \\| Line:12\nInvalid size\n");
    EXPECT_EXIT(raise_and_check(313), ::testing::ExitedWithCode(0),
                "Critical Error #313 \\| Line:12\nSource and destination memory have been freed\n");
}

TEST_F(ErrorFrame, CriticalNumbersEndTheProcessWhenRaised) {
    EXPECT_EXIT(raise_and_check(11), ::testing::ExitedWithCode(0),
                "\\[box\\] Critical Error \\| Division by zero");
    EXPECT_EXIT(raise_and_check(257), ::testing::ExitedWithCode(0),
                "\\[box\\] Critical Error #1 \\| Out of memory");
    EXPECT_EXIT(raise_and_check(502), ::testing::ExitedWithCode(0),
                "\\[box\\] Critical Error #2 \\| Out of memory");
    EXPECT_EXIT(raise_and_check(518), ::testing::ExitedWithCode(0),
                "\\[box\\] Critical Error #18 \\| Out of memory");
    EXPECT_EXIT(raise_and_check(256), ::testing::ExitedWithCode(0), "Out of stack space");
    EXPECT_EXIT(raise_and_check(263), ::testing::ExitedWithCode(0),
                "Paths/Filename illegal in VELKO");
}

void enter_handler_with_bad_trap_state() {
    error_state.trap_enabled = 2;
    error_state.enter_handler = 1;
    rt_take_handler_entry();
}

TEST_F(ErrorFrame, HandlerEntryWithABadTrapStateEndsWith99) {
    EXPECT_EXIT(enter_handler_with_bad_trap_state(), ::testing::ExitedWithCode(99), "");
}

TEST_F(ErrorFrame, ScratchBlockGrowthLeavesEarlierLocalsInPlace) {
    rt_routine routine;
    int32_t& first = routine.local<int32_t>();
    first = 1234;
    const size_t block = rt_scratch.size;
    void* big = rt_scratch_alloc(block); // more than the rest of the block
    EXPECT_EQ(rt_scratch.size, block + 2 * block);
    EXPECT_EQ(big, rt_scratch.base);
    EXPECT_EQ(first, 1234);
    auto* after = static_cast<uint8_t*>(rt_scratch_alloc(4));
    EXPECT_EQ(after, rt_scratch.base + block);
}

TEST_F(ErrorFrame, RoutineFrameRestoresTheScratchTop) {
    uint8_t* before = rt_scratch.top;
    {
        rt_routine routine;
        routine.local<double>() = 2.5;
        routine.local<float>();
        EXPECT_EQ(rt_scratch.top, before + sizeof(double) + sizeof(float));
    }
    EXPECT_EQ(rt_scratch.top, before);
}

TEST_F(ErrorFrame, ReturnStackPopsInOrderAndRaisesThreeWhenEmpty) {
    rt_return_push(7);
    rt_return_push(9);
    EXPECT_EQ(rt_return_pop(), 9u);
    EXPECT_EQ(rt_return_pop(), 7u);
    EXPECT_EQ(rt_return_pop(), 0u);
    EXPECT_EQ(error_state.error_pending, 3u);
}

TEST_F(ErrorFrame, ReturnStackDoublesWhenFull) {
    for (uint32_t i = 0; i < 20000; ++i) rt_return_push(i);
    EXPECT_EQ(rt_return_stack.capacity, 32768);
    EXPECT_EQ(rt_return_pop(), 19999u);
}

TEST_F(ErrorFrame, ClearRemovesTheTrapAndEmptiesTheReturnStack) {
    error_state.trap_enabled = 1;
    error_state.in_handler = 1;
    rt_return_push(3);
    rt_clear();
    EXPECT_EQ(error_state.trap_enabled, 0);
    EXPECT_EQ(error_state.in_handler, 0);
    EXPECT_EQ(rt_return_stack.count, 0);
}

TEST_F(ErrorFrame, DelayRejectsOutOfRangeSecondsAndWaits) {
    rt_delay(-1);
    EXPECT_EQ(error_state.error_pending, 5u);
    error_state.error_pending = 0;
    const int64_t start = rt_clock_ms();
    rt_delay(0.05);
    EXPECT_GE(rt_clock_ms() - start, 50);
}

} // namespace
