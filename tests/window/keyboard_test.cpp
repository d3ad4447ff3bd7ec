// Keys through the freeglut callback path into the key queue, read back with rt_inkey;
// the flag bytes, the raw scan-code buffer, the key-hit ring, Pause and Break.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/run_control.h"
#include "runtime/window/glut_keys.h"
#include "runtime/window/keyboard.h"
#include "tests/support/string_testing.h"

namespace {

constexpr int shift = GLUT_ACTIVE_SHIFT, ctrl = GLUT_ACTIVE_CTRL, alt = GLUT_ACTIVE_ALT;
constexpr int glut_left_shift = 112, glut_left_ctrl = 114, glut_right_ctrl = 115,
              glut_left_alt = 116, glut_f1 = 1, glut_up = 101, glut_insert = 108;

class Keyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        rt_strings_init();
        rt_low_memory_reset();
        reset_key_queue();
    }
    static void type(unsigned char key, int modifiers = 0) {
        keyboard_char_down(key, modifiers);
        keyboard_char_up(key, modifiers);
    }
    static void type_special(int key, int modifiers = 0) {
        keyboard_special_down(key, modifiers);
        keyboard_special_up(key, modifiers);
    }
    static std::string inkey() { return text_of(rt_inkey()); }
    // Every key waiting, as rt_inkey returns them.
    static std::vector<std::string> read_all() {
        std::vector<std::string> keys;
        for (std::string k = inkey(); !k.empty(); k = inkey()) keys.push_back(k);
        return keys;
    }
    // The next entry of the queue as stored: (character code, scan code).
    static std::pair<int, int> next_entry() {
        const int head = low_memory[0x41A];
        return {low_memory[0x400 + head], low_memory[0x401 + head]};
    }
    static std::vector<int> raw_bytes() {
        std::vector<int> bytes;
        for (int i = 0; i < raw_scan_codes.count.load(); ++i)
            bytes.push_back(raw_scan_codes.bytes[i].load());
        return bytes;
    }
    static int flags(uint32_t address) { return low_memory[address]; }
};

std::string two(int scan) {
    return std::string(1, '\0') + char(scan);
}

TEST_F(Keyboard, LetterPlainWithCtrlAndWithAlt) {
    type('a');
    EXPECT_EQ(next_entry(), std::make_pair(0x61, 0x1E));
    EXPECT_EQ(inkey(), "a");

    keyboard_special_down(glut_left_ctrl, 0);
    type(1, ctrl);
    keyboard_special_up(glut_left_ctrl, ctrl);
    EXPECT_EQ(next_entry(), std::make_pair(1, 0x1E));
    EXPECT_EQ(inkey(), "\x01");

    keyboard_special_down(glut_left_alt, 0);
    type('a', alt);
    keyboard_special_up(glut_left_alt, alt);
    EXPECT_EQ(inkey(), two(0x1E));
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, CtrlWithShiftStillGivesTheControlCode) {
    keyboard_special_down(glut_left_shift, 0);
    keyboard_special_down(glut_left_ctrl, shift);
    type(26, shift | ctrl);
    EXPECT_EQ(next_entry(), std::make_pair(26, 0x2C));
}

TEST_F(Keyboard, FunctionAndCursorKeysAndDelete) {
    type_special(glut_f1);
    keyboard_special_down(glut_left_shift, 0);
    type_special(glut_f1, shift);
    keyboard_special_up(glut_left_shift, shift);
    type_special(glut_up);
    type(127);
    type_special(12);
    EXPECT_EQ(read_all(),
              (std::vector<std::string>{two(0x3B), two(0x54), two(0x48), two(0x53), two(0x86)}));
}

TEST_F(Keyboard, CtrlAndAltOnExtendedKeys) {
    keyboard_special_down(glut_right_ctrl, 0);
    type_special(glut_up, ctrl);
    type(127, ctrl);
    keyboard_special_up(glut_right_ctrl, ctrl);
    keyboard_special_down(glut_left_alt, 0);
    type_special(10, alt);
    EXPECT_EQ(read_all(), (std::vector<std::string>{two(0x8D), two(0x93), two(0x71)}));
}

TEST_F(Keyboard, EnterCtrlEnterAndShiftTab) {
    type(13);
    EXPECT_EQ(next_entry(), std::make_pair(13, 0x1C));
    EXPECT_EQ(inkey(), "\r");

    keyboard_special_down(glut_left_ctrl, 0);
    type(10, ctrl);
    keyboard_special_up(glut_left_ctrl, ctrl);
    EXPECT_EQ(next_entry(), std::make_pair(10, 0x1C));
    EXPECT_EQ(inkey(), "\n");

    keyboard_special_down(glut_left_shift, 0);
    type(9, shift);
    EXPECT_EQ(inkey(), two(0x0F));
}

