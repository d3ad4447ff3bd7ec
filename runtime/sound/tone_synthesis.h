#pragma once
// Tones as 16-bit stereo frames: a triangle wave, no trigonometry, cut where it last
// rises through zero so that it ends without a click.
#include <cstdint>
#include <memory>

#include "runtime/sound/sound_streams.h"

// Frames of a tone of the given seconds: 44,100 x seconds truncated, at least 1 and at most
// the 32-bit count synthesise_tone takes.
int64_t tone_frame_count(double seconds);

// Writes count frames of a triangle wave (frequency 0 to 32,767 Hz, volume 0 to 1 of full
// scale; the wave turns once per 22,050 Hz in every frame) and returns
// how many frames come before its last rising zero crossing (count when there is none).
int32_t synthesise_tone(stereo_frame* frames, int32_t count, double frequency, double volume);
