#include "runtime/platform/gl_present.h"

#include <GL/glx.h>

#include <cstring>

namespace {

using copy_sub_buffer_function = void (*)(Display*, GLXDrawable, int, int, int, int);

// Null unless the window's connection lists the extension.
copy_sub_buffer_function find_copy_sub_buffer() {
    Display* display = glXGetCurrentDisplay();
    if (!display) return nullptr;
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!extensions || !std::strstr(extensions, "GLX_MESA_copy_sub_buffer")) return nullptr;
    return reinterpret_cast<copy_sub_buffer_function>(
        glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA")));
}

// Looked up once, on the window thread, when the context is current.
copy_sub_buffer_function copy_sub_buffer() {
    static const copy_sub_buffer_function found = find_copy_sub_buffer();
    return found;
}

} // namespace

bool platform_can_present_part() {
    return copy_sub_buffer() != nullptr;
}

void platform_present_part(int x, int y, int width, int height, int window_height) {
    copy_sub_buffer()(glXGetCurrentDisplay(), glXGetCurrentDrawable(), x,
                      window_height - (y + height), width, height);
}