TEST_F(Keyboard, CharactersAbove127PassWithScanCodeZero) {
    for (int c = 128; c <= 255; ++c) {
        type(static_cast<unsigned char>(c));
        EXPECT_EQ(next_entry(), std::make_pair(c, 0));
        EXPECT_EQ(inkey(), std::string(1, char(c)));
    }
    EXPECT_EQ(raw_bytes(), std::vector<int>{});
}

// (character typed, queued character code, queued scan code)
struct queued_key {
    int typed, character, scan;
};

TEST_F(Keyboard, CtrlGivesControlCodesForLettersAndSomePunctuation) {
    keyboard_special_down(glut_left_ctrl, 0);
    for (queued_key k : {queued_key{'[', 27, 0x1A},
                         {'{', 27, 0x1A},
                         {'\\', 28, 0x2B},
                         {'|', 28, 0x2B},
                         {']', 29, 0x1B},
                         {'6', 30, 0x07},
                         {'^', 30, 0x07},
                         {'-', 31, 0x0C},
                         {'_', 31, 0x0C},
                         {'2', 0, 0x03},
                         {'@', 0, 0x03},
                         {'Z', 26, 0x2C},
                         {8, 0x7F, 0x0E},
                         {27, 27, 0x01},
                         {' ', ' ', 0x39}}) {
        key_press(k.typed);
        EXPECT_EQ(next_entry(), std::make_pair(k.character, k.scan)) << k.typed;
        inkey();
    }
    for (int c : {';', '1', '=', '/', '`'}) key_press(c);
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, AltGivesScanCodesAndTheDigitRow) {
    keyboard_special_down(glut_left_alt, 0);
    for (queued_key k : {queued_key{'1', 0, 0x78},
                         {'!', 0, 0x78},
                         {'9', 0, 0x80},
                         {'0', 0, 0x81},
                         {')', 0, 0x81},
                         {'-', 0, 0x82},
                         {'+', 0, 0x83},
                         {';', 0, 0x27},
                         {'?', 0, 0x35},
                         {'z', 0, 0x2C},
                         {'Q', 0, 0x10},
                         {8, 0, 0x0E}}) {
        key_press(k.typed);
        EXPECT_EQ(next_entry(), std::make_pair(k.character, k.scan)) << k.typed;
        inkey();
    }
    for (int c : {9, 13, 27}) key_press(c);
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, EveryPrintableCharacterHasItsKey) {
    for (int c = 32; c <= 126; ++c) {
        key_press(c);
        const auto [character, scan] = next_entry();
        EXPECT_EQ(character, c);
        EXPECT_NE(scan, 0) << c;
        inkey();
    }
}

TEST_F(Keyboard, CombinationsWithoutAResultQueueNothing) {
    keyboard_special_down(glut_left_alt, 0);
    type(' ', alt);
    keyboard_special_up(glut_left_alt, alt);
    keyboard_special_down(glut_left_ctrl, 0);
    type('1', ctrl);
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, SixteenthKeyWithoutReadsIsLost) {
    const std::string keys = "abcdefghijklmnop";
    for (char k : keys) type(k);
    std::vector<std::string> expected;
    for (char k : keys.substr(0, 15)) expected.emplace_back(1, k);
    EXPECT_EQ(read_all(), expected);

    // The ring keeps working across its end.
    for (char k : std::string("qrstuvw")) type(k);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"q", "r", "s", "t", "u", "v", "w"}));
}

TEST_F(Keyboard, QueueOffsetsStayInTheBiosRange) {
    for (int round = 0; round < 40; ++round) {
        type('x');
        EXPECT_GE(low_memory[0x41C], 30);
        EXPECT_LE(low_memory[0x41C], 60);
        EXPECT_EQ(inkey(), "x");
        EXPECT_EQ(low_memory[0x41A], low_memory[0x41C]);
        EXPECT_EQ(low_memory[0x41B], 0);
        EXPECT_EQ(low_memory[0x41D], 0);
    }
}

TEST_F(Keyboard, PendingErrorReadsNothingAndKeepsTheKey) {
    type('a');
    rt_raise_error(5);
    EXPECT_EQ(inkey(), "");
    error_state.error_pending = 0;
    EXPECT_EQ(inkey(), "a");
}

