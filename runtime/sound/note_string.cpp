#include "runtime/sound/note_string.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <optional>

#include "runtime/sound/tone_synthesis.h"

namespace {

struct value_range {
    int32_t low;
    int32_t high;
    bool holds(int64_t value) const { return value >= low && value <= high; }
};

constexpr value_range note_length_range{0, 64}; // 0: the default length
constexpr value_range note_number_range{0, 84};
constexpr value_range octave_range{0, 6};
constexpr value_range length_range{1, 64};
constexpr value_range tempo_range{32, 255};
constexpr value_range pause_range{1, 64};
constexpr value_range volume_range{0, 100};

// Semitones above C of the notes A to G.
constexpr int32_t semitone_of_note[7] = {9, 11, 0, 2, 4, 5, 7};
constexpr int32_t semitones_below_a440 = 33; // octave 2's A is note 33
constexpr double a440 = 440.0;
constexpr double seconds_per_minute = 60.0;
constexpr double beats_per_whole_note = 4.0;
constexpr double full_volume = 100.0;
constexpr int64_t digits_limit = 1000000000; // past every range; stops overflow

struct articulation_command {
    char letter;
    double articulation;
};
constexpr articulation_command articulation_commands[] = {{'N', 0.125}, {'L', 0}, {'S', 0.25}};

// How a variable's bytes are read: the type code of the reference picks one.
enum class variable_kind { signed_integer, unsigned_integer, single, double_real, extended };
struct variable_type {
    uint8_t code;
    variable_kind kind;
    int32_t bits;
};
constexpr variable_type variable_types[] = {
    {1, variable_kind::signed_integer, 8},
    {2, variable_kind::signed_integer, 16},
    {4, variable_kind::single, 32},
    {5, variable_kind::signed_integer, 64},
    {6, variable_kind::extended, 80},
    {8, variable_kind::double_real, 64},
    {20, variable_kind::signed_integer, 32},
    {129, variable_kind::unsigned_integer, 8},
    {130, variable_kind::unsigned_integer, 16},
    {133, variable_kind::unsigned_integer, 64},
    {148, variable_kind::unsigned_integer, 32},
};
constexpr uint8_t unsigned_bit_field = 64;
constexpr uint8_t signed_bit_field = 192;
constexpr int32_t widest_bit_field = 56;

std::optional<variable_type> variable_type_of(uint8_t code) {
    for (const variable_type& type : variable_types)
        if (type.code == code) return type;
    if (code > unsigned_bit_field && code <= unsigned_bit_field + widest_bit_field)
        return variable_type{code, variable_kind::unsigned_integer, code - unsigned_bit_field};
    if (code > signed_bit_field && code <= signed_bit_field + widest_bit_field)
        return variable_type{code, variable_kind::signed_integer, code - signed_bit_field};
    return std::nullopt;
}

int32_t byte_count(const variable_type& type) {
    return (type.bits + 7) / 8;
}

long double integer_value(const uint8_t* bytes, const variable_type& type) {
    uint64_t raw = 0;
    std::memcpy(&raw, bytes, static_cast<size_t>(byte_count(type)));
    if (type.bits < 64) raw &= (uint64_t{1} << type.bits) - 1;
    if (type.kind == variable_kind::unsigned_integer) return static_cast<long double>(raw);
    if (type.bits < 64 && (raw >> (type.bits - 1)) & 1) raw |= ~uint64_t{0} << type.bits;
    return static_cast<long double>(static_cast<int64_t>(raw));
}

long double variable_value(const uint8_t* bytes, const variable_type& type) {
    switch (type.kind) {
    case variable_kind::single: {
        float value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    case variable_kind::double_real: {
        double value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    case variable_kind::extended: {
        long double value = 0;
        std::memcpy(&value, bytes, static_cast<size_t>(byte_count(type)));
        return value;
    }
    default:
        return integer_value(bytes, type);
    }
}

double pitch_of(int32_t note_number) {
    return a440 * std::pow(2.0, (note_number - semitones_below_a440) / 12.0);
}

class note_reader {
  public:
    note_reader(std::string_view text, const variable_bytes& variables, note_settings settings)
        : text_(text), variables_(variables), settings_(settings) {
        plans_.emplace_back();
    }

    bool read_all() {
        for (int c = next(); c >= 0; c = next())
            if (!command(c)) return false;
        plans_.back().wait = !settings_.background;
        return true;
    }

    const note_settings& settings() const { return settings_; }
    std::vector<note_plan>& plans() { return plans_; }

  private:
    // The next character that is not a blank, upper case, without taking it; -1 at the end.
    int peek() {
        while (at_ < text_.size() && text_[at_] == ' ') ++at_;
        if (at_ == text_.size()) return -1;
        return std::toupper(static_cast<unsigned char>(text_[at_]));
    }

    int next() {
        const int c = peek();
        if (c >= 0) ++at_;
        return c;
    }

    bool take(int wanted) {
        if (peek() != wanted) return false;
        ++at_;
        return true;
    }

    // A number in digits or from a variable; given is false when there is none.
    bool number(int64_t& value, bool& given) {
        given = false;
        value = 0;
        if (peek() == '=') {
            ++at_;
            given = true;
            if (!variable(value)) return false;
            const int after = peek();
            return !(std::isdigit(after) || after == '.');
        }
        while (peek() >= 0 && std::isdigit(peek())) {
            value = std::min(value * 10 + (next() - '0'), digits_limit);
            given = true;
        }
        return true;
    }

    bool variable(int64_t& value) {
        if (text_.size() - at_ < 3) return false;
        const auto* bytes = reinterpret_cast<const uint8_t*>(text_.data() + at_);
        at_ += 3;
        const std::optional<variable_type> type = variable_type_of(bytes[0]);
        const int32_t offset = bytes[1] | bytes[2] << 8;
        if (!type || !variables_.base || offset + byte_count(*type) > variables_.size) return false;
        const long double real = variable_value(variables_.base + offset, *type);
        const long double whole = std::nearbyint(real);
        if (!(whole >= INT32_MIN && whole <= INT32_MAX)) return false;
        value = static_cast<int64_t>(whole);
        return true;
    }

    bool required(value_range range, int64_t& value) {
        bool given = false;
        return number(value, given) && given && range.holds(value);
    }

    // Each dot adds half of what the previous one added.
    double dotted(double length_factor) {
        double addition = 0.5;
        while (take('.')) {
            length_factor += addition;
            addition /= 2;
        }
        return length_factor;
    }

    double seconds_of(int64_t length, double factor) const {
        return seconds_per_minute / settings_.tempo * (beats_per_whole_note / length) * factor;
    }

    bool command(int c) {
        if (c >= 'A' && c <= 'G') return note(c);
        switch (c) {
        case 'N':
            return numbered_note();
        case 'O':
            return setting(octave_range, settings_.octave);
        case 'L':
            return setting(length_range, settings_.length);
        case 'T':
            return setting(tempo_range, settings_.tempo);
        case 'V':
            return setting(volume_range, settings_.volume);
        case 'P':
            return pause();
        case 'M':
            return mode(next());
        case '<':
            settings_.octave = std::max(octave_range.low, settings_.octave - 1);
            return true;
        case '>':
            settings_.octave = std::min(octave_range.high, settings_.octave + 1);
            return true;
        default:
            return false;
        }
    }

    bool setting(value_range range, int32_t& target) {
        int64_t value = 0;
        if (!required(range, value)) return false;
        target = static_cast<int32_t>(value);
        return true;
    }

    bool mode(int c) {
        for (const articulation_command& entry : articulation_commands)
            if (c == entry.letter) {
                settings_.articulation = entry.articulation;
                return true;
            }
        if (c == 'F') {
            settings_.background = false;
            return true;
        }
        if (c != 'B') return false;
        if (!settings_.background) start_new_piece();
        settings_.background = true;
        return true;
    }

    // Switching to the background plays what was laid out so far, with waiting.
    void start_new_piece() {
        plans_.back().wait = true;
        plans_.emplace_back();
        position_ = 0;
    }

    int32_t accidental() {
        const int c = peek();
        if (c == '+' || c == '#') return ++at_, 1;
        if (c == '-') return ++at_, -1;
        return 0;
    }

    bool note(int letter) {
        const int32_t shift = accidental();
        if (accidental() != 0) return false;
        int64_t length = 0;
        bool given = false;
        if (!number(length, given) || !note_length_range.holds(length)) return false;
        if (length == 0) length = settings_.length;
        if (accidental() != 0) return false;
        const int32_t note_number = semitone_of_note[letter - 'A'] + shift + 12 * settings_.octave;
        play(pitch_of(note_number), seconds_of(length, dotted(1.0)));
        return true;
    }

    bool numbered_note() {
        int64_t value = 0;
        if (!required(note_number_range, value)) return false;
        play(pitch_of(static_cast<int32_t>(value)), seconds_of(settings_.length, dotted(1.0)));
        return true;
    }

    bool pause() {
        int64_t length = 0;
        bool given = false;
        if (!number(length, given)) return false;
        if (!given) length = settings_.length;
        if (!pause_range.holds(length)) return false;
        place({}, tone_frame_count(seconds_of(length, dotted(1.0))));
        return true;
    }

    // A note sounds for all but its articulation share of its length.
    void play(double frequency, double seconds) {
        const double sounding = (1 - settings_.articulation) * seconds;
        place({.tone_frames = static_cast<int32_t>(tone_frame_count(sounding)),
               .frequency = frequency,
               .volume = settings_.volume / full_volume},
              tone_frame_count(seconds));
    }

    // Puts the event at the current position and moves on by length unless a comma joins
    // the next note or pause to this one. A tone never outlasts its length.
    void place(note_event event, int64_t length) {
        note_plan& plan = plans_.back();
        event.start = position_;
        if (event.tone_frames > 0) plan.events.push_back(event);
        plan.frames = std::max(plan.frames, position_ + static_cast<size_t>(length));
        if (!take(',')) position_ += static_cast<size_t>(length);
    }

    std::string_view text_;
    size_t at_ = 0;
    variable_bytes variables_;
    note_settings settings_;
    std::vector<note_plan> plans_;
    size_t position_ = 0;
};

int16_t clamped_sum(int16_t a, int16_t b) {
    return static_cast<int16_t>(std::clamp(a + b, -32767, 32767));
}

} // namespace

bool read_note_string(std::string_view text, const variable_bytes& variables,
                      note_settings& settings, std::vector<note_plan>& plans) {
    note_reader reader(text, variables, settings);
    if (!reader.read_all()) return false;
    settings = reader.settings();
    plans = std::move(reader.plans());
    return true;
}

// The piece is sized once; each tone is synthesised into one reused buffer and added.
note_piece render_note_plan(const note_plan& plan) {
    note_piece piece{std::vector<stereo_frame>(plan.frames), plan.wait};
    std::vector<stereo_frame> tone;
    for (const note_event& event : plan.events) {
        tone.resize(static_cast<size_t>(event.tone_frames));
        const int32_t used =
            synthesise_tone(tone.data(), event.tone_frames, event.frequency, event.volume);
        stereo_frame* out = piece.frames.data() + event.start;
        for (int32_t i = 0; i < used; ++i) {
            out[i].left = clamped_sum(out[i].left, tone[static_cast<size_t>(i)].left);
            out[i].right = clamped_sum(out[i].right, tone[static_cast<size_t>(i)].right);
        }
    }
    return piece;
}

bool lay_out_note_string(std::string_view text, const variable_bytes& variables,
                         note_settings& settings, std::vector<note_piece>& pieces) {
    std::vector<note_plan> plans;
    if (!read_note_string(text, variables, settings, plans)) return false;
    pieces.clear();
    for (const note_plan& plan : plans) pieces.push_back(render_note_plan(plan));
    return true;
}
