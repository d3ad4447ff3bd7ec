// The drawing-command interpreter: a pen in page pixels, moved by a table of one-letter
// commands.
#include "runtime/screen/draw.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/core/error_numbers.h"
#include "runtime/core/errors.h"
#include "runtime/core/low_memory.h"
#include "runtime/screen/graphics_internal.h"

namespace {

constexpr int32_t error_none = 0;
constexpr double radians_per_degree = 0.0174532925199433;
constexpr double right_angle_degrees = 90.0;
constexpr int32_t quarter_turns = 4;
constexpr double scale_divisor = 4.0;
constexpr uint8_t substring_type = 3;
constexpr size_t reference_bytes = 3;
constexpr size_t descriptor_bytes = 4; // 16-bit length, 16-bit offset

// Stored direction vectors; D, G, L and H are the negatives of U, E, R and F.
enum vector_index { up, up_right, right, down_right, vector_count };

struct vec {
    double x, y;
};

struct draw_source {
    std::string_view text;
    size_t at;
};

struct draw_run {
    draw_run(rt_image& page, const uint8_t* data_segment) : image(page), segment(data_segment) {}

    rt_image& image;
    const uint8_t* segment;
    double x = 0, y = 0; // pen, page pixels
    uint32_t colour = 0;
    double aspect = 1;
    vec vectors[vector_count] = {};
    bool no_draw = false, no_move = false;
    draw_source source{};
    int64_t commands_left = draw_command_budget;
    std::vector<draw_source> saved; // substrings being run, outermost first

    bool at_end() const { return source.at >= source.text.size(); }
    char peek() const { return at_end() ? '\0' : source.text[source.at]; }
    void skip_blanks() {
        while (peek() == ' ' || peek() == '\t') ++source.at;
    }
    draw_number number() { return draw_read_number(source.text, source.at, segment); }
};

void build_vectors(draw_run& run) {
    const double a = run.aspect;
    run.vectors[up] = {0.0, -1.0};
    run.vectors[up_right] = {a, -1.0};
    run.vectors[right] = {a, 0.0};
    run.vectors[down_right] = {a, 1.0};
    const double angle = run.image.draw_angle;
    if (angle == 0.0) return;
    const double c = std::cos(angle * radians_per_degree);
    const double s = std::sin(angle * radians_per_degree);
    for (vec& v : run.vectors) v = {v.x * c + v.y * s, v.y * c - v.x * s};
}

// A whole number that fits a 32-bit colour (signed or unsigned).
bool whole_colour(const draw_number& n, uint32_t& colour) {
    if (n.bad || n.absent || n.value != std::floor(n.value) || n.value < INT32_MIN ||
        n.value > UINT32_MAX)
        return false;
    colour = static_cast<uint32_t>(static_cast<int64_t>(n.value));
    return true;
}

// Draws from the pen to (x, y) unless B came first, and moves there unless N came first.
void finish_move(draw_run& run, double x, double y) {
    if (!run.no_draw)
        plain_line(round_pixel(run.x), round_pixel(run.y), round_pixel(x), round_pixel(y),
                   run.colour);
    if (!run.no_move) {
        run.x = x;
        run.y = y;
    }
    run.no_draw = run.no_move = false;
}

// The movement letters: a stored vector, forwards (+1) or backwards (-1).
int32_t move_along(draw_run& run, int32_t index, double direction) {
    const draw_number n = run.number();
    if (n.bad) return err_illegal_function_call;
    const double distance = n.absent ? 1.0 : n.value;
    const vec v = run.vectors[index];
    const double scale = run.image.draw_scale;
    finish_move(run, run.x + direction * v.x * distance / run.aspect * scale,
                run.y + direction * v.y * distance * scale);
    return error_none;
}

int32_t command_u(draw_run& run) {
    return move_along(run, up, 1);
}
int32_t command_d(draw_run& run) {
    return move_along(run, up, -1);
}
int32_t command_e(draw_run& run) {
    return move_along(run, up_right, 1);
}
int32_t command_g(draw_run& run) {
    return move_along(run, up_right, -1);
}
int32_t command_r(draw_run& run) {
    return move_along(run, right, 1);
}
int32_t command_l(draw_run& run) {
    return move_along(run, right, -1);
}
int32_t command_f(draw_run& run) {
    return move_along(run, down_right, 1);
}
int32_t command_h(draw_run& run) {
    return move_along(run, down_right, -1);
}

// Two numbers separated by a comma, both present and well formed.
bool number_pair(draw_run& run, draw_number& first, draw_number& second) {
    first = run.number();
    if (first.bad || first.absent || run.peek() != ',') return false;
    ++run.source.at;
    second = run.number();
    return !second.bad && !second.absent;
}

int32_t command_m(draw_run& run) {
    run.skip_blanks();
    const bool relative = run.peek() == '+' || run.peek() == '-';
    draw_number x, y;
    if (!number_pair(run, x, y)) return err_illegal_function_call;
    if (!relative) {
        finish_move(run, x.value, y.value);
        return error_none;
    }
    const vec r = run.vectors[right], u = run.vectors[up];
    const double scale = run.image.draw_scale;
    const double dx = (x.value * r.x - y.value * u.x) / run.aspect;
    const double dy = x.value * r.y - y.value * u.y;
    finish_move(run, run.x + dx * scale, run.y + dy * scale);
    return error_none;
}

int32_t command_b(draw_run& run) {
    run.no_draw = true;
    return error_none;
}

int32_t command_n(draw_run& run) {
    run.no_move = true;
    return error_none;
}

int32_t command_c(draw_run& run) {
    uint32_t colour;
    if (!whole_colour(run.number(), colour)) return err_illegal_function_call;
    run.colour = colour;
    run.image.draw_colour = colour;
    return error_none;
}

int32_t command_s(draw_run& run) {
    const draw_number n = run.number();
    if (n.bad || n.absent || !(n.value >= 0)) return err_illegal_function_call;
    run.image.draw_scale = n.value / scale_divisor;
    return error_none;
}

int32_t turn_to(draw_run& run, double degrees) {
    run.image.draw_angle = degrees;
    build_vectors(run);
    return error_none;
}

int32_t command_a(draw_run& run) {
    const draw_number n = run.number();
    if (n.bad || n.absent || n.value != std::floor(n.value) || n.value < 0 ||
        n.value >= quarter_turns)
        return err_illegal_function_call;
    return turn_to(run, n.value * right_angle_degrees);
}

int32_t command_t(draw_run& run) {
    run.skip_blanks();
    if (run.peek() != 'A' && run.peek() != 'a') return err_illegal_function_call;
    ++run.source.at;
    const draw_number n = run.number();
    if (n.bad || n.absent) return err_illegal_function_call;
    return turn_to(run, n.value);
}

int32_t command_p(draw_run& run) {
    draw_number fill, border;
    uint32_t fill_colour, border_colour;
    if (!number_pair(run, fill, border) || !whole_colour(fill, fill_colour) ||
        !whole_colour(border, border_colour))
        return err_illegal_function_call;
    double x, y;
    map_from_pixels(run.image, run.x, run.y, x, y);
    // The fill moves the graphics cursor; in a string only the pen's end may, and only
    // when the whole string runs.
    const float cursor_x = run.image.gfx_x, cursor_y = run.image.gfx_y;
    rt_paint(static_cast<float>(x), static_cast<float>(y), fill_colour, border_colour,
             paint_fill | paint_border);
    run.image.gfx_x = cursor_x;
    run.image.gfx_y = cursor_y;
    run.colour = fill_colour;
    return error_none;
}

// Runs the substring whose descriptor the reference names, then goes on after it.
int32_t command_x(draw_run& run) {
    const std::string_view text = run.source.text;
    const size_t at = run.source.at;
    if (text.size() - at < reference_bytes) return err_illegal_function_call;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data()) + at;
    const size_t offset = size_t(bytes[1]) | size_t(bytes[2]) << 8;
    if (bytes[0] != substring_type || offset + descriptor_bytes > draw_segment_size)
        return err_illegal_function_call;
    const uint8_t* descriptor = run.segment + offset;
    const size_t length = size_t(descriptor[0]) | size_t(descriptor[1]) << 8;
    const size_t start = size_t(descriptor[2]) | size_t(descriptor[3]) << 8;
    if (start + length > draw_segment_size) return err_illegal_function_call;
    if (run.saved.size() >= size_t(draw_max_substring_depth)) return err_overflow;
    run.source.at = at + reference_bytes;
    run.saved.push_back(run.source);
    run.source = {{reinterpret_cast<const char*>(run.segment + start), length}, 0};
    return error_none;
}

