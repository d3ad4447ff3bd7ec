// The Windows host's own services, on Windows (or under Wine).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "runtime/platform/executable_path.h"
#include "runtime/platform/message_box.h"
#include "runtime/platform/thread_name.h"
#include "runtime/platform/wake_word.h"
#include "runtime/platform/windows/windows_host.h"

// The import library has it; the headers of this mingw-w64 do not declare it.
extern "C" HRESULT WINAPI GetThreadDescription(HANDLE thread, PWSTR* description);

namespace {

using namespace std::chrono_literals;

TEST(WindowsHost, AMessageBoxThatIsUpGivesWayWithItsDecliningAnswer) {
    auto answer = std::async(std::launch::async, [] {
        return platform_message_box("Unhandled Error #5", "Line:422\nIllegal function call",
                                    box_buttons::yes_no);
    });
    std::this_thread::sleep_for(500ms); // the box is up, or on its way
    platform_message_boxes_give_way();
    ASSERT_EQ(answer.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(answer.get(), box_answer::no);
    EXPECT_EQ(platform_message_box("Critical Error", "Division by zero", box_buttons::ok),
              box_answer::ok);
}

TEST(WindowsHost, AWaitOnAWordEndsWhenTheWordChanges) {
    std::atomic<uint32_t> word{0};
    // Without the wake the waiter would sleep out its minute.
    auto waited = std::async(std::launch::async, [&word] {
        while (word.load() == 0) platform_wait_on_word(word, 0, 60000);
    });
    std::this_thread::sleep_for(100ms);
    word.store(1);
    platform_wake_word(word);
    EXPECT_EQ(waited.wait_for(30s), std::future_status::ready);
}

TEST(WindowsHost, NamesCrossToWindowsAsUtf16AndBack) {
    rt_name_this_thread("service");
    PWSTR description = nullptr;
    ASSERT_TRUE(SUCCEEDED(GetThreadDescription(GetCurrentThread(), &description)));
    EXPECT_STREQ(description, L"service");
    LocalFree(description);

    const std::string path = platform_executable_path();
    const std::filesystem::path read_back(std::u8string(path.begin(), path.end()));
    EXPECT_EQ(read_back.filename().string(), "test_platform.exe");
    EXPECT_EQ(windows_utf8_of(windows_utf16_of("Pr\xC3\xBC"
                                               "fung \xE2\x98\x83")),
              "Pr\xC3\xBC"
              "fung \xE2\x98\x83");
}

} // namespace