TEST_F(Keyboard, PauseThenAKeyResumesAndTheKeyIsNotQueued) {
    keyboard_hook_key(100019, 1);
    EXPECT_EQ(run_control.paused.load(), 1);
    EXPECT_EQ(error_state.attention_flag.load(), 1);
    EXPECT_EQ(flags(0x418) & 0x08, 0x08);
    keyboard_hook_key(100019, 0);
    EXPECT_EQ(flags(0x418) & 0x08, 0);
    EXPECT_EQ(run_control.paused.load(), 1);

    type('x');
    EXPECT_EQ(run_control.paused.load(), 0);
    EXPECT_EQ(inkey(), "");
    type('y');
    EXPECT_EQ(inkey(), "y");
}

TEST_F(Keyboard, CtrlNumLockIsPause) {
    keyboard_special_down(glut_left_ctrl, 0);
    key_press(100300);
    EXPECT_EQ(run_control.paused.load(), 1);
}

TEST_F(Keyboard, BreakStopsTheProgramAndQueuesNothing) {
    keyboard_hook_key(100318, 1);
    keyboard_hook_key(100318, 0);
    EXPECT_EQ(run_control.stop_request.load(), 1);
    EXPECT_EQ(run_control.close_request.load(), 0u);
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, CtrlScrollLockIsBreakAndUnderAnExitTrapACloseRequest) {
    run_control.exit_trap.store(1);
    keyboard_special_down(glut_left_ctrl, 0);
    key_press(100302);
    EXPECT_EQ(run_control.close_request.load(), 2u);
    EXPECT_EQ(run_control.stop_request.load(), 0);
    key_press(100296);
    EXPECT_EQ(run_control.close_request.load(), 2u);
}

TEST_F(Keyboard, HookIgnoresOtherKeys) {
    keyboard_hook_key('a', 1);
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, AltEnterIsConsumed) {
    keyboard_special_down(glut_left_alt, 0);
    type(13, alt);
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, FlagBytesFollowHeldModifiers) {
    EXPECT_EQ(flags(0x417), 0);
    keyboard_special_down(glut_left_shift, 0);
    keyboard_special_down(113, shift);
    EXPECT_EQ(flags(0x417), 0x03);
    keyboard_special_up(glut_left_shift, shift);
    EXPECT_EQ(flags(0x417), 0x01);
    keyboard_special_up(113, shift);
    EXPECT_EQ(flags(0x417), 0x00);

    keyboard_special_down(glut_left_ctrl, 0);
    EXPECT_EQ(flags(0x417), 0x04);
    EXPECT_EQ(flags(0x418), 0x01);
    keyboard_special_up(glut_left_ctrl, ctrl);
    keyboard_special_down(glut_right_ctrl, 0);
    EXPECT_EQ(flags(0x417), 0x04);
    EXPECT_EQ(flags(0x418), 0x00);
    EXPECT_EQ(flags(0x496), 0x11);
    keyboard_special_up(glut_right_ctrl, ctrl);

    keyboard_special_down(glut_left_alt, 0);
    EXPECT_EQ(flags(0x417), 0x08);
    EXPECT_EQ(flags(0x418), 0x02);
    keyboard_special_down(117, alt);
    EXPECT_EQ(flags(0x496), 0x12);
}

TEST_F(Keyboard, FlagBytesFollowLocksAndInsertMode) {
    adopt_desktop_keyboard_state(
        {.scroll_lock_on = true, .caps_lock_on = true, .num_lock_on = true});
    EXPECT_EQ(flags(0x417), 0x70);
    EXPECT_EQ(flags(0x496), 0x10);

    keyboard_special_down(glut_insert, 0);
    EXPECT_EQ(flags(0x417), 0xF0);
    EXPECT_EQ(flags(0x418), 0x80);
    keyboard_special_down(glut_insert, 0); // auto-repeat does not toggle again
    keyboard_special_up(glut_insert, 0);
    EXPECT_EQ(flags(0x417), 0xF0);
    EXPECT_EQ(flags(0x418), 0x00);
    type_special(glut_insert);
    EXPECT_EQ(flags(0x417), 0x70);
    EXPECT_EQ(read_all(), (std::vector<std::string>{two(0x52), two(0x52), two(0x52)}));

    follow_lock_states({});
    EXPECT_EQ(flags(0x417), 0x00);
    follow_lock_states({.caps_lock_on = true});
    EXPECT_EQ(flags(0x417), 0x40);
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, DesktopModifiersHeldAtStartCountForTheFirstKey) {
    adopt_desktop_keyboard_state({.num_lock_on = true, .left_ctrl_held = true});
    EXPECT_EQ(flags(0x417), 0x24);
    EXPECT_EQ(run_control.paused.load(), 0); // Num Lock seen with Ctrl held is a state, not Pause
    type(1, ctrl);
    EXPECT_EQ(inkey(), "\x01");
}

