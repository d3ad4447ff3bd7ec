#pragma once
// Tone queueing onto the tone stream, shared by the tones and the note-string player.
#include <cstdint>

#include "runtime/sound/sound_streams.h"

// Appends the frames to the tone stream (after a lead-in of silence when the stream had
// gone quiet) and, with wait, waits until the sound is no more than about a quarter
// second ahead.
void queue_tone(const stereo_frame* frames, int32_t count, bool wait);
