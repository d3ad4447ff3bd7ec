// Reseeding without a value: the prompt, the seed typed through the keyboard, and the
// 16 bits it puts above the seed's low byte.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "runtime/console/line_input.h"
#include "runtime/console/random.h"
#include "runtime/core/statement.h"
#include "tests/support/app_session.h"

namespace {

constexpr uint32_t seed_before = 0x1234AB;
std::atomic<uint32_t> seed_after{0};
std::atomic<bool> reseeded{false};
int16_t idle_answer;

void reseeding_program() {
    rt_routine routine;
    routine.statement(1, [] {
        rnd_seed = seed_before;
        rt_randomize(0, randomize_prompt);
        seed_after.store(rnd_seed);
    });
    reseeded.store(true);
    for (;;)
        routine.statement(2, [] {
            rt_input_target(1, &idle_answer, input_integer);
            rt_input(1, true);
        });
}

struct typed_seed {
    const char* typed;
    uint32_t seed;
};

class RandomizePrompt : public ::testing::TestWithParam<typed_seed> {};

TEST_P(RandomizePrompt, TypedSeedGoesAboveTheLowByte) {
    app_session app(reseeding_program);
    ASSERT_TRUE(app.wait_for_last_row("Random-number seed (-32768 to 32767)?"));
    app.enter(GetParam().typed);
    ASSERT_TRUE(app.wait_for([] { return reseeded.load(); }));
    EXPECT_EQ(seed_after.load(), GetParam().seed);
    ASSERT_TRUE(app.wait_until_program_waits());
    EXPECT_EQ(app.row(1), std::string("Random-number seed (-32768 to 32767)? ") + GetParam().typed);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomizePrompt,
                         ::testing::Values(typed_seed{"123", 0x007BAB}, typed_seed{"-2", 0xFFFEAB},
                                           typed_seed{"-32768", 0x8000AB},
                                           typed_seed{"32767", 0x7FFFAB}),
                         [](const auto& info) { return "Seed" + std::to_string(info.index); });

} // namespace
