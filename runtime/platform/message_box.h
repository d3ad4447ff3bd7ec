#pragma once
// The desktop's message box: a real dialog of the host's whose title is the caption.
// Blocks the calling thread until answered. The same text goes to stderr.
#include <string>

enum class box_buttons { ok, yes_no };
enum class box_answer { ok, yes, no };

// Without a desktop it answers OK (or No for a Yes/No box).
// Keys: Y and N answer a Yes/No box; Enter accepts (OK or Yes); Escape and the
// window's close button decline (OK or No).
box_answer platform_message_box(const std::string& caption, const std::string& text,
                                box_buttons buttons);

// From the shutdown on, no box may hold the process open: a box that is up is taken down
// with its declining answer (No or OK), and every later box gives that answer at once.
// Any thread.
void platform_message_boxes_give_way();

// Tests install a scripted answerer; it is called instead of showing a window.
using box_answerer = box_answer (*)(const std::string& caption, const std::string& text,
                                    box_buttons buttons);
void platform_set_message_box_answerer(box_answerer answerer);

// The host's part. Shows the dialog and waits for its answer, or for the boxes to give way.
box_answer host_message_box(const std::string& caption, const std::string& text,
                            box_buttons buttons);
// Any thread, after platform_boxes_giving_way() turned true: takes down a box that is up.
void host_message_boxes_give_way();
bool platform_boxes_giving_way();

inline box_answer box_accepting_answer(box_buttons kind) {
    return kind == box_buttons::yes_no ? box_answer::yes : box_answer::ok;
}
inline box_answer box_declining_answer(box_buttons kind) {
    return kind == box_buttons::yes_no ? box_answer::no : box_answer::ok;
}
