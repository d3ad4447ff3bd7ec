#include "runtime/platform/print_spooler.h"

#include <atomic>

namespace {

std::atomic<print_stand_in> installed_stand_in{nullptr};

} // namespace

bool platform_print_picture(print_row_source rows, const void* context) {
    if (print_stand_in stand_in = installed_stand_in.load()) return stand_in(rows, context);
    return host_print_picture(rows, context);
}

void platform_set_print_stand_in(print_stand_in stand_in) {
    installed_stand_in.store(stand_in);
}
