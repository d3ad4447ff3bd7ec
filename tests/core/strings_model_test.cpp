// A randomised run of string operations checked against std::string after every
// step: variables in the heap and in low memory, fixed strings, temporaries, nested
// statement marks, heap compaction and growth, and list growth past 65,535 entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/low_memory.h"
#include "runtime/core/string_heap.h"
#include "tests/support/string_testing.h"

namespace {

struct model_string {
    rt_string* s;
    std::string value;
};

// An operand taken for an operation; a temporary is out of the model until the
// operation's result says what became of it.
struct operand {
    rt_string* s;
    std::string value;
    bool temporary;
};

constexpr int heap_variables = 24;
constexpr int low_variables = 4;
constexpr size_t low_variable_limit = 2000;
constexpr size_t concat_limit = 200000;
const int fixed_lengths[] = {1, 5, 16, 80};

const char* const texts[] = {"",        " ",          "A",     "abc",       "  lead",
                             "trail  ", "MiXeD cAsE", "x y z", "ABCABCABC", "0123456789"};

class StringModel : public ::testing::Test {
  protected:
    void SetUp() override {
        error_state.error_pending = 0;
        rt_low_memory_reset();
        rt_strings_init();
        for (int i = 0; i < heap_variables; ++i) vars.push_back({rt_string_new(0, false), ""});
        for (int i = 0; i < low_variables; ++i)
            vars.push_back({rt_string_new_low_memory(0, false), ""});
        for (int n : fixed_lengths) {
            buffers.emplace_back(size_t(n), ' ');
            vars.push_back({rt_string_fixed(buffers.back().data(), n, false), std::string(n, ' ')});
        }
        marks.push_back(rt_temporary_count());
    }

    std::mt19937 rng{20261208};
    std::vector<model_string> vars; // heap variables, then low-memory, then fixed
    std::vector<std::vector<uint8_t>> buffers;
    std::vector<model_string> temps;
    std::vector<int32_t> marks;
    int moved_without_assignment = 0;

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int percent) { return below(100) < percent; }

    // Lengths: mostly short, some up to medium_length, a few long ones.
    int short_per_mille = 850;
    int medium_length = 2000;
    size_t random_length() {
        int r = below(1000);
        if (r < short_per_mille) return size_t(below(24));
        if (r < 985) return size_t(below(medium_length));
        return size_t(20000 + below(60000));
    }
    // Random bytes (spaces, letters of both cases, digits, a high byte) cut from a pool.
    std::string random_text(size_t n) {
        static const std::string pool = [] {
            static const char alphabet[] = "  abcxyzABCXYZ019.\xff";
            std::mt19937 pool_rng(7);
            std::string p(131072, ' ');
            for (char& c : p) c = alphabet[pool_rng() % (sizeof alphabet - 1)];
            return p;
        }();
        return pool.substr(size_t(below(int(pool.size() - n + 1))), n);
    }

    bool is_low(size_t v) const {
        return v >= heap_variables && v < heap_variables + low_variables;
    }
    bool is_fixed(size_t v) const { return v >= heap_variables + low_variables; }

    operand take_operand() {
        if (!temps.empty() && chance(60)) {
            size_t i = size_t(below(int(temps.size())));
            model_string t = temps[i];
            temps.erase(temps.begin() + long(i));
            return {t.s, t.value, true};
        }
        const model_string& v = vars[size_t(below(int(vars.size())))];
        return {v.s, v.value, false};
    }
    // The operand was not consumed: a temporary goes back into the model.
    void keep(const operand& o) {
        if (o.temporary) temps.push_back({o.s, o.value});
    }
    // A function result: a temporary joins the model, anything else must be a variable.
    void result(rt_string* r, const std::string& expected) {
        ASSERT_EQ(text_of(r), expected);
        if (r->temporary)
            temps.push_back({r, expected});
        else
            ASSERT_TRUE(std::any_of(vars.begin(), vars.end(), [r](auto& v) { return v.s == r; }));
    }

    void make_temporary() {
        switch (below(5)) {
        case 0: {
            std::string t = random_text(random_length());
            temps.push_back({temporary_with(t), t});
            break;
        }
        case 1: {
            const char* t = texts[below(std::size(texts))];
            temps.push_back({rt_string_from_text(t), t});
            break;
        }
        case 2: {
            int n = below(40) - 5;
            temps.push_back({rt_space(n), std::string(size_t(std::max(n, 0)), ' ')});
            break;
        }
        case 3: {
            int code = below(256);
            temps.push_back({rt_chr(code), std::string(1, char(code))});
            break;
        }
        default: {
            size_t n = std::min(random_length(), low_variable_limit / 4);
            rt_string* s = rt_string_new_low_memory(int32_t(n), true);
            std::string t = random_text(n);
            if (n) std::memcpy(s->data, t.data(), n);
            temps.push_back({s, t});
        }
        }
    }

