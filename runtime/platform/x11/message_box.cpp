#include "runtime/platform/message_box.h"
#include "runtime/platform/x11/message_box_owner.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

std::atomic<unsigned long> main_window_xid{0};

constexpr int box_margin = 16;
constexpr int line_spacing = 2;
constexpr int button_width = 80;
constexpr int button_height = 26;
constexpr int button_gap = 16;
constexpr int min_box_width = 240;

struct box_button {
    const char* label;
    box_answer answer;
    int x, y;
};

// Everything one dialog needs while it is up; lives on the caller's stack.
struct dialog {
    Display* display;
    Window window;
    GC gc;
    XFontStruct* font;
    bool font_loaded;
    Atom wm_delete_window;
    std::vector<std::string> lines;
    std::vector<box_button> buttons;
    box_buttons kind;
    int width, height;
    int pressed;            // index of the button under a held mouse button, -1 for none
    unsigned int armed_key; // keycode of an answering key that is down, 0 for none
};

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

int line_height(const dialog& d) {
    return d.font->ascent + d.font->descent + line_spacing;
}

int text_width(const dialog& d, const std::string& s) {
    return XTextWidth(d.font, s.data(), static_cast<int>(s.size()));
}

// The core font "fixed" is on every X server; the GC's default font is the fallback.
void load_font(dialog& d) {
    d.font = XLoadQueryFont(d.display, "fixed");
    d.font_loaded = d.font != nullptr;
    if (!d.font) d.font = XQueryFont(d.display, XGContextFromGC(DefaultGC(d.display, 0)));
}

void lay_out(dialog& d) {
    int text_w = 0;
    for (const std::string& line : d.lines) text_w = std::max(text_w, text_width(d, line));
    const int count = static_cast<int>(d.buttons.size());
    const int buttons_w = count * button_width + (count - 1) * button_gap;
    const int screen_w = DisplayWidth(d.display, DefaultScreen(d.display));
    d.width =
        std::min(std::max({text_w, buttons_w, min_box_width - 2 * box_margin}) + 2 * box_margin,
                 std::max(screen_w, min_box_width));
    const int text_h = static_cast<int>(d.lines.size()) * line_height(d);
    d.height = box_margin + text_h + box_margin + button_height + box_margin;
    int x = (d.width - buttons_w) / 2;
    for (box_button& b : d.buttons) {
        b.x = x;
        b.y = d.height - box_margin - button_height;
        x += button_width + button_gap;
    }
}

Atom atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

void set_utf8_property(const dialog& d, const char* property, const std::string& value) {
    XChangeProperty(d.display, d.window, atom(d.display, property), atom(d.display, "UTF8_STRING"),
                    8, PropModeReplace, reinterpret_cast<const unsigned char*>(value.data()),
                    static_cast<int>(value.size()));
}

