// Random keys into every menu entry in turn: the calculator never crashes or hangs, every
// entry finds its way back to the menu, and a round of the menu leaves no memory behind.
// MIRVA_MONKEY_SEED and MIRVA_MONKEY_KEYS choose the run (the seed is printed).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "runtime/platform/message_box.h"
#include "tests/monkey/monkey_driver.h"
#include "tests/support/recording_printer.h"

namespace {

constexpr uint64_t default_seed = 20261209;
constexpr int64_t default_keys = 1500;
constexpr int64_t mean_keys_per_visit = 60;
// Now and then a long visit, so that the long cost comparison reaches its table and its
// printed copy under random keys too.
constexpr uint64_t long_visit_odds = 6;
constexpr int64_t long_visit_factor = 6;
constexpr int last_entry = 12;              // 13 ends the program
constexpr print_area small_printer{64, 96}; // pages are recorded; keep them small

uint64_t setting(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

int64_t visit_length(std::mt19937_64& random) {
    const auto keys = static_cast<int64_t>(random_below(random, 2 * mean_keys_per_visit + 1));
    return random_below(random, long_visit_odds) == 0 ? keys * long_visit_factor : keys;
}

std::atomic<int> error_dialogs{0};

// Errors after the trap has run once ask whether to continue: always yes. A box with OK
// only is a critical error, after which the process would end with code 0 as if all went
// well, so it fails the run at once.
box_answer answer_box(const std::string& caption, const std::string& text, box_buttons buttons) {
    if (buttons == box_buttons::ok) {
        std::fprintf(stderr, "monkey: critical box \"%s\": %s\n", caption.c_str(), text.c_str());
        std::abort();
    }
    ++error_dialogs;
    return box_answer::yes;
}

TEST(Monkey, RandomKeysInEveryEntryAlwaysFindTheMenuAndLeaveNoMemoryBehind) {
    const uint64_t seed = setting("MIRVA_MONKEY_SEED", default_seed);
    const auto keys = static_cast<int64_t>(setting("MIRVA_MONKEY_KEYS", default_keys));
    std::printf("monkey: MIRVA_MONKEY_SEED=%llu MIRVA_MONKEY_KEYS=%lld\n",
                static_cast<unsigned long long>(seed), static_cast<long long>(keys));
    std::fflush(stdout);
    platform_set_message_box_answerer(answer_box);
    install_recording_printer(small_printer);
    const auto started = std::chrono::steady_clock::now();

    app_session app;
    monkey monkey(app, seed);
    std::mt19937_64 visit_lengths(seed);
    std::optional<memory_marks> after_first_round;
    int rounds = 0;
    ASSERT_TRUE(monkey.at_menu_now()) << monkey.trail();
    ASSERT_TRUE(monkey.use_what_is_made_once()) << monkey.trail();
    // Two rounds at least: the first only sets the marks the others are held to.
    while (rounds < 2 || monkey.random_keys() < keys) {
        for (int entry = 1; entry <= last_entry; ++entry) {
            const int64_t visit = visit_length(visit_lengths);
            ASSERT_TRUE(monkey.choose(entry))
                << "entry " << entry << " did not start, seed " << seed << ", " << monkey.trail();
            ASSERT_TRUE(monkey.play(visit)) << "entry " << entry << " stopped answering, seed "
                                            << seed << ", " << monkey.trail();
            ASSERT_TRUE(monkey.back_to_menu())
                << "entry " << entry << " did not lead back to the menu within "
                << monkey::max_keys_to_menu << " keys, seed " << seed << ", " << monkey.trail();
        }
        ++rounds;
        if (!after_first_round) after_first_round = monkey.marks();
    }
    EXPECT_EQ(monkey.marks(), *after_first_round) << "seed " << seed << ", " << rounds << " rounds";

    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::cout << "monkey: seed " << seed << ", " << monkey.random_keys() << " random keys, "
              << rounds << " rounds of entries 1-12, " << error_dialogs.load() << " error dialogs, "
              << recorded_page_count() << " pages printed, " << took.count() << " s; at the end "
              << monkey.marks() << std::endl;
}

} // namespace
