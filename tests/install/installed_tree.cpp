#include "tests/install/installed_tree.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

struct expected_file {
    const char* path; // below the prefix
    bool executable;
};

// What the desktop, the manual and the package manager look for.
constexpr expected_file expected_files[] = {
    {"bin/mirvalentopraxius", true},
    {"share/applications/mirvalentopraxius.desktop", false},
    {"share/icons/hicolor/scalable/apps/mirvalentopraxius.svg", false},
    {"share/icons/hicolor/48x48/apps/mirvalentopraxius.png", false},
    {"share/man/man1/mirvalentopraxius.1.gz", false},
    {"share/doc/mirvalentopraxius/README.md", false},
    {"share/doc/mirvalentopraxius/docs/menu.png", false},
    {"share/doc/mirvalentopraxius/copyright", false},
    {"share/doc/mirvalentopraxius/changelog.gz", false},
};

constexpr mode_t everyone_reads = S_IRUSR | S_IRGRP | S_IROTH;
constexpr mode_t everyone_runs = S_IXUSR | S_IXGRP | S_IXOTH;

std::string file_problem(const std::string& prefix, const expected_file& file) {
    struct stat info;
    const std::string path = prefix + "/" + file.path;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return path + " is missing";
    if (info.st_size == 0) return path + " is empty";
    if ((info.st_mode & everyone_reads) != everyone_reads) return path + " is not readable";
    if (file.executable && (info.st_mode & everyone_runs) != everyone_runs)
        return path + " is not executable";
    return {};
}

// Width and height from a PNG's header chunk; 0 x 0 when it is no PNG.
std::pair<uint32_t, uint32_t> png_size(const fs::path& path) {
    constexpr char signature[] = "\x89PNG\r\n\x1a\n";
    constexpr size_t header_bytes = 24; // signature, chunk length and type, width, height
    char bytes[header_bytes] = {};
    std::ifstream(path, std::ios::binary).read(bytes, header_bytes);
    if (std::string(bytes, 8) != std::string(signature, 8)) return {0, 0};
    const auto big_endian = [&](size_t at) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
        return value;
    };
    return {big_endian(16), big_endian(20)};
}

// Every PNG under hicolor/<w>x<h>/apps must be w x h pixels.
void add_icon_size_problems(const std::string& prefix, std::vector<std::string>& problems) {
    const fs::path theme = prefix + "/share/icons/hicolor";
    std::error_code error;
    static const std::regex size_folder(R"((\d+)x(\d+))");
    for (const auto& entry : fs::directory_iterator(theme, error)) {
        std::smatch size;
        const std::string name = entry.path().filename().string();
        if (!std::regex_match(name, size, size_folder)) continue;
        const fs::path icon = entry.path() / "apps" / "mirvalentopraxius.png";
        const auto [width, height] = png_size(icon);
        if (width != std::stoul(size[1]) || height != std::stoul(size[2]))
            problems.push_back(icon.string() + " is " + std::to_string(width) + "x" +
                               std::to_string(height));
    }
}

} // namespace

temporary_folder::temporary_folder() {
    char pattern[] = "/tmp/mirva-install-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
}

temporary_folder::~temporary_folder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
}

std::vector<std::string> installed_tree_problems(const std::string& prefix) {
    std::vector<std::string> problems;
    for (const expected_file& file : expected_files) {
        std::string problem = file_problem(prefix, file);
        if (!problem.empty()) problems.push_back(std::move(problem));
    }
    add_icon_size_problems(prefix, problems);
    return problems;
}

std::map<std::string, std::string> desktop_entry_keys(const std::string& path) {
    std::map<std::string, std::string> keys;
    std::ifstream entry(path);
    std::string line;
    bool in_main_group = false;
    while (std::getline(entry, line)) {
        if (!line.empty() && line[0] == '[') {
            in_main_group = line == "[Desktop Entry]";
            continue;
        }
        const size_t equals = line.find('=');
        if (in_main_group && equals != std::string::npos && line[0] != '#')
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}
