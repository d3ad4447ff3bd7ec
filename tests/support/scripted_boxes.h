#pragma once
// A message-box answerer for tests: records every box and answers from a script.
#include <string>
#include <vector>

#include "runtime/platform/message_box.h"

struct recorded_box {
    std::string caption;
    std::string text;
    box_buttons buttons;
};

// Installs the answerer; each Yes/No box takes the next answer (Yes when the script
// is used up); OK boxes answer OK.
void script_message_boxes(std::vector<box_answer> answers);
std::vector<recorded_box> recorded_boxes();
