// The real executable's start-up: its first picture; its options, answered before anything
// starts; when start-up cannot finish, without an audio device, without a display, or both;
// and the folder its audio settings' relative paths resolve against.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros that clash with its names.
#include <X11/Xlib.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/child_process.h"
#include "tests/support/glyph_decoder.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace {

constexpr int end_timeout_ms = 20000;
constexpr int exit_no_audio_device = 111;
constexpr int exit_freeglut_failed = 1;
constexpr int exit_usage = 2;
constexpr uint32_t menu_blue = 0x0000AA;
constexpr int poll_ms = 2;
constexpr int box_gone_ms = 1000;
constexpr int menu_rows_above_prompt = 16;

std::vector<std::string> environment_without_display(const std::vector<std::string>& overrides) {
    std::vector<std::string> entries = environment_with(overrides);
    std::erase_if(entries, [](const std::string& e) { return variable_name(e) == "DISPLAY"; });
    return entries;
}

// The output's shell redirections: both streams, standard output alone, standard error alone.
constexpr const char* both_streams = "2>&1";
constexpr const char* standard_output = "2>/dev/null";
constexpr const char* standard_error = "2>&1 >/dev/null";

// Runs the calculator from folder to its end; the output is what `streams` keeps.
command_result run_calculator(const std::string& folder, const std::vector<std::string>& env,
                              const std::string& arguments = "",
                              const std::string& streams = both_streams) {
    const std::string script =
        "cd '" + folder + "' && exec '" MIRVA_EXECUTABLE "' " + arguments + " " + streams;
    return run_command({"/bin/sh", "-c", script}, env, end_timeout_ms);
}

bool shows_menu_blue(const rgba_image& image) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.rgb(x, y) == menu_blue) return true;
    return false;
}

// Watches the root window for the calculator's window, moves it to (0, 0) so that it can
// be read (as a window manager would place it), and returns its first picture with any
// of the menu's blue in it.
rgba_image first_blue_picture(const xvfb_session& xvfb, Display* display) {
    Window window = 0;
    const int64_t end = rt_clock_ms() + end_timeout_ms;
    while (rt_clock_ms() < end) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == CreateNotify && !window) {
                window = event.xcreatewindow.window;
                XMoveWindow(display, window, 0, 0);
                XFlush(display);
            }
        }
        if (window) {
            rgba_image picture = capture_window(xvfb.display_name(), window);
            if (!picture.empty() && shows_menu_blue(picture)) return picture;
        }
        rt_sleep_ms(poll_ms);
    }
    return {};
}

// The window opens at 1024 x 552 and takes the picture's size at once; the picture drawn
// after that change lands at the top-left corner from the first time it is shown.
TEST(StartUpWindow, FirstPictureShownIsTheWholeMenuInPlace) {
    MIRVA_SKIP_WITHOUT("Xvfb");
    xvfb_session xvfb;
    ASSERT_TRUE(xvfb.ready());
    Display* display = watch_new_windows(xvfb.display_name());
    ASSERT_NE(display, nullptr);

    child_process program({MIRVA_EXECUTABLE}, {"/", xvfb.environment(), true});
    ASSERT_TRUE(program.started());
    const rgba_image picture = first_blue_picture(xvfb, display);
    XCloseDisplay(display);
    ASSERT_FALSE(picture.empty());

    std::vector<std::string> rows =
        decode_text_screen(picture.bytes.data(), picture.width, picture.height, 4, menu_blue);
    for (std::string& row : rows) row.erase(row.find_last_not_of(' ') + 1);
    const std::vector<std::string>& expected = expected_menu_rows();
    // The cursor may be showing in the prompt row; the rows above it compare exactly.
    ASSERT_GT(rows.size(), static_cast<size_t>(menu_rows_above_prompt));
    EXPECT_EQ(
        std::vector<std::string>(rows.begin(), rows.begin() + menu_rows_above_prompt),
        std::vector<std::string>(expected.begin(), expected.begin() + menu_rows_above_prompt));
    EXPECT_EQ(rows[menu_rows_above_prompt].substr(0, 18), "SELECT AN OPTION ?");
}

