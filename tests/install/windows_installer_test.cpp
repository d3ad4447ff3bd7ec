// The Windows installer and executable under Wine: the .exe carries its icon and version,
// and the installer, run silently, puts the program into Program Files with a Start-menu
// entry and a registered uninstaller; the installed program shows the menu, and the
// uninstaller takes everything away again. Runs in the Wine that scripts/with-wine.sh made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/support/calculator_window.h"
#include "tests/support/child_process.h"
#include "tests/support/x_window.h"
#include "tests/support/xvfb_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int install_timeout_ms = 120000;
constexpr int registry_timeout_ms = 30000;
constexpr int removal_timeout_ms = 30000;
constexpr int window_timeout_ms = 20000;
constexpr int menu_timeout_ms = 10000;
constexpr int close_timeout_ms = 5000;
constexpr int poll_interval_ms = 100;
const char* const uninstall_key =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MIRVALENTOPRAXIUS";

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Windows' resources and shortcuts hold their text as UTF-16LE.
std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += {c, '\0'};
    return out;
}

// A string of the version resource: its key, NUL-terminated, then zero padding to a
// 32-bit boundary, then the value up to its NUL. Empty when the key is missing.
std::string version_string(const std::string& exe, const std::string& key) {
    const std::string tagged = utf16(key) + std::string(2, '\0');
    size_t at = exe.find(tagged);
    if (at == std::string::npos) return {};
    at += tagged.size();
    while (at + 1 < exe.size() && exe[at] == '\0' && exe[at + 1] == '\0') at += 2;
    std::string value;
    for (; at + 1 < exe.size() && exe[at] != '\0'; at += 2) value += exe[at];
    return value;
}

std::string wine() {
    return program_launcher();
}

std::string wine_prefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix ? prefix : "";
}

bool registered(const xvfb_session& xvfb, const std::string& key) {
    return run_command({wine(), "reg", "query", key}, xvfb.environment(), registry_timeout_ms)
               .status == 0;
}

// NSIS's uninstaller copies itself away and returns at once; the copy removes the folder.
bool removed_within(const fs::path& folder, int timeout_ms) {
    const int64_t end = rt_clock_ms() + timeout_ms;
    while (rt_clock_ms() < end) {
        if (!fs::exists(folder)) return true;
        rt_sleep_ms(poll_interval_ms);
    }
    return !fs::exists(folder);
}

TEST(WindowsExecutable, CarriesItsIconAndVersion) {
    const std::string exe = file_bytes(MIRVA_EXECUTABLE);
    ASSERT_FALSE(exe.empty());
    const std::string icon = file_bytes(MIRVA_ICON_PNG);
    ASSERT_FALSE(icon.empty());
    EXPECT_NE(exe.find(icon), std::string::npos) << "no icon resource";
    EXPECT_EQ(version_string(exe, "ProductName"), "MIRVALENTOPRAXIUS");
    EXPECT_EQ(version_string(exe, "ProductVersion"), MIRVA_VERSION);
    EXPECT_EQ(version_string(exe, "FileDescription"), "Welding calculator");
}

// The subsystem field of a program's PE header (2: windowed, 3: console); 0 when the file
// is no PE program.
int pe_subsystem(const std::string& exe) {
    constexpr size_t header_offset_at = 0x3C, signature_size = 4, file_header_size = 20,
                     subsystem_in_optional_header = 68;
    auto read_le = [&](size_t at, size_t size) {
        uint32_t value = 0;
        for (size_t i = 0; i < size && at + i < exe.size(); ++i)
            value |= uint32_t(uint8_t(exe[at + i])) << (8 * i);
        return value;
    };
    const size_t header = read_le(header_offset_at, 4);
    if (exe.compare(0, 2, "MZ") != 0 || exe.compare(header, 4, std::string("PE\0\0", 4)) != 0)
        return 0;
    return static_cast<int>(
        read_le(header + signature_size + file_header_size + subsystem_in_optional_header, 2));
}

// Started from the Start menu, no console window opens beside the calculator's; started
// from a shell, its answers still reach the shell.
TEST(WindowsExecutable, IsAWindowedProgramThatStillAnswersOnItsStreams) {
    constexpr int windowed_subsystem = 2;
    EXPECT_EQ(pe_subsystem(file_bytes(MIRVA_EXECUTABLE)), windowed_subsystem);
    ASSERT_NE(wine(), "");
    const command_result version = run_command({wine(), MIRVA_EXECUTABLE, "--version"},
                                               environment_with({}), close_timeout_ms * 4);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "mirvalentopraxius " MIRVA_VERSION "\r\n"); // Windows line end
}

TEST(WindowsInstaller, InstallsSilentlyStartsAndUninstalls) {
    ASSERT_NE(wine(), "");
    ASSERT_NE(wine_prefix(), "");
    MIRVA_SKIP_WITHOUT("Xvfb");
    MIRVA_SKIP_WITHOUT("xdotool");
    // Every Wine program of the test sees the display: the first one's desktop process
    // serves the programs after it.
    xvfb_session xvfb;
    ASSERT_TRUE(xvfb.ready());
    const fs::path folder = wine_prefix() + "/drive_c/Program Files/MIRVALENTOPRAXIUS";
    const fs::path shortcut = wine_prefix() + "/drive_c/ProgramData/Microsoft/Windows/Start Menu/"
                                              "Programs/MIRVALENTOPRAXIUS/MIRVALENTOPRAXIUS.lnk";

    const command_result installed = run_command({wine(), MIRVA_WINDOWS_INSTALLER, "/S"},
                                                 xvfb.environment(), install_timeout_ms);
    ASSERT_EQ(installed.status, 0);
    for (const char* file :
         {"mirvalentopraxius.exe", "libfreeglut.dll", "OpenAL32.dll", "Uninstall.exe"})
        EXPECT_TRUE(fs::is_regular_file(folder / file)) << file;
    EXPECT_TRUE(registered(xvfb, uninstall_key));
    // The shortcut starts the program silent where there is no sound output, with its icon.
    const std::string link = file_bytes(shortcut.string());
    ASSERT_FALSE(link.empty()) << shortcut;
    EXPECT_NE(link.find(utf16("--silent-if-no-sound")), std::string::npos);
    EXPECT_NE(link.find(utf16("MIRVALENTOPRAXIUS\\mirvalentopraxius.exe")), std::string::npos);

    {
        std::unique_ptr<child_process> program;
        const x_window_id window =
            start_calculator(xvfb, (folder / "mirvalentopraxius.exe").string(), program,
                             window_timeout_ms, {}, {"--silent-if-no-sound"});
        ASSERT_NE(window, 0u);
        EXPECT_TRUE(wait_for_menu(xvfb.display_name(), window, menu_timeout_ms));
        ASSERT_TRUE(send_delete_window(xvfb.display_name(), window));
        EXPECT_EQ(program->wait_exit(close_timeout_ms), 0);
    }

    const command_result uninstalled =
        run_command({wine(), (folder / "Uninstall.exe").string(), "/S"}, xvfb.environment(),
                    install_timeout_ms);
    ASSERT_EQ(uninstalled.status, 0);
    EXPECT_TRUE(removed_within(folder, removal_timeout_ms));
    // The Start-menu folder goes last, after the registry entry.
    EXPECT_TRUE(removed_within(shortcut.parent_path(), removal_timeout_ms));
    EXPECT_FALSE(registered(xvfb, uninstall_key));
}

} // namespace
