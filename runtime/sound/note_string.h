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

// The bytes that "=" references read numbers from.
struct variable_bytes {
    const uint8_t* base = nullptr;
    int32_t size = 0;
};

// Lays the whole string out. On any fault returns false and leaves settings and pieces
// untouched; otherwise settings holds the settings at the end of the string.
bool lay_out_note_string(std::string_view text, const variable_bytes& variables,
                         note_settings& settings, std::vector<note_piece>& pieces);
