// The question that ends every text-screen calculator.
#include "app/app_io.h"
#include "app/calculators.h"

namespace {

enum class answer_kind { yes, no, unrecognised };

answer_kind classify(rt_string* answer) {
    if (answered_yes(answer)) return answer_kind::yes;
    const std::string_view upper = rt_view(rt_ucase(answer));
    if (upper == "N" || upper == "NO") return answer_kind::no;
    return answer_kind::unrecognised;
}

// True when the calculator is to start again; false for the main menu.
bool ask_continue(rt_routine& r, float& invalid_answers, continue_question question) {
    string_variable answer;
    for (;;) {
        if (question == continue_question::after_empty_line) print_line(r, 899);
        ask_string(r, 900, "WOULD YOU LIKE TO CONTINUE ", answer.text);
        answer_kind kind = answer_kind::unrecognised;
        r.statement(901, [&] { kind = classify(answer.text); });
        if (kind != answer_kind::unrecognised) return kind == answer_kind::yes;
        print_line(r, 903, "PLEASE ENTER (Y)es OR (N)o");
        r.statement(904, [&] { invalid_answers += 1; });
        if (invalid_answers == 3) return false;
    }
}

} // namespace

void run_calculator(const calculator& c) {
    for (;;) {
        rt_routine r;
        float& invalid_answers = r.local<float>();
        c.body(r);
        if (!ask_continue(r, invalid_answers, c.question)) return;
    }
}
