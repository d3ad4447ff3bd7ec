#include "runtime/console/startup.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "runtime/console/command_options.h"
#include "runtime/core/low_memory.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/run_control.h"
#include "runtime/core/scratch.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/console_streams.h"
#include "runtime/platform/executable_path.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/thread_name.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/image.h"
#include "runtime/sound/sound.h"
#include "runtime/window/keyboard.h"
#include "runtime/window/service_thread.h"
#include "runtime/window/window.h"

const char* command_line_text = "";

namespace {

void change_to_executable_folder() {
    std::error_code ignored; // a folder that cannot be entered leaves the directory as it is
    // The path is UTF-8 on every host; a plain string would be read in Windows' code page.
    const std::string folder = executable_folder_of(platform_executable_path());
    std::filesystem::current_path(std::u8string(folder.begin(), folder.end()), ignored);
}

void build_command_line(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    char* copy = new char[text.size() + 1]; // lives for the whole run
    std::memcpy(copy, text.c_str(), text.size() + 1);
    command_line_text = copy;
}

void program_thread_body() {
    rt_name_this_thread("program");
    application_main();
    rt_end();
}

void start_up(int argc, char** argv) {
    // 1. Runtime tables and allocations.
    rt_strings_init();
    // 2. Audio device and context: opened beside the steps below and freeglut's start;
    // settled before the threads (settle_start_up).
    rt_audio_begin_start();
    // 3.-4. Event-trap state; the key-event table is preset with the keyboard state below.
    // 5. Working directory: once the audio device is open (settle_start_up).
    // 6.-8. Environment count (unused); cell sizes and the image table come with step 16.
    // 9. Scratch stack and return stack.
    rt_scratch_init();
    // 10. Emulated low memory.
    rt_low_memory_reset();
    // 11.-12. Shared strings and the command line.
    build_command_line(argc, argv);
    // 13. Clock base for the tick count and the seconds clock.
    rt_synchronise_clock();
    // 14.-15. Desktop keyboard state and the empty key queue.
    rt_keyboard_init();
    // 16. Palettes, the image table with its reserved slots, and the glyph sets.
    rt_screen_init();
    rt_fonts_init();
    // 17. The first page: 80 x 25 text.
    rt_screen(0, 0, 0, 0, 0, screen_mode_given);
}

// The audio library resolves any relative path in its settings (a wave output's file) while
// it opens the device: against the folder the process was started in, so the working
// directory changes only after that.
void settle_start_up() {
    rt_audio_finish_start();
    change_to_executable_folder();
}

void start_threads(rt_main_routine main_routine) {
    application_main = main_routine;
    std::thread(program_thread_body).detach();
    // No event timers are ever armed, so the timer thread is not started: it counts as
    // finished for the shutdown.
    run_control.finished_threads.fetch_or(2);
    std::thread(service_thread_body).detach();
}

constexpr int window_gate_ms = 100;

// Said once, over the calculator's window rather than before it.
void tell_of_silence() {
    rt_name_this_thread("silence");
    while (!run_control.window_ready.load()) rt_sleep_ms(window_gate_ms);
    platform_message_box("MIRVALENTOPRAXIUS",
                         "No sound output was found: the calculator runs without sound.",
                         box_buttons::ok);
}

} // namespace

void rt_run(int argc, char** argv, rt_main_routine main_routine) {
    platform_connect_console_streams();
    rt_take_command_options(argc, argv);
    start_up(argc, argv);
    // Loading the OpenGL library is the longest step of all; it creates no window, so it
    // runs while the audio device opens on the other core.
    window_prepare(argc, argv, rt_audio_finish_start);
    settle_start_up();
    start_threads(main_routine);
    if (rt_audio_started_silent()) std::thread(tell_of_silence).detach();
    window_run();
}

void rt_start_headless(rt_main_routine main_routine) {
    static char name[] = "mirvalentopraxius";
    char* argv[] = {name, nullptr};
    start_up(1, argv);
    settle_start_up();
    start_threads(main_routine);
}

// The folder part of an executable path: at a slash the slash is dropped, at a drive
// colon the colon stays; a file in the root folder gives "/".
std::string executable_folder_of(const std::string& path) {
    const size_t cut = path.find_last_of("\\/:");
    if (cut == std::string::npos) return {};
    const size_t length = path[cut] == ':' ? cut + 1 : cut;
    return length == 0 ? std::string(1, '/') : path.substr(0, length);
}
