#pragma once
// What surrounds the program under test on either host: the launcher that runs it, how it
// names this machine's paths, and this process's environment variables, which it and the
// libraries it loads read.
#include <string>

// The program that runs the program under test when this host cannot (MIRVA_LAUNCHER:
// wine64 for the Windows build); empty when it runs by itself.
std::string program_launcher();
// A path of this machine as the program under test names it: under a launcher, a Windows
// path on Wine's drive Z:, which is the whole file system.
std::string program_path(const std::string& path);

// Sets or removes one of this process's environment variables.
void set_environment_variable(const std::string& name, const std::string& value);
void remove_environment_variable(const std::string& name);
