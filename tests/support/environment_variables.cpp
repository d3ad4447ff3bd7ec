#include <cstdlib>

#include "tests/support/program_environment.h"

void set_environment_variable(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void remove_environment_variable(const std::string& name) {
    unsetenv(name.c_str());
}
