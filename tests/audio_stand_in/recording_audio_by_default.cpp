// Linked into every in-process suite that does not play through OpenAL Soft itself: the
// runtime's start-up then opens the recording stand-in instead of a real device.
#include "tests/support/recording_audio.h"

namespace {

const bool installed = (install_recording_audio(), true);

} // namespace