void set_atom_list(const dialog& d, const char* property, const std::vector<Atom>& atoms) {
    XChangeProperty(d.display, d.window, atom(d.display, property), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
}

// Fixed size, a dialog, kept above, and tied to the main window when there is one.
void describe_to_window_manager(dialog& d, const std::string& caption) {
    set_utf8_property(d, "WM_NAME", caption);
    set_utf8_property(d, "_NET_WM_NAME", caption);

    XSizeHints* size = XAllocSizeHints();
    size->flags = PPosition | PSize | PMinSize | PMaxSize;
    size->min_width = size->max_width = size->width = d.width;
    size->min_height = size->max_height = size->height = d.height;
    XSetWMNormalHints(d.display, d.window, size);
    XFree(size);

    XWMHints* hints = XAllocWMHints();
    hints->flags = InputHint | StateHint;
    hints->input = True;
    hints->initial_state = NormalState;
    XSetWMHints(d.display, d.window, hints);
    XFree(hints);

    d.wm_delete_window = atom(d.display, "WM_DELETE_WINDOW");
    XSetWMProtocols(d.display, d.window, &d.wm_delete_window, 1);
    set_atom_list(d, "_NET_WM_WINDOW_TYPE", {atom(d.display, "_NET_WM_WINDOW_TYPE_DIALOG")});

    std::vector<Atom> state{atom(d.display, "_NET_WM_STATE_ABOVE")};
    const Window owner = main_window_xid.load();
    if (owner != 0) {
        XSetTransientForHint(d.display, d.window, owner);
        state.push_back(atom(d.display, "_NET_WM_STATE_MODAL"));
    }
    set_atom_list(d, "_NET_WM_STATE", state);
}

void create_window(dialog& d, const std::string& caption) {
    const int screen = DefaultScreen(d.display);
    const int x = std::max(0, (DisplayWidth(d.display, screen) - d.width) / 2);
    const int y = std::max(0, (DisplayHeight(d.display, screen) - d.height) / 2);
    d.window =
        XCreateSimpleWindow(d.display, RootWindow(d.display, screen), x, y, d.width, d.height, 1,
                            BlackPixel(d.display, screen), WhitePixel(d.display, screen));
    XSelectInput(d.display, d.window,
                 ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                     ButtonReleaseMask | StructureNotifyMask);
    describe_to_window_manager(d, caption);
    d.gc = XCreateGC(d.display, d.window, 0, nullptr);
    XSetForeground(d.display, d.gc, BlackPixel(d.display, screen));
    XSetBackground(d.display, d.gc, WhitePixel(d.display, screen));
    XSetFont(d.display, d.gc, d.font->fid);
    XMapRaised(d.display, d.window);
}

void draw_button(const dialog& d, const box_button& b, bool is_default, bool is_pressed) {
    const int screen = DefaultScreen(d.display);
    const unsigned long face =
        is_pressed ? BlackPixel(d.display, screen) : WhitePixel(d.display, screen);
    const unsigned long ink =
        is_pressed ? WhitePixel(d.display, screen) : BlackPixel(d.display, screen);
    XSetForeground(d.display, d.gc, face);
    XFillRectangle(d.display, d.window, d.gc, b.x, b.y, button_width, button_height);
    XSetForeground(d.display, d.gc, BlackPixel(d.display, screen));
    XDrawRectangle(d.display, d.window, d.gc, b.x, b.y, button_width - 1, button_height - 1);
    // The button that Enter presses wears a second frame.
    if (is_default)
        XDrawRectangle(d.display, d.window, d.gc, b.x + 2, b.y + 2, button_width - 5,
                       button_height - 5);
    const std::string label = b.label;
    const int tx = b.x + (button_width - text_width(d, label)) / 2;
    const int ty = b.y + (button_height + d.font->ascent - d.font->descent) / 2;
    XSetForeground(d.display, d.gc, ink);
    XDrawString(d.display, d.window, d.gc, tx, ty, label.data(), static_cast<int>(label.size()));
    XSetForeground(d.display, d.gc, BlackPixel(d.display, screen));
}

void draw(const dialog& d) {
    XClearWindow(d.display, d.window);
    int y = box_margin + d.font->ascent;
    for (const std::string& line : d.lines) {
        XDrawString(d.display, d.window, d.gc, box_margin, y, line.data(),
                    static_cast<int>(line.size()));
        y += line_height(d);
    }
    for (size_t i = 0; i < d.buttons.size(); ++i)
        draw_button(d, d.buttons[i], i == 0, static_cast<int>(i) == d.pressed);
    XFlush(d.display);
}

int button_at(const dialog& d, int x, int y) {
    for (size_t i = 0; i < d.buttons.size(); ++i) {
        const box_button& b = d.buttons[i];
        if (x >= b.x && x < b.x + button_width && y >= b.y && y < b.y + button_height)
            return static_cast<int>(i);
    }
    return -1;
}

// Returns true and sets answer when the key answers the box.
bool answer_for_key(const dialog& d, XKeyEvent& event, box_answer& answer) {
    const KeySym key = XLookupKeysym(&event, 0);
    const bool yes_no = d.kind == box_buttons::yes_no;
    if (yes_no && key == XK_y)
        answer = box_answer::yes;
    else if (yes_no && key == XK_n)
        answer = box_answer::no;
    else if (key == XK_Return || key == XK_KP_Enter)
        answer = box_accepting_answer(d.kind);
    else if (key == XK_Escape)
        answer = box_declining_answer(d.kind);
    else
        return false;
    return true;
}

// Without a window manager nobody gives the new window the keyboard; take it once
// the window is viewable so that typed answers reach it.
void take_focus(const dialog& d) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(d.display, d.window, &attributes) &&
        attributes.map_state == IsViewable)
        XSetInputFocus(d.display, d.window, RevertToParent, CurrentTime);
}

