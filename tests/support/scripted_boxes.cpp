#include "tests/support/scripted_boxes.h"

#include <cstdio>
#include <mutex>

namespace {

// Boxes are shown on the program thread and read by the test thread.
std::mutex* boxes_lock = nullptr;
std::vector<box_answer>* script = nullptr;
std::vector<recorded_box>* boxes = nullptr;

box_answer scripted(const std::string& caption, const std::string& text, box_buttons buttons) {
    // Death tests read what a box showed from standard error.
    std::fprintf(stderr, "[box] %s | %s\n", caption.c_str(), text.c_str());
    std::lock_guard<std::mutex> hold(*boxes_lock);
    boxes->push_back({caption, text, buttons});
    if (buttons == box_buttons::ok) return box_answer::ok;
    if (script->empty()) return box_answer::yes;
    const box_answer answer = script->front();
    script->erase(script->begin());
    return answer;
}

} // namespace

void script_message_boxes(std::vector<box_answer> answers) {
    if (!boxes_lock) {
        boxes_lock = new std::mutex;
        script = new std::vector<box_answer>;
        boxes = new std::vector<recorded_box>;
    }
    {
        std::lock_guard<std::mutex> hold(*boxes_lock);
        *script = std::move(answers);
        boxes->clear();
    }
    platform_set_message_box_answerer(scripted);
}

std::vector<recorded_box> recorded_boxes() {
    std::lock_guard<std::mutex> hold(*boxes_lock);
    return *boxes;
}
