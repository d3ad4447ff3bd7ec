#pragma once
// A private CUPS scheduler for one test: its own directories, domain socket and port under
// a temporary folder, never the machine's scheduler; stopped and removed at the end.
// Queues write each job's document to a file; the scheduler keeps every job's document,
// so a test can read back what was printed.
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

// The page of a raster file queue, as its printer description states it: A4 at 100 dpi
// with margins of 18 pt left and right and 36 pt top and bottom.
struct raster_queue_page {
    static constexpr int dpi = 100;
    static constexpr int sheet_width_pt = 595, sheet_height_pt = 842;
    static constexpr int left_pt = 18, top_pt = 36, right_pt = 577, bottom_pt = 806;
    // The same in device pixels.
    static int to_pixels(int points);
    static int left() { return to_pixels(left_pt); }
    static int top() { return to_pixels(sheet_height_pt - bottom_pt); }
    static int area_width() { return to_pixels(right_pt - left_pt); }
    static int area_height() { return to_pixels(bottom_pt - top_pt); }
};

struct printed_job {
    int id = 0;
    std::string title;    // the job name
    std::string document; // the document as the queue got it
};

class private_cups {
  public:
    private_cups();
    ~private_cups();
    private_cups(const private_cups&) = delete;
    private_cups& operator=(const private_cups&) = delete;

    // True once the scheduler answers on its socket.
    bool ready() const { return ready_; }
    const std::string& socket_path() const { return socket_; }
    int port() const { return port_; }

    // Adds an enabled queue that takes PWG raster as it comes and writes it to a file
    // (raster_queue_page describes its page); optionally the default destination.
    bool add_raster_queue(const std::string& name, bool make_default);

    // The environment that sends a client to this scheduler, with no other source of a
    // default destination (no PRINTER or LPDEST, an empty home and client configuration).
    std::vector<std::string> environment() const;
    // The same for the test process itself, for printing in-process.
    void use_for_this_process() const;

    // Jobs that have completed, in the order they were submitted.
    std::vector<printed_job> completed_jobs() const;
    // Waits until at least count jobs have completed; false after timeout_ms.
    bool wait_for_completed_jobs(size_t count, int timeout_ms) const;
    // Every job the scheduler knows of, in whatever state.
    size_t job_count() const;
    // What the queue's device file holds now (the latest job's output).
    std::string device_output(const std::string& queue) const;

  private:
    bool start();

    std::string folder_;
    std::string socket_;
    int port_ = 0;
    bool ready_ = false;
    std::unique_ptr<child_process> scheduler_;
};
