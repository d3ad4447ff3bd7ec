// Random numbers: the generator's sequence, repeating and reseeding by argument, and the
// reseeding forms that take a value.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "runtime/console/random.h"
#include "runtime/core/errors.h"

namespace {

constexpr float steps = 16777216.0f;

class RandomNumbers : public ::testing::Test {
  protected:
    void SetUp() override {
        rnd_seed = rnd_start_seed;
        error_state.error_pending = 0;
    }
};

TEST_F(RandomNumbers, FirstThreeNumbersOfARun) {
    EXPECT_EQ(rt_rnd(1, 1), 11837123 / steps);
    EXPECT_EQ(rt_rnd(1, 1), 8949370 / steps);
    EXPECT_EQ(rt_rnd(1, 1), 9722709 / steps);
    EXPECT_NEAR(11837123 / steps, 0.7055475, 1e-7);
}

struct argument_case {
    const char* name;
    float x;
    uint32_t given;
    float expected_first; // the result of the call right after start
};

// Without an argument, or with a positive or not-a-number one, the sequence advances.
TEST_F(RandomNumbers, ArgumentsThatAdvance) {
    const argument_case cases[] = {
        {"no argument", 0, 0, 11837123 / steps},
        {"one", 1, 1, 11837123 / steps},
        {"large", 1e30f, 1, 11837123 / steps},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), 1, 11837123 / steps},
        {"minus one reseeds to 8388799 first", -1, 1, 3758214 / steps},
    };
    for (const argument_case& c : cases) {
        SCOPED_TRACE(c.name);
        rnd_seed = rnd_start_seed;
        EXPECT_EQ(rt_rnd(c.x, c.given), c.expected_first);
    }
}

TEST_F(RandomNumbers, ZeroRepeatsTheLastNumber) {
    EXPECT_EQ(rt_rnd(0, 1), static_cast<float>(rnd_start_seed) / steps); // nothing drawn yet
    const float first = rt_rnd(1, 1);
    EXPECT_EQ(rt_rnd(0, 1), first);
    EXPECT_EQ(rt_rnd(0, 1), first);
    EXPECT_EQ(rt_rnd(1, 1), 8949370 / steps);
}

TEST_F(RandomNumbers, TheSameNegativeArgumentGivesTheSameNumber) {
    rt_rnd(1, 1);
    const float a = rt_rnd(-1, 1);
    rt_rnd(1, 1);
    EXPECT_EQ(rt_rnd(-1, 1), a);
    EXPECT_EQ(a, 3758214 / steps);
}

TEST_F(RandomNumbers, NothingHappensWhileAnErrorIsPending) {
    error_state.error_pending = 5;
    EXPECT_EQ(rt_rnd(1, 1), 0.0f);
    rt_randomize(5, randomize_value);
    EXPECT_EQ(rnd_seed, rnd_start_seed);
    error_state.error_pending = 0;
}

struct reseed_case {
    const char* name;
    int32_t form;
    double n;
    uint32_t seed_before;
    uint32_t seed_after;
};

// The high word of n's bit pattern folded onto itself gives 16 bits above the low byte,
// which the value form keeps from the current seed and the restart form from the start seed.
TEST_F(RandomNumbers, ReseedingWithAValue) {
    const reseed_case cases[] = {
        {"5 into the start seed", randomize_value, 5.0, 0x050000, 0x401400},
        {"5 keeps the low byte", randomize_value, 5.0, 0x1234AB, 0x4014AB},
        {"-1 keeps the low byte", randomize_value, -1.0, 0x1234AB, 0xBFF0AB},
        {"0 leaves the low byte alone", randomize_value, 0.0, 0x1234AB, 0x0000AB},
        {"restart takes the start seed's low byte", randomize_restart, 5.0, 0x1234AB, 0x401400},
        {"restart with 12345.678", randomize_restart, 12345.678, 0x1234AB, 0x5C1E00},
    };
    for (const reseed_case& c : cases) {
        SCOPED_TRACE(c.name);
        rnd_seed = c.seed_before;
        rt_randomize(c.n, c.form);
        EXPECT_EQ(rnd_seed, c.seed_after);
    }
}

TEST_F(RandomNumbers, RestartingWithTheSameValueRepeatsTheSequence) {
    rt_randomize(42, randomize_restart);
    const float first[3] = {rt_rnd(1, 1), rt_rnd(1, 1), rt_rnd(1, 1)};
    rt_rnd(1, 1);
    rt_randomize(42, randomize_restart);
    for (float expected : first) EXPECT_EQ(rt_rnd(1, 1), expected);
    rt_randomize(42, randomize_value); // mixed into the current seed: another sequence
    EXPECT_NE(rt_rnd(1, 1), first[0]);
}

} // namespace
