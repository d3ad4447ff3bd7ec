#include "runtime/platform/audio_output.h"

const char* platform_audio_configuration_files() {
    return "~/.alsoftrc or /etc/openal/alsoft.conf";
}
