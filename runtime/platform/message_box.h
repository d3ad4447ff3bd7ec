#pragma once
// Stand-in for the desktop's message box: a real X11 dialog whose title is the
// caption. Blocks the calling thread until answered. The same text goes to stderr.
#include <string>

enum class box_buttons { ok, yes_no };
enum class box_answer { ok, yes, no };

// Without an X display it answers OK (or No for a Yes/No box).
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

// The window layer names its main window (an X window id) so that boxes stay on
// top of it; 0 means there is none (yet).
void platform_set_main_window(unsigned long xid);
