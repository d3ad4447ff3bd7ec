#pragma once
// A private CUPS scheduler for one test: its own directories, domain socket and port under
// a temporary folder, never the machine's scheduler; stopped and removed at the end.
// Queues write each job's document to a file; the scheduler keeps every job's document,
// so a test can read back what was printed.
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

// A queue's default paper as its printer description states it: the sheet, and the
// imageable area's lower-left and upper-right corners measured from the sheet's lower left,
// in points; the resolution in dots per inch.
struct queue_paper {
    int dpi;
    int sheet_width_pt, sheet_height_pt;
    int left_pt, bottom_pt, right_pt, top_pt;
    // The same in device pixels.
    int to_pixels(int points) const;
    int sheet_width() const { return to_pixels(sheet_width_pt); }
    int sheet_height() const { return to_pixels(sheet_height_pt); }
    int left() const { return to_pixels(left_pt); }
    int top() const { return to_pixels(sheet_height_pt - top_pt); }
    int area_width() const { return to_pixels(right_pt - left_pt); }
    int area_height() const { return to_pixels(top_pt - bottom_pt); }
};

// The page of a raster file queue: A4 at 100 dpi with margins of 18 pt left and right and
// 36 pt top and bottom.
inline constexpr queue_paper raster_queue_page{100, 595, 842, 18, 36, 577, 806};
// The page of a PostScript file queue: the same sheet and margins at 300 dpi.
inline constexpr queue_paper postscript_queue_page{300, 595, 842, 18, 36, 577, 806};

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
    // The same for PostScript (postscript_queue_page describes its page).
    bool add_postscript_queue(const std::string& name, bool make_default);
    // Adds an enabled queue described by a printer description file, its output written to
    // a file, with lpadmin's -o options; optionally the default destination.
    bool add_queue(const std::string& name, const std::string& ppd, bool make_default,
                   const std::vector<std::string>& options = {});

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
    bool add_file_queue(const std::string& name, const std::string& ppd_text, bool make_default);

    std::string folder_;
    std::string socket_;
    int port_ = 0;
    bool ready_ = false;
    std::unique_ptr<child_process> scheduler_;
};