TEST_F(Keyboard, LockFollowerDoesNotEndAPause) {
    keyboard_hook_key(100019, 1);
    follow_lock_states({.caps_lock_on = true});
    EXPECT_EQ(run_control.paused.load(), 1);
    EXPECT_EQ(flags(0x417), 0x40);
}

TEST_F(Keyboard, ModifierMissedWhileUnfocusedFollowsFreeglut) {
    keyboard_special_down(glut_left_ctrl, 0); // its release went to another window
    type('a', 0);
    EXPECT_EQ(inkey(), "a");
    EXPECT_EQ(flags(0x417), 0);
    type(1, ctrl); // Ctrl went down elsewhere
    EXPECT_EQ(inkey(), "\x01");
}

TEST_F(Keyboard, CapsLockDoesNotSelectTheShiftColumn) {
    follow_lock_states({.caps_lock_on = true});
    // freeglut reports Caps Lock as Shift.
    type('A', shift);
    type(9, shift);
    type_special(glut_f1, shift);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"A", "\t", two(0x3B)}));
    EXPECT_EQ(next_entry(), std::make_pair(0, 0)); // nothing left behind
}

TEST_F(Keyboard, RawScanCodesRecordPressesOnceAndReleases) {
    keyboard_char_down('a', 0);
    keyboard_char_down('a', 0);
    keyboard_char_up('a', 0);
    keyboard_special_down(glut_left_shift, 0);
    keyboard_special_up(glut_left_shift, shift);
    type(200); // no scan code
    type_special(glut_up);
    EXPECT_EQ(raw_bytes(), (std::vector<int>{0x1E, 0x9E, 42, 0xAA, 0x48, 0xC8}));
}

TEST_F(Keyboard, RawScanBufferDropsItsOldestByte) {
    for (int i = 0; i < 150; ++i) type('a' + i % 2);
    std::vector<int> bytes = raw_bytes();
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(bytes.back(), 0x30 + 0x80); // b released
    EXPECT_EQ(bytes[0], 0x1E);            // a pressed, 600 - 256 bytes after the start
}

TEST_F(Keyboard, KeyHitRingLogsPressesReleasesAndKeypadKeys) {
    type('a');
    key_press(100257);
    key_press(200007);
    key_hit_entry e{};
    std::vector<std::pair<int, int>> hits;
    while (take_key_hit(e)) hits.emplace_back(e.code, e.flags);
    EXPECT_EQ(hits, (std::vector<std::pair<int, int>>{{'a', 0}, {-'a', 0}, {'1', 1}, {0x4700, 1}}));
}

TEST_F(Keyboard, KeyHitRingDropsItsOldestEntry) {
    for (int i = 0; i < 8192 + 2; ++i) key_press(0x3B00 + 256 * (i % 3));
    key_hit_entry e{};
    ASSERT_TRUE(take_key_hit(e));
    EXPECT_EQ(e.code, 0x3B00 + 256 * 2);
    int count = 1;
    while (take_key_hit(e)) ++count;
    EXPECT_EQ(count, 8192);
}

TEST_F(Keyboard, KeypadKeysFollowNumLockAndShift) {
    follow_lock_states({.num_lock_on = true});
    key_press(100257);
    keyboard_special_down(glut_left_shift, 0);
    key_press(100257);
    key_press(200001);
    keyboard_special_up(glut_left_shift, shift);
    key_press(200001);
    key_press(100271);
    key_press(100267);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"1", two(0x4F), "1", two(0x4F), "\r", "/"}));
    keyboard_special_down(glut_left_ctrl, 0);
    key_press(100267);
    key_press(100261);
    EXPECT_EQ(read_all(), (std::vector<std::string>{two(0x95), two(0x8F)}));
}

TEST_F(Keyboard, KeyDownQueryMatchesKeypadKeys) {
    key_press(100257);
    key_press(200007);
    EXPECT_TRUE(key_is_down('1'));
    EXPECT_TRUE(key_is_down(0x4700));
    EXPECT_FALSE(key_is_down('2'));
    key_release(100257);
    EXPECT_FALSE(key_is_down('1'));
}

TEST_F(Keyboard, ExtendedKeyWithoutARowPassesItsScanCode) {
    key_press(0x2200);
    key_press(0);
    EXPECT_EQ(read_all(), (std::vector<std::string>{two(0x22)}));
}