// Wakes a box waiting for its events once the boxes give way; it stays readable from then on.
int give_way_descriptor() {
    static const int descriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return descriptor;
}

// The box's next event; false when the boxes give way.
bool next_event(dialog& d, XEvent& event) {
    for (;;) {
        if (platform_boxes_giving_way()) return false;
        if (XPending(d.display) > 0) {
            XNextEvent(d.display, &event);
            return true;
        }
        pollfd fds[2] = {{ConnectionNumber(d.display), POLLIN, 0},
                         {give_way_descriptor(), POLLIN, 0}};
        poll(fds, 2, -1);
    }
}

box_answer run_event_loop(dialog& d) {
    for (;;) {
        XEvent event;
        if (!next_event(d, event)) return box_declining_answer(d.kind);
        box_answer answer;
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) draw(d);
            break;
        case MapNotify:
            take_focus(d);
            break;
        // A key answers when it is released, so that its release does not land in
        // whichever window has the keyboard after the box is gone.
        case KeyPress:
            if (answer_for_key(d, event.xkey, answer)) d.armed_key = event.xkey.keycode;
            break;
        case KeyRelease:
            if (event.xkey.keycode == d.armed_key && answer_for_key(d, event.xkey, answer))
                return answer;
            break;
        case ButtonPress:
            if (event.xbutton.button != Button1) break;
            d.pressed = button_at(d, event.xbutton.x, event.xbutton.y);
            draw(d);
            break;
        case ButtonRelease: {
            if (event.xbutton.button != Button1) break;
            const int released = button_at(d, event.xbutton.x, event.xbutton.y);
            const int pressed = d.pressed;
            d.pressed = -1;
            if (pressed >= 0 && released == pressed) return d.buttons[pressed].answer;
            draw(d);
            break;
        }
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == d.wm_delete_window)
                return box_declining_answer(d.kind);
            break;
        case DestroyNotify:
            return box_declining_answer(d.kind);
        }
    }
}

std::vector<box_button> buttons_for(box_buttons kind) {
    if (kind == box_buttons::yes_no)
        return {{"Yes", box_answer::yes, 0, 0}, {"No", box_answer::no, 0, 0}};
    return {{"OK", box_answer::ok, 0, 0}};
}

box_answer show_dialog(Display* display, const std::string& caption, const std::string& text,
                       box_buttons kind) {
    dialog d{};
    d.display = display;
    d.kind = kind;
    d.pressed = -1;
    d.lines = split_lines(text);
    d.buttons = buttons_for(kind);
    load_font(d);
    lay_out(d);
    create_window(d, caption);
    const box_answer answer = run_event_loop(d);
    XFreeGC(display, d.gc);
    XDestroyWindow(display, d.window);
    if (d.font_loaded)
        XFreeFont(display, d.font);
    else
        XFreeFontInfo(nullptr, d.font, 1);
    return answer;
}

} // namespace

box_answer host_message_box(const std::string& caption, const std::string& text,
                            box_buttons buttons) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return box_declining_answer(buttons);
    const box_answer answer = show_dialog(display, caption, text, buttons);
    XCloseDisplay(display);
    return answer;
}

void host_message_boxes_give_way() {
    eventfd_write(give_way_descriptor(), 1);
}

void platform_set_main_window(unsigned long xid) {
    main_window_xid.store(xid);
}
