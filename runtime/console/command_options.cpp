#include "runtime/console/command_options.h"

#include <cstdio>
#include <string_view>

#include "runtime/core/process_exit.h"
#include "runtime/sound/sound.h"

namespace {

constexpr int exit_answered = 0;
constexpr int exit_usage = 2;

struct command_option {
    const char* name;
    const char* help;
    void (*take)();
};

[[noreturn]] void show_help();

[[noreturn]] void show_version() {
    std::printf("mirvalentopraxius %s\n", MIRVA_VERSION);
    rt_process_exit(exit_answered);
}

constexpr command_option command_options[] = {
    {"--help", "show this help and end", show_help},
    {"--version", "show the version and end", show_version},
    {"--silent-if-no-sound", "without a sound output, open silent and say so",
     rt_audio_silent_if_no_device},
};

void show_help() {
    std::printf("Usage: mirvalentopraxius [OPTION]...\n"
                "A menu-driven welding calculator in a window of its own.\n\n");
    for (const command_option& option : command_options)
        std::printf("  %-22s%s\n", option.name, option.help);
    rt_process_exit(exit_answered);
}

const command_option* option_named(std::string_view name) {
    for (const command_option& option : command_options)
        if (name == option.name) return &option;
    return nullptr;
}

[[noreturn]] void refuse(std::string_view argument) {
    std::fprintf(stderr,
                 "mirvalentopraxius: unknown option '%.*s'; "
                 "mirvalentopraxius --help lists the options.\n",
                 static_cast<int>(argument.size()), argument.data());
    rt_process_exit(exit_usage);
}

} // namespace

void rt_take_command_options(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const command_option* option = option_named(argv[i]);
        if (!option) refuse(argv[i]);
        option->take();
    }
}
