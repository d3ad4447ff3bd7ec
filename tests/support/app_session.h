#pragma once
// Drives the application in-process: the runtime starts without a window, keys go in
// through the freeglut keyboard path and the visible page is read back.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/errors.h"
#include "runtime/screen/image.h"

class app_session {
  public:
    // Starts the runtime headless with the routine (default: the calculator).
    explicit app_session(rt_main_routine routine = nullptr);

    // Types the characters ('\r' is Enter), waiting whenever the key queue is full.
    void type(std::string_view keys);
    // Waits until the key queue has room for one more key.
    void wait_for_key_room() const;
    // Types a line and Enter.
    void enter(std::string_view line) {
        type(line);
        type("\r");
    }

    rt_image& page() const;
    // The visible page's rows without trailing blanks, trailing empty rows dropped.
    std::vector<std::string> rows() const;
    std::string row(int number) const; // 1-based

    // Waits until the predicate holds; false after timeout_ms.
    bool wait_for(const std::function<bool()>& done, int timeout_ms = 10000) const;
    // Waits until some row reads exactly text.
    bool wait_for_row_text(const std::string& text, int timeout_ms = 10000) const;
    // Waits until the program thread sits in a key wait with every typed key read: only then
    // may the test read state that the program thread owns.
    bool wait_until_program_waits(int timeout_ms = 10000) const;
    // Waits until the last non-empty row reads exactly text (the program waits there).
    bool wait_for_last_row(const std::string& text, int timeout_ms = 10000) const;
};

// Waits until the service thread has finished the pass it may be in and one more, so that
// whatever it was seen to start has been completed. False after timeout_ms.
bool wait_for_service_pass(int timeout_ms = 10000);

// The rows joined with new lines, for readable failure messages.
std::string screen_text(const std::vector<std::string>& rows);
