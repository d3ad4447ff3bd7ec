// Random keys into every menu entry in turn: the calculator never crashes or hangs, every
// entry finds its way back to the menu, and a round of the menu leaves no memory behind.
// MIRVA_MONKEY_SEED and MIRVA_MONKEY_KEYS choose the run (the seed is printed).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "runtime/platform/message_box.h"
#include "tests/monkey/monkey_driver.h"
#include "tests/support/recording_printer.h"

namespace {

constexpr uint64_t default_seed = 20261209;
constexpr int64_t default_keys = 2000;
constexpr int64_t mean_keys_per_visit = 60;
constexpr int last_entry = 12;              // 13 ends the program
constexpr print_area small_printer{64, 96}; // pages are recorded; keep them small

uint64_t setting(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
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
    while (monkey.random_keys() < keys) {
        for (int entry = 1; entry <= last_entry; ++entry) {
            const auto visit =
                static_cast<int64_t>(random_below(visit_lengths, 2 * mean_keys_per_visit + 1));
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
    std::printf("monkey: seed %llu, %lld random keys, %d rounds of entries 1-12, %d error "
                "dialogs, %zu printed pages, %.1f s\n",
                static_cast<unsigned long long>(seed), static_cast<long long>(monkey.random_keys()),
                rounds, error_dialogs.load(), recorded_page_count(), took.count());
}

} // namespace
