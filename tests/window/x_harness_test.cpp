// The end-to-end harness itself: child processes, the private X server, window
// lookup and capture, PNG output.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>

#include "tests/support/child_process.h"
#include "tests/support/private_window.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

TEST(ChildProcess, RunsInTheGivenDirectoryWithTheGivenEnvironment) {
    process_options options;
    options.working_dir = "/tmp";
    options.environment = environment_with({"MIRVA_PROBE=seen"});
    child_process child({"/bin/sh", "-c",
                         "test \"$(pwd)\" = /tmp && test \"$MIRVA_PROBE\" = seen "
                         "&& exit 7; exit 1"},
                        options);
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.wait_exit(10000), 7);
    EXPECT_FALSE(child.running());
}

TEST(ChildProcess, WaitTimesOutWhileRunningAndAKilledProgramReportsItsSignal) {
    child_process child({"sleep", "30"});
    EXPECT_EQ(child.wait_exit(50), std::nullopt);
    EXPECT_TRUE(child.running());
    child.kill(SIGTERM);
    EXPECT_EQ(child.wait_exit(10000), 128 + SIGTERM);
}

TEST(ChildProcess, MissingProgramExitsWith127) {
    process_options quiet;
    quiet.quiet = true;
    child_process child({"/nonexistent/program"}, quiet);
    EXPECT_EQ(child.wait_exit(10000), 127);
}

TEST(RunCommand, CollectsStandardOutputAndStatus) {
    const command_result r =
        run_command({"/bin/sh", "-c", "printf 'one\\ntwo'; exit 3"}, environment_with({}), 10000);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.output, "one\ntwo");
}

TEST(RunCommand, GivesUpAfterTheTimeout) {
    const command_result r = run_command({"sleep", "30"}, environment_with({}), 100);
    EXPECT_EQ(r.status, std::nullopt);
}

TEST(EnvironmentWith, ReplacesAndAddsEntries) {
    setenv("MIRVA_PROBE", "old", 1);
    const std::vector<std::string> env = environment_with({"MIRVA_PROBE=new", "MIRVA_ADDED=1"});
    int probes = 0;
    for (const std::string& e : env) probes += e.rfind("MIRVA_PROBE=", 0) == 0;
    EXPECT_EQ(probes, 1);
    EXPECT_NE(std::find(env.begin(), env.end(), "MIRVA_PROBE=new"), env.end());
    EXPECT_NE(std::find(env.begin(), env.end(), "MIRVA_ADDED=1"), env.end());
}

TEST(WritePng, ImageMagickReadsBackTheExactPixels) {
    MIRVA_SKIP_WITHOUT("convert");
    rgba_image image;
    image.width = 2;
    image.height = 2;
    image.bytes = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 1, 2, 3, 255};
    const std::string path = testing::TempDir() + "mirva_write_png_test.png";
    ASSERT_TRUE(write_png(image, path));
    const command_result r =
        run_command({"convert", path, "-depth", "8", "rgb:-"}, environment_with({}), 10000);
    std::remove(path.c_str());
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.output, std::string("\xFF\0\0\0\xFF\0\0\0\xFF\x01\x02\x03", 12));
}

bool display_answers(const std::string& name) {
    Display* d = XOpenDisplay(name.c_str());
    if (d) XCloseDisplay(d);
    return d != nullptr;
}

TEST(XvfbSession, TwoServersSideBySideAndGoneWhenTheSessionEnds) {
    MIRVA_SKIP_WITHOUT("Xvfb");
    std::string first_name;
    {
        xvfb_session first, second;
        ASSERT_TRUE(first.ready() && second.ready());
        EXPECT_NE(first.display_name(), second.display_name());
        EXPECT_TRUE(display_answers(first.display_name()));
        EXPECT_TRUE(display_answers(second.display_name()));
        first_name = first.display_name();
    }
    EXPECT_FALSE(display_answers(first_name));
}

// A plain window in a known colour, made by the test itself.
class WindowOnScreen : public private_window_test {
  protected:
    WindowOnScreen()
        : private_window_test({30, 40, 64, 48, 0x3366CC, ExposureMask | StructureNotifyMask}) {}
    void SetUp() override {
        private_window_test::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        XStoreName(display_, window_, "Harness [probe] 1.0");
        wm_delete_window_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &wm_delete_window_, 1);
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    const std::string& name() const { return x_->display_name(); }

    Atom wm_delete_window_ = 0;
};

TEST_F(WindowOnScreen, IsFoundByItsExactTitleWithItsGeometry) {
    EXPECT_EQ(find_window_by_title(name(), "Harness [probe] 1.0", 5000), window_);
    EXPECT_EQ(find_window_by_title(name(), "Harness", 200), 0u);
    const auto g = get_window_geometry(name(), window_);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->x, 30);
    EXPECT_EQ(g->y, 40);
    EXPECT_EQ(g->width, 64);
    EXPECT_EQ(g->height, 48);
}

TEST_F(WindowOnScreen, CaptureGivesItsPixels) {
    const rgba_image picture = capture_window(name(), window_);
    ASSERT_EQ(picture.width, 64);
    ASSERT_EQ(picture.height, 48);
    EXPECT_EQ(picture.rgb(0, 0), 0x3366CCu);
    EXPECT_EQ(picture.rgb(63, 47), 0x3366CCu);
    EXPECT_EQ(picture.bytes[3], 255);
}

TEST_F(WindowOnScreen, CaptureOfAMissingWindowIsEmpty) {
    EXPECT_TRUE(capture_window(name(), window_ + 1000).empty());
    EXPECT_FALSE(get_window_geometry(name(), window_ + 1000));
}

TEST_F(WindowOnScreen, ReceivesTheCloseMessage) {
    ASSERT_TRUE(send_delete_window(name(), window_));
    XEvent event;
    do XNextEvent(display_, &event);
    while (event.type != ClientMessage);
    EXPECT_EQ(static_cast<Atom>(event.xclient.data.l[0]), wm_delete_window_);
}

} // namespace
