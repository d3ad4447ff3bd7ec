#include "runtime/platform/message_box.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<box_answerer> scripted_answerer{nullptr};
std::atomic<bool> giving_way{false};

void write_to_stderr(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s\n%s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}

} // namespace

box_answer platform_message_box(const std::string& caption, const std::string& text,
                                box_buttons buttons) {
    write_to_stderr(caption, text);
    if (giving_way.load()) return box_declining_answer(buttons);
    if (box_answerer answerer = scripted_answerer.load()) return answerer(caption, text, buttons);
    return host_message_box(caption, text, buttons);
}

void platform_message_boxes_give_way() {
    giving_way.store(true);
    host_message_boxes_give_way();
}

bool platform_boxes_giving_way() {
    return giving_way.load();
}

void platform_set_message_box_answerer(box_answerer answerer) {
    scripted_answerer.store(answerer);
}
