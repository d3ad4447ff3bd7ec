// The message box: an X11 dialog answered by keys, mouse and the close button.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <ostream>
#include <string>
#include <thread>

#include "runtime/platform/message_box.h"
#include "runtime/platform/x11/message_box_owner.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int window_timeout_ms = 10000;
constexpr auto answer_timeout = std::chrono::seconds(10);

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(MessageBoxWithoutDisplay, AnswersAtOnceAndWritesCaptionAndTextToStandardError) {
    unsetenv("DISPLAY");
    testing::internal::CaptureStderr();
    EXPECT_EQ(
        platform_message_box("Unhandled Error #5", "Line:421\nContinue?", box_buttons::yes_no),
        box_answer::no);
    EXPECT_EQ(platform_message_box("Critical Error", "Division by zero", box_buttons::ok),
              box_answer::ok);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Unhandled Error #5\nLine:421\nContinue?\nCritical Error\nDivision by zero\n");
}

std::string seen_caption, seen_text;
box_buttons seen_buttons;

box_answer answer_yes(const std::string& caption, const std::string& text, box_buttons buttons) {
    seen_caption = caption;
    seen_text = text;
    seen_buttons = buttons;
    return box_answer::yes;
}

TEST(MessageBoxScripted, AnswererSeesCaptionAndTextAndDecides) {
    setenv("DISPLAY", ":9999", 1); // would fail to open; the answerer comes first anyway
    platform_set_message_box_answerer(answer_yes);
    EXPECT_EQ(platform_message_box("Unhandled Error #7", "Line:3\nOut of memory\nContinue?",
                                   box_buttons::yes_no),
              box_answer::yes);
    EXPECT_EQ(seen_caption, "Unhandled Error #7");
    EXPECT_EQ(seen_text, "Line:3\nOut of memory\nContinue?");
    EXPECT_EQ(seen_buttons, box_buttons::yes_no);
    platform_set_message_box_answerer(nullptr);
}

int ink_pixels(const rgba_image& picture) {
    int ink = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) ink += picture.rgb(x, y) == 0x000000;
    return ink;
}

// A box shown on a private X server from a thread of its own.
class MessageBoxOnScreen : public private_display_test {
  protected:
    void SetUp() override {
        private_display_test::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        x_->use_as_default_display();
    }

    // Shows the box and returns its window, 0 when it never appeared.
    x_window_id show(const std::string& caption, const std::string& text, box_buttons buttons) {
        answer_ = std::async(std::launch::async, platform_message_box, caption, text, buttons);
        return find_window_by_title(x_->display_name(), caption, window_timeout_ms);
    }

    // The answer, or nothing when the box is still up.
    std::optional<box_answer> answer() {
        if (answer_.wait_for(answer_timeout) != std::future_status::ready) return {};
        return answer_.get();
    }

    const std::string& display() const { return x_->display_name(); }

    // Declared first, destroyed last: if a box is left unanswered, stopping the server
    // ends its event loop instead of blocking the test forever.
    std::future<box_answer> answer_;
};

TEST_F(MessageBoxOnScreen, IsADialogKeptAboveWithTheCaptionAsTitle) {
    const x_window_id box = show("Unhandled Error #5", "Line:421\nIllegal function call\nContinue?",
                                 box_buttons::yes_no);
    ASSERT_NE(box, 0u);
    EXPECT_EQ(window_title(display(), box), "Unhandled Error #5");
    EXPECT_EQ(atom_list_property(display(), box, "_NET_WM_WINDOW_TYPE"),
              std::vector<std::string>{"_NET_WM_WINDOW_TYPE_DIALOG"});
    EXPECT_TRUE(
        contains(atom_list_property(display(), box, "_NET_WM_STATE"), "_NET_WM_STATE_ABOVE"));
    EXPECT_EQ(transient_for(display(), box), 0u);
    ASSERT_TRUE(press_key(display(), box, "Escape"));
    EXPECT_EQ(answer(), box_answer::no);
}

TEST_F(MessageBoxOnScreen, MoreLinesMakeATallerBox) {
    const x_window_id one = show("One line", "Out of memory", box_buttons::ok);
    ASSERT_NE(one, 0u);
    const auto short_box = get_window_geometry(display(), one);
    ASSERT_TRUE(press_key(display(), one, "Return"));
    ASSERT_EQ(answer(), box_answer::ok);

    const x_window_id three =
        show("Three lines", "Line:1\nOut of memory\nContinue?", box_buttons::yes_no);
    ASSERT_NE(three, 0u);
    const auto tall_box = get_window_geometry(display(), three);
    ASSERT_TRUE(short_box && tall_box);
    EXPECT_GT(tall_box->height, short_box->height);
    ASSERT_TRUE(press_key(display(), three, "Return"));
    EXPECT_EQ(answer(), box_answer::yes);
}

struct key_case {
    const char* key;
    box_buttons buttons;
    box_answer expected;
};

void PrintTo(const key_case& c, std::ostream* os) {
    *os << c.key << (c.buttons == box_buttons::yes_no ? " in a Yes/No box" : " in an OK box");
}

class MessageBoxKeys : public MessageBoxOnScreen, public testing::WithParamInterface<key_case> {};

