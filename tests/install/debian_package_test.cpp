// The Debian package CPack builds from this build folder: its control fields, its contents,
// its tree once unpacked, and lintian's verdict.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/install/installed_tree.h"
#include "tests/support/child_process.h"
#include "tests/support/xvfb_session.h"

namespace fs = std::filesystem;

namespace {

// Packing first brings the build folder up to date, which takes a while on a busy machine.
constexpr int cpack_timeout_ms = 480000;
constexpr int lintian_timeout_ms = 300000;
constexpr int tool_timeout_ms = 60000;

std::string output_of(const std::vector<std::string>& argv, int timeout_ms = tool_timeout_ms) {
    const command_result result = run_command(argv, {}, timeout_ms);
    EXPECT_EQ(result.status, 0) << argv[0] << " " << argv[1] << "\n" << result.output;
    return result.output;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// "Key: value" fields of a control file; continuation lines join their field.
std::map<std::string, std::string> control_fields(const std::string& control) {
    std::map<std::string, std::string> fields;
    std::string key;
    for (const std::string& line : lines_of(control)) {
        const size_t colon = line.find(": ");
        if (!line.empty() && line[0] == ' ') {
            fields[key] += "\n" + line;
        } else if (colon != std::string::npos) {
            key = line.substr(0, colon);
            fields[key] = line.substr(colon + 2);
        }
    }
    return fields;
}

// Package names in a Depends field, without versions or alternatives' bars.
std::set<std::string> depended_packages(const std::string& depends) {
    static const std::regex name(R"((^|[,|])\s*([a-z0-9][a-z0-9+.-]+))");
    std::set<std::string> names;
    for (std::sregex_iterator it(depends.begin(), depends.end(), name), end; it != end; ++it)
        names.insert((*it)[2]);
    return names;
}

// The shared libraries an executable names as needed ("libglut.so.3.12", ...).
std::vector<std::string> needed_libraries(const std::string& executable) {
    static const std::regex needed(R"(\(NEEDED\).*\[(.+)\])");
    std::vector<std::string> libraries;
    for (const std::string& line : lines_of(output_of({"readelf", "-d", executable}))) {
        std::smatch match;
        if (std::regex_search(line, match, needed)) libraries.push_back(match[1]);
    }
    return libraries;
}

// The installed package that holds a shared library of this machine's architecture (not a
// 32-bit copy of it).
std::string package_owning(const std::string& library) {
    static const std::string multiarch =
        lines_of(output_of({"dpkg-architecture", "-qDEB_HOST_MULTIARCH"})).at(0);
    const std::string found = output_of({"dpkg", "-S", "*/" + multiarch + "/" + library});
    return found.substr(0, found.find(':'));
}

std::string built_package(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".deb") return entry.path().string();
    return {};
}

TEST(DebianPackage, DescribesDependsUnpacksAndPassesLintian) {
    for (const char* tool :
         {"dpkg-deb", "dpkg-shlibdeps", "dpkg-architecture", "readelf", "lintian"})
        MIRVA_SKIP_WITHOUT(tool);
    temporary_folder folder;
    ASSERT_FALSE(folder.path().empty());
    output_of({MIRVA_CPACK_COMMAND, "-G", "DEB", "--config", MIRVA_BUILD_DIR "/CPackConfig.cmake",
               "-B", folder.path()},
              cpack_timeout_ms);
    const std::string package = built_package(folder.path());
    ASSERT_NE(package, "");

    std::map<std::string, std::string> fields =
        control_fields(output_of({"dpkg-deb", "--info", package, "control"}));
    EXPECT_EQ(fields["Package"], "mirvalentopraxius");
    EXPECT_TRUE(std::regex_match(fields["Maintainer"], std::regex(R"(.+ <[^@ ]+@[^@ ]+>)")))
        << fields["Maintainer"];
    EXPECT_NE(fields["Description"].find("\n "), std::string::npos) << "no extended description";

    for (const std::string& line : lines_of(output_of({"dpkg-deb", "--contents", package}))) {
        EXPECT_NE(line.find(" root/root "), std::string::npos) << line;
        EXPECT_NE(line.find(" ./usr/"), std::string::npos) << line;
    }

    const std::string root = folder.path() + "/root";
    output_of({"dpkg-deb", "--extract", package, root});
    EXPECT_EQ(installed_tree_problems(root + "/usr"), std::vector<std::string>{});
    const std::set<std::string> depends = depended_packages(fields["Depends"]);
    const std::vector<std::string> libraries =
        needed_libraries(root + "/usr/bin/mirvalentopraxius");
    ASSERT_FALSE(libraries.empty());
    for (const std::string& library : libraries)
        EXPECT_EQ(depends.count(package_owning(library)), 1u)
            << library << " from " << package_owning(library) << " not in " << fields["Depends"];

    const std::string verdict =
        output_of({"lintian", "--fail-on", "error", package}, lintian_timeout_ms);
    for (const std::string& line : lines_of(verdict)) EXPECT_NE(line.substr(0, 2), "E:") << line;
}

} // namespace
