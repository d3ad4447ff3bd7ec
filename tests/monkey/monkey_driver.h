#pragma once
// A monkey at the calculator's keyboard: it chooses menu entries, types random keys into
// them in bursts that end at an Enter, and steers back to the menu when asked. It reads
// the program's state only while the program thread waits for a key.
#include <cstdint>
#include <deque>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include "tests/monkey/monkey_keys.h"
#include "tests/support/app_session.h"

// What the runtime holds that must not grow from one round of the menu to the next.
struct memory_marks {
    int64_t heap_used;
    int32_t heap_strings;
    int32_t temporaries;
    const uint8_t* scratch_top;
    int32_t images;
    int32_t sound_handles;
    bool operator==(const memory_marks&) const = default;
};
std::ostream& operator<<(std::ostream& out, const memory_marks& marks);

class monkey {
  public:
    monkey(app_session& app, uint64_t seed) : app(app), random(seed) {}

    // Waits for the menu with nothing typed. False when it does not come.
    bool at_menu_now();
    // At the menu: a few keys that cannot end the line, taken back again, sometimes an
    // invalid selection, then the entry's number and Enter. True once the entry runs.
    bool choose(int entry);
    // Types about count keys into the running entry: random keys, and at the start of a
    // line now and then a typed answer. Stops early when the entry goes back to the menu
    // by itself. False when the program stops answering.
    bool play(int64_t count);
    // Presses Enter until the menu is back (Enter also answers "press any key"): every
    // prompt takes an empty line and the questions go back on empty answers. False when
    // that takes more than max_keys_to_menu keys or the program stops answering.
    bool back_to_menu();

    // Uses once what the runtime makes on first use and then keeps: the printer page (a
    // cost table of ones, printed) and the tone stream (the beep of a third-leg echo).
    // False when the scripted answers do not lead where they should.
    bool use_what_is_made_once();

    // Only while the program thread waits for a key.
    memory_marks marks() const;

    int64_t random_keys() const { return random_keys_typed; }
    // The last keys and the screen, for failure messages.
    std::string trail() const;

    static constexpr int max_keys_to_menu = 64;

  private:
    void type(const monkey_key& key);
    void type_text(const std::string& text);
    bool settle();
    bool at_menu() const;
    bool in_error_trap() const;
    // Answers 1 to every prompt of a text screen until the question is asked.
    bool answer_ones_until(std::string_view question);

    app_session& app;
    std::mt19937_64 random;
    int64_t random_keys_typed = 0;
    bool trap_answered = false;
    std::deque<std::string> last_keys;
};