    void assign() {
        size_t d = size_t(below(int(vars.size())));
        operand src = take_operand();
        if (is_low(d) && src.value.size() > low_variable_limit) {
            keep(src);
            return;
        }
        rt_string_assign(vars[d].s, src.s);
        std::string& value = vars[d].value;
        if (is_fixed(d)) {
            std::string padded = src.value.substr(0, value.size());
            padded.resize(value.size(), ' ');
            value = padded;
        } else {
            value = src.value;
        }
    }

    // A variable extended by a few bytes from a text: growth in place or a move.
    void extend() {
        model_string& v = vars[size_t(below(heap_variables + low_variables))];
        if (v.value.size() > low_variable_limit) return;
        std::string grown = v.value + random_text(size_t(1 + below(40)));
        rt_string_assign(v.s, rt_string_from_bytes(grown.data(), int32_t(grown.size())));
        v.value = grown;
    }

    void concat() {
        operand a = take_operand();
        operand b = take_operand();
        if (a.value.size() + b.value.size() > concat_limit) {
            keep(a);
            keep(b);
            return;
        }
        rt_string* r = rt_string_concat(a.s, b.s);
        if (b.value.empty()) {
            ASSERT_EQ(r, a.s);
            if (b.s != a.s) keep(b);
        } else if (a.value.empty()) {
            ASSERT_EQ(r, b.s);
            keep(a);
        }
        result(r, a.value + b.value);
    }

    void string_function() {
        operand o = take_operand();
        const std::string& v = o.value;
        int n = below(30) - 5;
        int len = int(v.size());
        std::string expected;
        rt_string* r = nullptr;
        switch (below(7)) {
        case 0:
            r = rt_ucase(o.s);
            expected = v;
            for (char& c : expected)
                if (c >= 'a' && c <= 'z') c = char(c - 32);
            break;
        case 1:
            r = rt_lcase(o.s);
            expected = v;
            for (char& c : expected)
                if (c >= 'A' && c <= 'Z') c = char(c + 32);
            break;
        case 2:
            r = rt_left(o.s, n);
            expected = v.substr(0, size_t(std::clamp(n, 0, len)));
            break;
        case 3:
            r = rt_right(o.s, n);
            expected = v.substr(size_t(len - std::clamp(n, 0, len)));
            break;
        case 4: {
            int start = below(30) - 5;
            bool given = chance(70);
            r = rt_mid(o.s, start, n, given);
            int64_t count = given ? n : len - start + 1;
            int64_t first = start;
            if (first < 1) count -= 1 - first, first = 1;
            if (count >= 1 && first <= len) expected = v.substr(size_t(first - 1), size_t(count));
            break;
        }
        case 5: {
            r = rt_ltrim(o.s);
            size_t k = v.find_first_not_of(' ');
            expected = k == std::string::npos ? "" : v.substr(k);
            break;
        }
        default: {
            r = rt_rtrim(o.s);
            size_t k = v.find_last_not_of(' ');
            expected = k == std::string::npos ? "" : v.substr(0, k + 1);
        }
        }
        result(r, expected);
    }

    void compare() {
        operand a = take_operand();
        operand b = take_operand();
        int32_t t = -1;
        ASSERT_EQ(rt_string_equal(a.s, b.s), a.value == b.value ? t : 0);
        ASSERT_EQ(rt_string_less(a.s, b.s), a.value < b.value ? t : 0);
        ASSERT_EQ(rt_string_greater_equal(a.s, b.s), a.value >= b.value ? t : 0);
        int start = below(12) - 2;
        size_t found = start < 1 ? a.value.find(b.value) : a.value.find(b.value, size_t(start - 1));
        int32_t expected = 0;
        if (!a.value.empty() && !(start <= 0 && b.value.empty()) && start <= int(a.value.size()))
            expected = found == std::string::npos ? 0 : int32_t(found) + 1;
        ASSERT_EQ(rt_instr(start, a.s, b.s, true), expected) << start;
        keep(a);
        keep(b);
    }

    void mid_assign() {
        size_t d = size_t(below(int(vars.size())));
        operand t = take_operand();
        int start = below(20) + 1;
        bool given = chance(50);
        int n = below(10);
        rt_mid_assign(vars[d].s, start, n, t.s, given);
        std::string& value = vars[d].value;
        if (start <= int(value.size())) {
            size_t count = std::min(value.size() - size_t(start - 1), t.value.size());
            if (given) count = std::min(count, size_t(n));
            value.replace(size_t(start - 1), count, t.value.substr(0, count));
        }
        if (t.s == vars[d].s) keep(t);
    }

