#pragma once
// Plain words shared between the program, service, timer and window threads. One side
// writes, the other polls with short sleeps; no locks are taken.
#include <atomic>
#include <cstdint>

// Each field names the thread that writes it; the others read.
struct rt_run_control {
    std::atomic<uint8_t> stop_request{0};      // any thread: the program is to stop now
    std::atomic<uint32_t> close_request{0};    // window: 1 close button, 2 Break under exit trap
    std::atomic<int32_t> exit_trap{0};         // program: zero for this application's whole run
    std::atomic<uint8_t> shutting_down{0};     // service: shutdown has begun
    std::atomic<uint32_t> finished_threads{0}; // program 1 when parked, timer 2 when ended
    std::atomic<uint8_t> paused{0};            // window: bit value 1 set by the Pause key
    std::atomic<int32_t> auto_display{1};      // program: 1, 0 or -1 once more; frames turn -1 to 0
    std::atomic<uint32_t> refresh_count{0};    // service: frames built; bit value 8 blinks
    std::atomic<int32_t> frame_lock{0};        // program: 1 ask, 0 free; frame builder: 2 grant
    std::atomic<int32_t> exit_code{0};         // test programs only: passed to exit() at the end
    std::atomic<int32_t> display_running{0};   // service: it builds frames
    std::atomic<uint32_t> frame_requests{0};   // any thread: asks for a frame out of turn
    std::atomic<uint8_t> window_ready{0};      // window: the window exists
};

extern rt_run_control run_control;

// Asks the program to stop; the service thread then begins the shutdown. Any thread.
void rt_request_stop();
// Asks the service thread for a frame before the next regular one: the page has just
// changed in answer to keys. Any thread.
void rt_request_frame();

// Page changes on the program thread fence the frame builder with these two.
void rt_take_frame_lock();
void rt_release_frame_lock();
// The frame builder's side of the handshake: turns a request into a grant.
// Returns true when no page change is in progress and a frame may be built.
bool rt_frame_lock_acknowledge();
