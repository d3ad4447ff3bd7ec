#include <cstdlib>

#include "tests/support/program_environment.h"

// Through the C library, whose copy of the environment getenv reads, OpenAL Soft's included.
void set_environment_variable(const std::string& name, const std::string& value) {
    _putenv_s(name.c_str(), value.c_str());
}

// An empty value removes the variable.
void remove_environment_variable(const std::string& name) {
    _putenv_s(name.c_str(), "");
}
