#pragma once
// What an installed copy of the calculator holds, checked the same way for an install
// prefix and for the Debian package's tree.
#include <map>
#include <string>
#include <vector>

// A folder under /tmp, removed with everything in it when the object goes.
class temporary_folder {
  public:
    temporary_folder();
    ~temporary_folder();
    temporary_folder(const temporary_folder&) = delete;
    temporary_folder& operator=(const temporary_folder&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// What is wrong with the installed tree below prefix ("/usr" in a package): missing or
// unreadable files, an executable without its permission, an icon whose size differs
// from its folder's name. Empty when the tree is complete.
std::vector<std::string> installed_tree_problems(const std::string& prefix);

// The entry's "Key=value" lines of its main group, as "Key" -> "value".
std::map<std::string, std::string> desktop_entry_keys(const std::string& path);