TEST_F(Keyboard, ArmedKeyEventTakesTheKey) {
    preset_key_event_table();
    key_event_table[1].armed.store(1);
    type_special(glut_f1);
    EXPECT_EQ(key_event_table[1].pending.load(), 1);
    EXPECT_EQ(error_state.attention_flag.load(), 1);
    key_event_table[11].armed.store(1);
    key_press(100264); // keypad 8 also stands for Up
    EXPECT_EQ(key_event_table[11].pending.load(), 1);
    type_special(2);
    EXPECT_EQ(read_all(), (std::vector<std::string>{two(0x3C)}));
}

TEST_F(Keyboard, KeyEventWithReplacementTextTypesIt) {
    key_event_table[20].scan = 0x3D;
    key_event_table[20].modifier_mask = 0x80; // F3 alone, not with Ctrl
    key_event_table[20].replacement = "ok";
    key_event_table[20].armed.store(1);
    keyboard_special_down(glut_left_ctrl, 0);
    type_special(3, ctrl);
    keyboard_special_up(glut_left_ctrl, ctrl);
    type_special(3);
    EXPECT_EQ(read_all(), (std::vector<std::string>{two(0x60), "o", "k"}));
    EXPECT_EQ(key_event_table[20].pending.load(), 0);
}

TEST_F(Keyboard, StartUpEmptiesTheQueueAndPresetsTheKeyEvents) {
    low_memory[0x41A] = 40;
    rt_keyboard_init();
    EXPECT_EQ(low_memory[0x41A], 30);
    EXPECT_EQ(low_memory[0x41C], 30);
    EXPECT_EQ(flags(0x496) & 0x10, 0x10);
    EXPECT_EQ(key_event_table[1].code, 0x3B00);
    EXPECT_EQ(key_event_table[10].code, 0x4400);
    EXPECT_EQ(key_event_table[11].code, 0x4800);
    EXPECT_EQ(key_event_table[11].alternative, 100264);
    EXPECT_EQ(key_event_table[14].alternative, 100258);
    EXPECT_EQ(key_event_table[30].code, 0x8500);
    EXPECT_EQ(key_event_table[31].code, 0x8600);
    EXPECT_EQ(key_event_table[15].code, 0);
    type('a');
    EXPECT_EQ(inkey(), "a");
}

// The window thread types while the service thread follows the locks and the program
// thread reads: every key typed is read, in typing order. The typist stays a few keys
// ahead of the reader so the buffer never fills, whatever the scheduler does.
TEST_F(Keyboard, KeysCrossThreadsInOrder) {
    constexpr int typed = 3000;
    constexpr int lead = 10; // fewer than the buffer holds
    std::atomic<bool> done{false};
    std::atomic<int> read{0};
    std::thread window([&] {
        for (int i = 0; i < typed; ++i) {
            while (i - read.load() >= lead) std::this_thread::yield();
            type(static_cast<unsigned char>('a' + i % 26));
        }
        done.store(true);
    });
    std::thread service([&] {
        for (int pass = 0; !done.load(); ++pass) {
            follow_lock_states({.caps_lock_on = pass % 2 == 0});
            std::this_thread::yield();
        }
    });
    for (;;) {
        const bool finished = done.load();
        for (std::string k = inkey(); !k.empty(); k = inkey()) {
            ASSERT_EQ(k.size(), 1u);
            ASSERT_EQ(k[0], 'a' + read.load() % 26)
                << "key out of order after " << read << " reads";
            read.fetch_add(1);
        }
        if (finished) break;
    }
    window.join();
    service.join();
    EXPECT_EQ(read.load(), typed);
}

} // namespace

namespace {

TEST_F(Keyboard, IdentifiersOutsideEveryRangeQueueNothingAndAreLoggedSafely) {
    for (const int32_t id : {INT32_MIN, INT32_MAX, -5, 70000}) {
        key_press(id);
        key_release(id);
    }
    EXPECT_TRUE(read_all().empty());
    key_hit_entry entry{};
    ASSERT_TRUE(take_key_hit(entry));
    EXPECT_EQ(entry.code, INT32_MIN);
    ASSERT_TRUE(take_key_hit(entry));
    EXPECT_EQ(entry.code, INT32_MIN); // its negation wraps to itself
    ASSERT_TRUE(take_key_hit(entry));
    EXPECT_EQ(entry.code, INT32_MAX);
    ASSERT_TRUE(take_key_hit(entry));
    EXPECT_EQ(entry.code, -INT32_MAX);
}

} // namespace
