#pragma once
// A private X server for one test: Xvfb on a free display number, 1280x1024 at
// 24 bits, stopped when the session ends.
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Skips the current test when a program it needs is not installed.
#define MIRVA_SKIP_WITHOUT(program)                                                                \
    do {                                                                                           \
        if (!program_installed(program)) GTEST_SKIP() << program << " is not installed";           \
    } while (0)

bool program_installed(const std::string& name);

class xvfb_session {
  public:
    xvfb_session();
    ~xvfb_session();
    xvfb_session(const xvfb_session&) = delete;
    xvfb_session& operator=(const xvfb_session&) = delete;

    // True once the server answers connections.
    bool ready() const { return !display_name_.empty(); }
    const std::string& display_name() const { return display_name_; } // ":57"
    // Makes the server the test process's own display (for code that opens DISPLAY).
    void use_as_default_display() const;
    // The test's environment with DISPLAY pointing at this server and OpenAL Soft's
    // silent null output as the audio device, for child programs; entries of `overrides`
    // ("NAME=value") replace those or add to them.
    std::vector<std::string> environment(const std::vector<std::string>& overrides = {}) const;

  private:
    bool start_on(int display_number);

    std::unique_ptr<child_process> server_;
    std::string display_name_;
};

// A test with a private X server of its own; skipped when Xvfb or xdotool is missing.
class private_display_test : public ::testing::Test {
  protected:
    void SetUp() override {
        MIRVA_SKIP_WITHOUT("Xvfb");
        MIRVA_SKIP_WITHOUT("xdotool");
        x_ = std::make_unique<xvfb_session>();
        ASSERT_TRUE(x_->ready());
    }
    std::unique_ptr<xvfb_session> x_;
};
