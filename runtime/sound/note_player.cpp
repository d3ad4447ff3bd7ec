// The note-string player: the whole string is read first, so a fault queues nothing.
#include <string_view>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/sound/note_string.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/tone_queue.h"

namespace {

note_settings player_settings;
variable_bytes program_variables;

} // namespace

void rt_set_variable_area(const uint8_t* base, int32_t size) {
    program_variables = {base, size};
}

void rt_play(const rt_string* text) {
    if (error_state.error_pending || !text) return; // no string plays like an empty one
    sound_release_closed();
    const std::string_view notes(reinterpret_cast<const char*>(text->data),
                                 static_cast<size_t>(text->len));
    std::vector<note_plan> plans;
    if (!read_note_string(notes, program_variables, player_settings, plans)) {
        rt_raise_error(err_illegal_function_call);
        return;
    }
    // One piece's samples at a time: a string that switches to the background holds no
    // more memory than its longest piece.
    for (const note_plan& plan : plans) {
        if (plan.frames == 0) continue;
        const note_piece piece = render_note_plan(plan);
        queue_tone(piece.frames.data(), static_cast<int32_t>(piece.frames.size()), piece.wait);
    }
}
