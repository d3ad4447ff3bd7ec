#pragma once
// The application's side of the statement frame: every statement runs through
// rt_routine::statement, which releases the statement's temporaries, tests the
// attention flag and reruns the statement when the check point asks for it.
#include <cstdint>
#include <utility>

#include "runtime/core/errors.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/scratch.h"

class rt_routine {
  public:
    // Takes the three marks (temporaries, scratch top, descriptor stack top).
    rt_routine();
    // Restores them, also when the routine is left by the application's go-to.
    ~rt_routine();
    rt_routine(const rt_routine&) = delete;
    rt_routine& operator=(const rt_routine&) = delete;

    // Runs the numbered statement until the check point no longer asks for a retry.
    template <class Body> void statement(uint32_t line, Body&& body) {
        for (;;) {
            if (error_state.error_pending == 0) body();
            rt_release_temporaries(temp_mark_, 0);
            if (!error_state.attention_flag.load(std::memory_order_relaxed)) return;
            rt_check_events(line);
            if (!error_state.retry) return;
        }
    }

    // A fresh numeric local on the scratch stack, set to zero.
    template <class T> T& local() {
        T* p = static_cast<T*>(rt_scratch_alloc(sizeof(T)));
        *p = T{};
        return *p;
    }

  private:
    int32_t temp_mark_;
    uint8_t* scratch_mark_;
    int32_t descriptor_mark_;
};
