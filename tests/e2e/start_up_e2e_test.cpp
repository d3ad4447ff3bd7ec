// The real executable when its start-up cannot finish: without an audio device, without a
// display, or both; and the folder its audio settings' relative paths resolve against.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros that clash with its names.
#include <X11/Xlib.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/child_process.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int end_timeout_ms = 20000;
constexpr int exit_no_audio_device = 111;
constexpr int exit_freeglut_failed = 1;

std::vector<std::string> environment_without_display(const std::vector<std::string>& overrides) {
    std::vector<std::string> entries = environment_with(overrides);
    std::erase_if(entries, [](const std::string& e) { return variable_name(e) == "DISPLAY"; });
    return entries;
}

// Runs the calculator from folder to its end; its standard error comes with the output.
command_result run_calculator(const std::string& folder, const std::vector<std::string>& env) {
    const std::string script = "cd '" + folder + "' && exec '" MIRVA_EXECUTABLE "' 2>&1";
    return run_command({"/bin/sh", "-c", script}, env, end_timeout_ms);
}

struct ending {
    const char* case_name;
    const char* audio_drivers;
    int code;
    const char* message;
};

// The audio device decides first, as when it was opened before freeglut started.
constexpr ending endings_without_display[] = {
    {"no audio device", "no-such-output", exit_no_audio_device, "no audio device could be opened"},
    {"silent audio output", "null", exit_freeglut_failed,
     "freeglut (" MIRVA_EXECUTABLE "): failed to open display"},
};

TEST(StartUpWithoutDisplay, EndsWithTheAudioVerdictFirstThenFreeglutsOwn) {
    for (const ending& e : endings_without_display) {
        SCOPED_TRACE(e.case_name);
        const command_result result = run_calculator(
            "/", environment_without_display({std::string("ALSOFT_DRIVERS=") + e.audio_drivers}));
        ASSERT_TRUE(result.status.has_value());
        EXPECT_EQ(*result.status, e.code);
        EXPECT_NE(result.output.find(e.message), std::string::npos) << result.output;
    }
}

TEST(StartUpWithoutAudio, EndsWith111BeforeAnyWindowExists) {
    MIRVA_SKIP_WITHOUT("Xvfb");
    xvfb_session xvfb;
    ASSERT_TRUE(xvfb.ready());
    Display* display = XOpenDisplay(xvfb.display_name().c_str());
    ASSERT_NE(display, nullptr);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const command_result result =
        run_calculator("/", xvfb.environment({"ALSOFT_DRIVERS=no-such-output"}));
    ASSERT_TRUE(result.status.has_value());
    EXPECT_EQ(*result.status, exit_no_audio_device);

    XSync(display, False);
    int windows_created = 0;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        windows_created += event.type == CreateNotify;
    }
    XCloseDisplay(display);
    EXPECT_EQ(windows_created, 0);
}

// A wave output named by a relative path lands in the folder the calculator was started
// from, not in the executable's folder that becomes its working folder later.
TEST(StartUpAudio, RelativeWaveFileLandsInTheStartingFolder) {
    char pattern[] = "/tmp/mirva-start-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::filesystem::path config = folder / "alsoft.conf";
    std::ofstream(config) << "[general]\ndrivers = wave\n[wave]\nfile = relative.wav\n";

    // Without a display the process ends after the device has been opened.
    const command_result result = run_calculator(
        folder.string(),
        environment_without_display({"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + config.string()}));
    ASSERT_TRUE(result.status.has_value());
    EXPECT_EQ(*result.status, exit_freeglut_failed) << result.output;
    EXPECT_TRUE(std::filesystem::exists(folder / "relative.wav")) << result.output;

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
