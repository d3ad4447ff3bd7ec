#pragma once
// Plain words shared between the program, service, timer and window threads.
// One side writes, the other polls with short sleeps; no locks are taken.
#include <atomic>
#include <cstdint>

extern std::atomic<uint8_t> stop_request;      // the program is to stop now
extern std::atomic<uint32_t> close_request;    // 1: close button; 2: Break under an exit trap
extern std::atomic<int32_t> exit_trap;         // zero for the whole run of this application
extern std::atomic<uint8_t> shutting_down;     // set by the service thread when shutdown begins
extern std::atomic<uint32_t> finished_threads; // 1: program thread parked; 2: timer thread ended
extern std::atomic<uint8_t> paused;            // bit value 1 set by the Pause key
extern std::atomic<int32_t> auto_display;      // 1 automatic refresh, 0 on request, -1 once more
extern std::atomic<uint32_t> refresh_count;    // frames built; bit value 8 is the blink phase
extern std::atomic<int32_t> frame_lock;        // 0 free, 1 requested, 2 granted
extern std::atomic<int32_t> service_pause;     // 0 free, 1 requested, 2 granted
extern std::atomic<int32_t> timer_pause;       // 0 free, 1 requested, 2 granted
extern std::atomic<int32_t> window_ready;      // the freeglut window exists
extern std::atomic<int32_t> exit_code;         // passed to exit() at shutdown
extern std::atomic<int32_t> display_running;   // the service thread builds frames
extern std::atomic<uint32_t> frame_requests;   // counts requests for a frame out of turn

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