int32_t command_ignored(draw_run&) {
    return error_none;
}

struct draw_command {
    char letter;
    int32_t (*run)(draw_run&);
};

constexpr draw_command draw_commands[] = {
    {'U', command_u}, {'D', command_d},       {'E', command_e},        {'G', command_g},
    {'R', command_r}, {'L', command_l},       {'F', command_f},        {'H', command_h},
    {'M', command_m}, {'B', command_b},       {'N', command_n},        {'C', command_c},
    {'S', command_s}, {'A', command_a},       {'T', command_t},        {'P', command_p},
    {'X', command_x}, {' ', command_ignored}, {'\t', command_ignored}, {';', command_ignored},
};

const draw_command* find_command(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const auto& command : draw_commands)
        if (command.letter == c) return &command;
    return nullptr;
}

// The next command character, back in the enclosing string when a substring is done;
// false when every level is exhausted.
bool next_character(draw_run& run, char& c) {
    while (run.at_end()) {
        if (run.saved.empty()) return false;
        run.source = run.saved.back();
        run.saved.pop_back();
    }
    c = run.source.text[run.source.at++];
    return true;
}

int32_t interpret(draw_run& run) {
    char c;
    while (next_character(run, c)) {
        if (--run.commands_left < 0) return err_illegal_function_call;
        const draw_command* command = find_command(c);
        if (!command) return err_illegal_function_call;
        if (const int32_t error = command->run(run)) return error;
        if (error_state.error_pending) return error_none; // raised by the fill
    }
    return error_none;
}

} // namespace

void rt_draw(std::string_view commands) {
    rt_image& image = *image_state.dest;
    if (!graphics_ready(image)) return;
    draw_run run(image, low_memory + default_segment_offset);
    map_to_pixels(image, image.gfx_x, image.gfx_y, run.x, run.y);
    run.colour = image.draw_colour;
    run.aspect = mode_aspect(image.mode);
    build_vectors(run);
    run.source = {commands, 0};
    if (const int32_t error = interpret(run)) {
        rt_raise_error(error);
        return;
    }
    if (error_state.error_pending) return;
    double x, y;
    map_from_pixels(image, run.x, run.y, x, y);
    image.gfx_x = static_cast<float>(x);
    image.gfx_y = static_cast<float>(y);
}

void rt_draw(rt_string* commands) {
    if (error_state.error_pending || !commands) return;
    rt_draw(std::string_view(reinterpret_cast<const char*>(commands->data), size_t(commands->len)));
}
