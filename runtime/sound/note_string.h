#pragma once
// The note-string language laid out as sample buffers: notes, pauses, chords, octave,
// length, tempo, volume, articulation and foreground or background play.
#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/sound/sound_streams.h"

// Settings that carry over from one note string to the next.
struct note_settings {
    int32_t tempo = 120; // quarter notes per minute
    int32_t length = 4;  // 1 whole note, 2 half, 4 quarter ...
    int32_t octave = 4;
    int32_t volume = 50; // percent
    double articulation = 0.125;
    bool background = false;
};

// Sound to queue in one go; wait says whether the program waits for it.
struct note_piece {
    std::vector<stereo_frame> frames;
    bool wait = false;
};

// A note or pause as read from the string: where it starts in its piece and, for a note,
// the frames its tone is synthesised over (0 for a pause), its pitch and volume.
struct note_event {
    size_t start = 0;
    int32_t tone_frames = 0;
    double frequency = 0;
    double volume = 0; // 0 to 1 of full scale
};

// A piece as read, before any sample exists: its notes and its length in frames.
struct note_plan {
    std::vector<note_event> events;
    size_t frames = 0;
    bool wait = false;
};

// The bytes that "=" references read numbers from.
struct variable_bytes {
    const uint8_t* base = nullptr;
    int32_t size = 0;
};

// Reads the whole string without synthesising anything, so a fault is found before any
// sound is made. On a fault returns false and leaves settings and plans untouched;
// otherwise settings holds the settings at the end of the string.
bool read_note_string(std::string_view text, const variable_bytes& variables,
                      note_settings& settings, std::vector<note_plan>& plans);

// The samples of a piece: its tones added where they overlap, each sum clamped.
note_piece render_note_plan(const note_plan& plan);

// Reads the whole string and renders every piece, with the same contract as reading.
bool lay_out_note_string(std::string_view text, const variable_bytes& variables,
                         note_settings& settings, std::vector<note_piece>& pieces);