    void free_temporary() {
        if (temps.empty()) return;
        size_t i = size_t(below(int(temps.size())));
        rt_string_free(temps[i].s);
        temps.erase(temps.begin() + long(i));
    }

    void release_to(int32_t mark) {
        std::erase_if(temps, [mark](const model_string& t) { return t.s->temp_index >= mark; });
        rt_release_temporaries(mark, 0);
    }

    void end_statement() { release_to(marks.back()); }
    void enter_routine() {
        if (marks.size() < 4) marks.push_back(rt_temporary_count());
    }
    void leave_routine() {
        if (marks.size() == 1) return;
        release_to(marks.back());
        marks.pop_back();
    }

    // One statement with more than 65,535 live temporaries.
    void flood() {
        enter_routine();
        std::vector<rt_string*> made;
        for (int i = 0; i < 70000; ++i) made.push_back(rt_string_fill(1 + i % 3, 'a' + i % 26));
        for (int i = 0; i < 70000; ++i)
            ASSERT_EQ(text_of(made[size_t(i)]), std::string(size_t(1 + i % 3), char('a' + i % 26)));
        leave_routine();
    }

    // One random operation; true when it made new strings without assigning any.
    bool step() {
        int r = below(100);
        if (r < 25)
            make_temporary();
        else if (r < 45)
            assign();
        else if (r < 57)
            concat();
        else if (r < 72)
            string_function();
        else if (r < 80)
            compare();
        else if (r < 85)
            mid_assign();
        else if (r < 89)
            free_temporary();
        else if (r < 96)
            end_statement();
        else if (r < 98)
            enter_routine();
        else
            leave_routine();
        return r < 25 || (r >= 45 && r < 72);
    }

    void check_values() {
        for (const model_string& v : vars) ASSERT_TRUE(rt_view(v.s) == v.value);
        for (const model_string& t : temps) {
            ASSERT_TRUE(rt_view(t.s) == t.value);
            ASSERT_EQ(temp_list.entries[t.s->temp_index], t.s);
        }
    }

    void check_descriptors() {
        for (size_t i = heap_variables; i < heap_variables + low_variables; ++i) {
            const rt_string* s = vars[i].s;
            const uint8_t* d = s->low_descriptor;
            ASSERT_EQ(d[0] | d[1] << 8, s->len);
            ASSERT_EQ(d[2] | d[3] << 8, s->data - low_string_region.begin);
        }
    }

    // Live heap strings lie in list order, apart and inside the used part.
    void check_heap_list() {
        const uint8_t* end = string_heap.begin;
        for (int32_t i = 0; i < heap_list.count; ++i) {
            const rt_string* s = heap_list.entries[i];
            if (s == freed_entry()) continue;
            ASSERT_EQ(s->list_index, i);
            ASSERT_GE(s->data, end);
            end = s->data + s->len;
        }
        ASSERT_LE(end - string_heap.begin, string_heap.used);
        ASSERT_LE(string_heap.used, string_heap.size);
    }
    void run(int operations, const std::vector<int>& flood_steps) {
        std::vector<uint8_t*> before(vars.size());
        for (int n = 0; n < operations; ++n) {
            for (size_t i = 0; i < vars.size(); ++i) before[i] = vars[i].s->data;
            bool made_strings = false;
            if (std::find(flood_steps.begin(), flood_steps.end(), n) != flood_steps.end())
                flood();
            else
                made_strings = step();
            if (HasFatalFailure()) FAIL() << "step " << n;
            check_values();
            if (HasFatalFailure()) FAIL() << "step " << n;
            for (size_t i = 0; made_strings && i < heap_variables; ++i)
                if (vars[i].s->data != before[i]) ++moved_without_assignment;
            if (n % 500 == 0) {
                check_heap_list();
                check_descriptors();
                if (HasFatalFailure()) FAIL() << "step " << n;
            }
        }
        while (marks.size() > 1) leave_routine();
        end_statement();
        check_values();
        EXPECT_EQ(temp_list.count, 1);
    }
};

TEST_F(StringModel, HundredThousandOperationsMatchStdString) {
    run(100000, {30000, 70000});
    EXPECT_GT(string_heap.size, string_heap_first_size);
    EXPECT_GT(temp_list.capacity, string_list_first_capacity);
    EXPECT_GT(heap_list.capacity, string_list_first_capacity);
}

TEST_F(StringModel, MediumStringsCompactTheHeapAgainAndAgain) {
    short_per_mille = 100;
    medium_length = 16000;
    run(40000, {});
    EXPECT_GT(moved_without_assignment, 100); // compaction moved live strings
}

} // namespace