struct ending {
    const char* case_name;
    const char* arguments;
    const char* audio_drivers;
    int code;
    const char* message;
    const char* streams; // where the message must be
};

// The audio device decides first, as when it was opened before freeglut started; options
// are answered before either, so an answer there opened neither the device nor a window.
constexpr ending endings_without_display[] = {
    {"no audio device", "", "no-such-output", exit_no_audio_device,
     "no audio device could be opened", both_streams},
    {"silent audio output", "", "null", exit_freeglut_failed,
     "freeglut (" MIRVA_EXECUTABLE "): failed to open display", both_streams},
    {"help", "--help", "no-such-output", 0, "  --version", standard_output},
    {"version", "--version", "no-such-output", 0, "mirvalentopraxius " MIRVA_VERSION "\n",
     standard_output},
    {"unknown option", "--colour red", "no-such-output", exit_usage, "unknown option '--colour'",
     standard_error},
    {"argument that is no option", "menu", "no-such-output", exit_usage, "unknown option 'menu'",
     standard_error},
    {"scale past 4", "--scale 5", "no-such-output", exit_usage, "value not understood '--scale 5'",
     standard_error},
};

TEST(StartUpWithoutDisplay, AnswersOptionsThenEndsWithTheAudioVerdictThenFreeglutsOwn) {
    for (const ending& e : endings_without_display) {
        SCOPED_TRACE(e.case_name);
        const command_result result = run_calculator(
            "/", environment_without_display({std::string("ALSOFT_DRIVERS=") + e.audio_drivers}),
            e.arguments, e.streams);
        ASSERT_TRUE(result.status.has_value());
        EXPECT_EQ(*result.status, e.code);
        EXPECT_NE(result.output.find(e.message), std::string::npos) << result.output;
    }
}

TEST(StartUpWithoutAudio, EndsWith111BeforeAnyWindowExists) {
    MIRVA_SKIP_WITHOUT("Xvfb");
    xvfb_session xvfb;
    ASSERT_TRUE(xvfb.ready());
    Display* display = watch_new_windows(xvfb.display_name());
    ASSERT_NE(display, nullptr);

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

// The value of a variable in a running process's environment; empty when it has none.
std::string environment_of(pid_t pid, const std::string& name) {
    std::ifstream environ("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    for (std::string entry; std::getline(environ, entry, '\0');)
        if (variable_name(entry) == name) return entry.substr(name.size() + 1);
    return {};
}

// What the desktop entry starts: without a sound output the calculator opens all the same,
// on the silent null output, and says so in a box over its window until answered.
TEST(StartUpWithoutAudio, SilentIfNoSoundOpensSilentAndSaysSo) {
    MIRVA_SKIP_WITHOUT("Xvfb");
    MIRVA_SKIP_WITHOUT("xdotool");
    xvfb_session xvfb;
    ASSERT_TRUE(xvfb.ready());
    std::unique_ptr<child_process> program;
    const x_window_id window =
        start_calculator(xvfb, MIRVA_EXECUTABLE, program, end_timeout_ms,
                         {"ALSOFT_DRIVERS=no-such-output"}, {"--silent-if-no-sound"});
    ASSERT_NE(window, 0u);
    EXPECT_EQ(environment_of(program->pid(), "ALSOFT_DRIVERS"), "null");
    const x_window_id box =
        find_window_by_title(xvfb.display_name(), "MIRVALENTOPRAXIUS", end_timeout_ms);
    ASSERT_NE(box, 0u);
    EXPECT_EQ(transient_for(xvfb.display_name(), box), window);

    ASSERT_TRUE(press_key(xvfb.display_name(), box, "Return"));
    EXPECT_EQ(find_window_by_title(xvfb.display_name(), "MIRVALENTOPRAXIUS", box_gone_ms), 0u);
    EXPECT_TRUE(program->running());
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
