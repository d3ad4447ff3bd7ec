#include "tests/support/x_window.h"

#include "runtime/platform/clock.h"
#include "tests/support/child_process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <bit>

namespace {

constexpr int tool_timeout_ms = 10000;
constexpr int search_step_ms = 50;

command_result run_xdotool(const std::string& display, std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return run_command(args, environment_with({"DISPLAY=" + display}), tool_timeout_ms);
}

bool xdotool_succeeds(const std::string& display, std::vector<std::string> args) {
    return run_xdotool(display, std::move(args)).status == 0;
}

// xdotool matches titles as regular expressions; match this one literally.
std::string exact_title_pattern(const std::string& title) {
    std::string pattern = "^";
    for (char c : title) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

int ignore_x_error(Display*, XErrorEvent*) {
    return 0;
}

// A connection that closes itself. A window that vanished is an ordinary outcome for
// a test, so X errors only make the calls fail instead of ending the test process.
struct x_connection {
    Display* display;
    XErrorHandler previous_handler;
    explicit x_connection(const std::string& name)
        : display(XOpenDisplay(name.c_str())), previous_handler(XSetErrorHandler(ignore_x_error)) {}
    ~x_connection() {
        if (display) XCloseDisplay(display);
        XSetErrorHandler(previous_handler);
    }
};

uint8_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
    const unsigned long max = mask >> std::countr_zero(mask);
    return static_cast<uint8_t>(value * 255 / max);
}

} // namespace

Display* watch_new_windows(const std::string& display) {
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection) return nullptr;
    XSelectInput(connection, DefaultRootWindow(connection), SubstructureNotifyMask);
    XSync(connection, False);
    return connection;
}

x_window_id find_window_by_title(const std::string& display, const std::string& title,
                                 int timeout_ms) {
    const int64_t deadline = rt_clock_ms() + timeout_ms;
    for (;;) {
        const command_result found =
            run_xdotool(display, {"search", "--onlyvisible", "--name", exact_title_pattern(title)});
        if (found.status == 0 && !found.output.empty())
            return std::stoul(found.output.substr(0, found.output.find('\n')));
        if (rt_clock_ms() >= deadline) return 0;
        rt_sleep_ms(search_step_ms);
    }
}

std::optional<window_geometry> get_window_geometry(const std::string& display, x_window_id window) {
    x_connection x(display);
    XWindowAttributes attributes;
    if (!x.display || !XGetWindowAttributes(x.display, window, &attributes)) return {};
    window_geometry g;
    Window child;
    XTranslateCoordinates(x.display, window, attributes.root, 0, 0, &g.x, &g.y, &child);
    g.width = attributes.width;
    g.height = attributes.height;
    return g;
}

std::string window_title(const std::string& display, x_window_id window) {
    x_connection x(display);
    XTextProperty property;
    if (!x.display || !XGetWMName(x.display, window, &property)) return "";
    std::string title(reinterpret_cast<const char*>(property.value), property.nitems);
    XFree(property.value);
    return title;
}

// Window 0 means the focused window: xdotool then goes through XTEST like a real
// keyboard; for another window it sends the events to that window directly.
std::vector<std::string> window_option(x_window_id window) {
    if (window == 0) return {};
    return {"--window", std::to_string(window)};
}

// Wine keeps its own key state, so it reads a sent capital as the small letter: through a
// launcher, text is typed into the focused window as a real keyboard would.
x_window_id typing_target(const std::string& display, x_window_id window) {
    if (window == 0 || program_launcher().empty()) return window;
    return xdotool_succeeds(display, {"windowfocus", "--sync", std::to_string(window)}) ? 0
                                                                                        : window;
}

bool type_text(const std::string& display, x_window_id window, const std::string& text) {
    std::vector<std::string> args{"type"};
    const std::vector<std::string> target = window_option(typing_target(display, window));
    args.insert(args.end(), target.begin(), target.end());
    args.insert(args.end(), {"--delay", "20", "--", text});
    return xdotool_succeeds(display, args);
}

bool press_key(const std::string& display, x_window_id window, const std::string& key) {
    std::vector<std::string> args{"key"};
    const std::vector<std::string> target = window_option(window);
    args.insert(args.end(), target.begin(), target.end());
    args.insert(args.end(), {"--", key});
    return xdotool_succeeds(display, args);
}

void press_final_key(const std::string& display, x_window_id window, const std::string& key) {
    static_cast<void>(press_key(display, window, key));
}

bool hold_key(const std::string& display, const std::string& key) {
    return xdotool_succeeds(display, {"keydown", "--", key});
}

bool release_key(const std::string& display, const std::string& key) {
    return xdotool_succeeds(display, {"keyup", "--", key});
}

bool click_at(const std::string& display, x_window_id window, int x, int y, int button) {
    return xdotool_succeeds(display,
                            {"mousemove", "--window", std::to_string(window), std::to_string(x),
                             std::to_string(y), "click", std::to_string(button)});
}

std::vector<std::string> atom_list_property(const std::string& display, x_window_id window,
                                            const std::string& property) {
    std::vector<std::string> names;
    x_connection x(display);
    if (!x.display) return names;
    Atom type;
    int format;
    unsigned long count, remaining;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x.display, window, XInternAtom(x.display, property.c_str(), False), 0,
                           1024, False, XA_ATOM, &type, &format, &count, &remaining,
                           &data) != Success)
        return names;
    const Atom* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count && format == 32; ++i) {
        char* name = XGetAtomName(x.display, atoms[i]);
        names.push_back(name ? name : "");
        if (name) XFree(name);
    }
    if (data) XFree(data);
    return names;
}

x_window_id transient_for(const std::string& display, x_window_id window) {
    x_connection x(display);
    Window owner = 0;
    if (!x.display || !XGetTransientForHint(x.display, window, &owner)) return 0;
    return owner;
}

bool send_delete_window(const std::string& display, x_window_id window) {
    x_connection x(display);
    if (!x.display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x.display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x.display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(x.display, window, False, NoEventMask, &event) != 0;
    XSync(x.display, False);
    return sent;
}

rgba_image capture_window(const std::string& display, x_window_id window) {
    rgba_image image;
    x_connection x(display);
    XWindowAttributes attributes;
    if (!x.display || !XGetWindowAttributes(x.display, window, &attributes) ||
        attributes.map_state != IsViewable)
        return image;
    XImage* picture =
        XGetImage(x.display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!picture) return image;
    image.width = attributes.width;
    image.height = attributes.height;
    image.bytes.reserve(static_cast<size_t>(image.width) * image.height * 4);
    for (int y = 0; y < image.height; ++y)
        for (int px = 0; px < image.width; ++px) {
            const unsigned long pixel = XGetPixel(picture, px, y);
            image.bytes.push_back(channel(pixel, picture->red_mask));
            image.bytes.push_back(channel(pixel, picture->green_mask));
            image.bytes.push_back(channel(pixel, picture->blue_mask));
            image.bytes.push_back(255);
        }
    XDestroyImage(picture);
    return image;
}