TEST_P(MessageBoxKeys, KeyAnswersTheBox) {
    const key_case c = GetParam();
    const x_window_id box = show("Keyed", "Continue?", c.buttons);
    ASSERT_NE(box, 0u);
    ASSERT_TRUE(std::string(c.key).size() == 1 ? type_text(display(), box, c.key)
                                               : press_key(display(), box, c.key));
    EXPECT_EQ(answer(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(YesNoAndOk, MessageBoxKeys,
                         testing::Values(key_case{"y", box_buttons::yes_no, box_answer::yes},
                                         key_case{"n", box_buttons::yes_no, box_answer::no},
                                         key_case{"Y", box_buttons::yes_no, box_answer::yes},
                                         key_case{"Return", box_buttons::yes_no, box_answer::yes},
                                         key_case{"Escape", box_buttons::yes_no, box_answer::no},
                                         key_case{"Return", box_buttons::ok, box_answer::ok},
                                         key_case{"Escape", box_buttons::ok, box_answer::ok}),
                         [](const testing::TestParamInfo<key_case>& info) {
                             return std::string(info.param.key) +
                                    (info.param.buttons == box_buttons::yes_no ? "_in_YesNo"
                                                                               : "_in_Ok");
                         });

TEST_F(MessageBoxOnScreen, OtherKeysLeaveTheBoxUp) {
    const x_window_id box = show("Not answered", "Division by zero", box_buttons::ok);
    ASSERT_NE(box, 0u);
    ASSERT_TRUE(type_text(display(), box, "yn q"));
    EXPECT_EQ(answer_.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    ASSERT_TRUE(press_key(display(), box, "KP_Enter"));
    EXPECT_EQ(answer(), box_answer::ok);
}

TEST_F(MessageBoxOnScreen, ClickingTheButtonsAnswers) {
    const x_window_id box = show("Clicked", "Continue?", box_buttons::yes_no);
    ASSERT_NE(box, 0u);
    const auto g = get_window_geometry(display(), box);
    ASSERT_TRUE(g);
    // Yes and No sit side by side below the text, centred; No is the right one.
    ASSERT_TRUE(click_at(display(), box, g->width / 2 + 50, g->height - 28));
    EXPECT_EQ(answer(), box_answer::no);

    const x_window_id again = show("Clicked", "Continue?", box_buttons::yes_no);
    ASSERT_NE(again, 0u);
    ASSERT_TRUE(click_at(display(), again, g->width / 2 - 50, g->height - 28));
    EXPECT_EQ(answer(), box_answer::yes);
}

TEST_F(MessageBoxOnScreen, CloseButtonAnswersNoOrOk) {
    const x_window_id box = show("Closed", "Continue?", box_buttons::yes_no);
    ASSERT_NE(box, 0u);
    ASSERT_TRUE(send_delete_window(display(), box));
    EXPECT_EQ(answer(), box_answer::no);

    const x_window_id ok_box = show("Closed OK", "Out of memory", box_buttons::ok);
    ASSERT_NE(ok_box, 0u);
    ASSERT_TRUE(send_delete_window(display(), ok_box));
    EXPECT_EQ(answer(), box_answer::ok);
}

TEST_F(MessageBoxOnScreen, GivesWayAtShutdownWithItsDecliningAnswer) {
    const x_window_id box = show("Up at shutdown", "Continue?", box_buttons::yes_no);
    ASSERT_NE(box, 0u);
    platform_message_boxes_give_way();
    EXPECT_EQ(answer(), box_answer::no);
    // A box asked for later answers at once, with nobody to press a key.
    answer_ = std::async(std::launch::async, platform_message_box, "After shutdown",
                         "Out of memory", box_buttons::ok);
    EXPECT_EQ(answer(), box_answer::ok);
}

TEST_F(MessageBoxOnScreen, StaysWithTheMainWindowOnceThereIsOne) {
    Display* x = XOpenDisplay(display().c_str());
    ASSERT_NE(x, nullptr);
    const Window main_window =
        XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 640, 400, 0, 0, 0);
    XFlush(x);
    platform_set_main_window(main_window);
    const x_window_id box = show("Owned", "Continue?", box_buttons::yes_no);
    ASSERT_NE(box, 0u);
    EXPECT_EQ(transient_for(display(), box), main_window);
    ASSERT_TRUE(press_key(display(), box, "n"));
    EXPECT_EQ(answer(), box_answer::no);
    platform_set_main_window(0);
    XCloseDisplay(x);
}

TEST_F(MessageBoxOnScreen, ShowsTheTextInBlackOnWhite) {
    const x_window_id box = show("Drawn", "Line:421\nIllegal function call", box_buttons::ok);
    ASSERT_NE(box, 0u);
    // The first picture may be taken before the box has drawn itself.
    rgba_image picture;
    for (int tries = 0; tries < 50 && ink_pixels(picture) == 0; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        picture = capture_window(display(), box);
    }
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(picture.rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(picture.rgb(picture.width - 1, 5), 0xFFFFFFu);
    EXPECT_GT(ink_pixels(picture), 100);
    ASSERT_TRUE(press_key(display(), box, "Return"));
    EXPECT_EQ(answer(), box_answer::ok);
}

} // namespace
