#pragma once
// Tones, the beep and the note-string player, fed to the audio output through
// streaming sound handles.
#include <cstdint>

#include "runtime/core/rt_string.h"

// Start-up: opens the audio output on a thread of its own, so that other start-up work
// runs beside it.
void rt_audio_begin_start();
// Waits for the opening; without a device the process ends with 111, without a context
// with 222, each after one line on stderr.
void rt_audio_finish_start();
// Asked before the start: without a device the process starts again on OpenAL Soft's
// silent null output instead of ending with 111.
void rt_audio_silent_if_no_device();
// True in that silent start, which then opened the null output.
bool rt_audio_started_silent();
// Shutdown: closes the audio output.
void rt_audio_stop();
// One pass of the service thread over the sound handles.
void rt_sound_pump();

// 783.99 Hz for 0.2 s, then a 0.25 s wait.
void rt_beep();
// One tone; with wait the program keeps no more than about a quarter second ahead. A
// frequency outside 0 to 32,767 Hz, or seconds not finite or beyond 65,535 ticks (about an
// hour), raise 5.
void rt_tone(double frequency, double seconds, bool wait);
// A tone of ticks clock ticks (1/18.2 s); frequency 0 or 37 to 32,767, ticks 0 to 65,535.
void rt_sound(double frequency, double ticks);
// Interprets a note string and queues its sound; any fault raises 5 and queues nothing.
// Null plays nothing, as the empty string does.
void rt_play(const rt_string* text);
// The program's variable area that "=" references in note strings read from.
void rt_set_variable_area(const uint8_t* base, int32_t size);

constexpr int32_t sound_right_given = 1;
constexpr int32_t sound_handle_given = 2;
// Appends one frame (samples as fractions of full scale) to a stream, by default to the
// program's default stream.
void rt_sound_append(double left, double right, int32_t handle, int32_t flags);
// Seconds of sound queued and not yet played on an open stream.
double rt_sound_queued(int32_t handle);
int32_t rt_sound_rate();
// A new stream handle; 0 when no handle is left.
int32_t rt_sound_open();
// Requests the close; the stream is released once quiet for at least 3 s.
void rt_sound_close(int32_t handle);
