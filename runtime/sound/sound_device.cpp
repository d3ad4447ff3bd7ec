// The audio output at start-up and shutdown.
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/core/process_exit.h"
#include "runtime/platform/audio_output.h"
#include "runtime/platform/process_restart.h"
#include "runtime/platform/thread_name.h"
#include "runtime/sound/sound.h"

namespace {

constexpr int exit_no_audio_device = 111;
constexpr int exit_no_audio_context = 222;

// The silent start after no output was found carries this mark, so that it tells the user
// and never starts again itself.
constexpr const char* silent_start_mark = "MIRVA_SILENT_START";
bool silent_if_no_device = false;

// OpenAL Soft chooses its output once per process: the silent output needs a new start.
void start_again_silent() {
    platform_set_environment("ALSOFT_DRIVERS", "null");
    platform_set_environment(silent_start_mark, "1");
    platform_start_again();
}

[[noreturn]] void end_without_sound(const char* what, int code) {
    std::fprintf(stderr,
                 "mirvalentopraxius: %s. OpenAL Soft needs an output: name one in %s, or "
                 "start with ALSOFT_DRIVERS=null to run without sound (--silent-if-no-sound "
                 "does this by itself).\n",
                 what, platform_audio_configuration_files());
    rt_process_exit(code);
}

// Written by the opening thread, read after joining it.
std::thread opening;
audio_open_result open_result = audio_open_result::no_device;

void open_output() {
    // OpenAL Soft's mixer thread, started from here, carries this name too.
    rt_name_this_thread("audio");
    open_result = platform_audio().open();
}

} // namespace

void rt_audio_begin_start() {
    opening = std::thread(open_output);
}

void rt_audio_finish_start() {
    if (opening.joinable()) opening.join();
    switch (open_result) {
    case audio_open_result::opened:
        return;
    case audio_open_result::no_device:
        if (silent_if_no_device && !rt_audio_started_silent()) start_again_silent();
        end_without_sound("no audio device could be opened", exit_no_audio_device);
    case audio_open_result::no_context:
        end_without_sound("the audio device gave no context", exit_no_audio_context);
    }
}

void rt_audio_stop() {
    platform_audio().close();
}

void rt_audio_silent_if_no_device() {
    silent_if_no_device = true;
}

bool rt_audio_started_silent() {
    return std::getenv(silent_start_mark) != nullptr;
}
