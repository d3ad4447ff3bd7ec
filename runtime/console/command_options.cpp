#include "runtime/console/command_options.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/core/process_exit.h"
#include "runtime/sound/sound.h"
#include "runtime/window/window.h"

namespace {

constexpr int exit_answered = 0;
constexpr int exit_usage = 2;
constexpr int smallest_scale = 1, largest_scale = 4;

struct command_option {
    const char* name;
    const char* value_name; // null: the option takes no value
    const char* help;
    bool (*take)(std::string_view value); // false: the value is refused
};

[[noreturn]] bool show_help(std::string_view);

[[noreturn]] bool show_version(std::string_view) {
    std::printf("mirvalentopraxius %s\n", MIRVA_VERSION);
    rt_process_exit(exit_answered);
}

bool take_scale(std::string_view value) {
    int scale = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
    if (error != std::errc{} || end != value.data() + value.size() || scale < smallest_scale ||
        scale > largest_scale)
        return false;
    window_set_scale(scale);
    return true;
}

constexpr command_option command_options[] = {
    {"--help", nullptr, "show this help and end", show_help},
    {"--version", nullptr, "show the version and end", show_version},
    {"--scale", "N", "show each page pixel as N x N screen pixels, N from 1 to 4", take_scale},
    {"--fullscreen", nullptr, "start in full screen (Alt+Enter switches back and forth)",
     [](std::string_view) {
         window_start_full_screen();
         return true;
     }},
    {"--silent-if-no-sound", nullptr, "without a sound output, open silent and say so",
     [](std::string_view) {
         rt_audio_silent_if_no_device();
         return true;
     }},
};

bool show_help(std::string_view) {
    std::printf("Usage: mirvalentopraxius [OPTION]...\n"
                "A menu-driven welding calculator in a window of its own.\n\n");
    for (const command_option& option : command_options) {
        const std::string name = std::string(option.name) +
                                 (option.value_name ? std::string(" ") + option.value_name : "");
        std::printf("  %-22s%s\n", name.c_str(), option.help);
    }
    rt_process_exit(exit_answered);
}

const command_option* option_named(std::string_view name) {
    for (const command_option& option : command_options)
        if (name == option.name) return &option;
    return nullptr;
}

[[noreturn]] void refuse(const char* what, std::string_view argument) {
    std::fprintf(stderr,
                 "mirvalentopraxius: %s '%.*s'; mirvalentopraxius --help lists the options.\n",
                 what, static_cast<int>(argument.size()), argument.data());
    rt_process_exit(exit_usage);
}

} // namespace

void rt_take_command_options(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        // "--scale=2" as well as "--scale 2".
        const size_t equals = argument.find('=');
        const command_option* option = option_named(argument.substr(0, equals));
        if (!option) refuse("unknown option", argument);
        std::string_view value;
        if (equals != std::string_view::npos) {
            if (!option->value_name) refuse("option takes no value", argument);
            value = argument.substr(equals + 1);
        } else if (option->value_name) {
            if (i + 1 == argc) refuse("option needs a value", argument);
            value = argv[++i];
        }
        if (!option->take(value))
            refuse("value not understood", std::string(option->name) + " " + std::string(value));
    }
}
