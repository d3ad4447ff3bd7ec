#include "runtime/platform/audio_output.h"

const char* platform_audio_configuration_files() {
    return "%APPDATA%\\alsoft.ini or alsoft.ini beside the program";
}
