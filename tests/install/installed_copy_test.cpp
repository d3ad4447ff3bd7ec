// The calculator installed with `cmake --install` into a prefix of its own: the files a
// desktop needs, a valid desktop entry, and the installed executable starting from its
// own folder and showing the menu.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/platform/clock.h"
#include "tests/install/installed_tree.h"
#include "tests/support/calculator_window.h"
#include "tests/support/child_process.h"
#include "tests/support/xvfb_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int install_timeout_ms = 120000;
constexpr int validate_timeout_ms = 30000;
constexpr int window_timeout_ms = 20000;
constexpr int menu_timeout_ms = 10000;
constexpr int xprop_timeout_ms = 10000;
// The menu's rows above the prompt row, where the cursor may blink.

class InstalledCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(folder.path().empty());
        const command_result installed =
            run_command({MIRVA_CMAKE_COMMAND, "--install", MIRVA_BUILD_DIR, "--prefix", prefix()},
                        {}, install_timeout_ms);
        ASSERT_EQ(installed.status, 0) << installed.output;
    }

    std::string prefix() const { return folder.path() + "/prefix"; }
    std::string desktop_entry() const {
        return prefix() + "/share/applications/mirvalentopraxius.desktop";
    }

    temporary_folder folder;
};

// The words of an Exec line (which quotes nothing here).
std::vector<std::string> entry_command(const std::string& exec) {
    std::vector<std::string> words;
    std::istringstream in(exec);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

TEST_F(InstalledCopy, HoldsEveryFileTheDesktopNeeds) {
    EXPECT_EQ(installed_tree_problems(prefix()), std::vector<std::string>{});
}

TEST_F(InstalledCopy, DesktopEntryIsValidAndNamesTheInstalledFiles) {
    MIRVA_SKIP_WITHOUT("desktop-file-validate");
    const command_result validated =
        run_command({"desktop-file-validate", desktop_entry()}, {}, validate_timeout_ms);
    EXPECT_EQ(validated.status, 0);
    EXPECT_EQ(validated.output, ""); // not even a hint

    std::map<std::string, std::string> keys = desktop_entry_keys(desktop_entry());
    EXPECT_EQ(keys["Terminal"], "false");
    for (const char* key : {"Name", "Comment", "Categories"}) EXPECT_NE(keys[key], "") << key;
    EXPECT_TRUE(fs::is_regular_file(prefix() + "/bin/" + entry_command(keys["Exec"]).at(0)))
        << keys["Exec"];
    EXPECT_TRUE(fs::is_regular_file(prefix() + "/share/icons/hicolor/scalable/apps/" +
                                    keys["Icon"] + ".svg"))
        << keys["Icon"];
}

// Started as the desktop entry starts it, from the test's folder, it works in the folder it
// was installed to, shows the menu, and gives its window the class that ties it to the
// desktop entry (and its icon).
TEST_F(InstalledCopy, StartsFromItsInstalledPlace) {
    MIRVA_SKIP_WITHOUT("Xvfb");
    MIRVA_SKIP_WITHOUT("xdotool");
    MIRVA_SKIP_WITHOUT("xprop");
    xvfb_session xvfb;
    ASSERT_TRUE(xvfb.ready());
    std::unique_ptr<child_process> program;
    const std::vector<std::string> command =
        entry_command(desktop_entry_keys(desktop_entry())["Exec"]);
    ASSERT_FALSE(command.empty());
    const x_window_id window =
        start_calculator(xvfb, prefix() + "/bin/" + command[0], program, window_timeout_ms, {},
                         std::vector<std::string>(command.begin() + 1, command.end()));
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(wait_for_menu(xvfb.display_name(), window, menu_timeout_ms));
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(program->pid()) + "/cwd"),
              fs::path(prefix() + "/bin"));

    const command_result window_class = run_command(
        {"xprop", "-id", std::to_string(window), "WM_CLASS"}, xvfb.environment(), xprop_timeout_ms);
    const std::string entry_class = desktop_entry_keys(desktop_entry())["StartupWMClass"];
    ASSERT_NE(entry_class, "");
    EXPECT_NE(window_class.output.find(", \"" + entry_class + "\"\n"), std::string::npos)
        << window_class.output;
}

} // namespace
