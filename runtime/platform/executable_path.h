#pragma once
#include <string>

// Full path of the running executable (the target of /proc/self/exe).
std::string platform_executable_path();
