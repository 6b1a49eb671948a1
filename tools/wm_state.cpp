// Keeps the WM_STATE property of the top-level windows of an X display, and does nothing
// else: Normal when a window is mapped, removed (withdrawn) when it is unmapped.
//
// Wine's X11 driver waits up to 2 s, each time it hides a window that a window manager
// would manage, for the window manager to acknowledge the earlier map through WM_STATE;
// on a bare Xvfb nobody does, and every hidden or destroyed window costs the tests 2 s.
// This is not a window manager: it never redirects a map or configure request, never
// moves, stacks, decorates or focuses a window, and owns no selection, so windows land
// exactly where and how Wine puts them, as on the bare display.
//
//   wm_state [READY_FILE]   runs until the display closes; once it watches the display it
//                           creates READY_FILE (so a script knows it missed no window)
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A window may be destroyed between its event and our request: ignore what fails.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

// The display went away (Xvfb stopped): nothing left to do.
int DisplayClosed(Display*) {
    std::exit(0);
}

void SetNormal(Display* display, Atom wmState, Window window) {
    const long state[2] = {NormalState, None};
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state), 2);
}

// Windows that are already on the screen when we start.
void AdoptMapped(Display* display, Atom wmState, Window root) {
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) {
        return;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            !attributes.override_redirect && attributes.map_state != IsUnmapped) {
            SetNormal(display, wmState, children[i]);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wm_state: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    XSetIOErrorHandler(DisplayClosed);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const Window root = DefaultRootWindow(display);
    // Notify only, never redirect: the X server carries out every request as asked.
    XSelectInput(display, root, SubstructureNotifyMask);
    AdoptMapped(display, wmState, root);
    XSync(display, False);

    if (argc > 1) {
        if (std::FILE* ready = std::fopen(argv[1], "w")) {
            std::fclose(ready);
        }
    }

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect) {
            SetNormal(display, wmState, event.xmap.window);
        } else if (event.type == UnmapNotify && event.xunmap.event == root) {
            // Both the real event and the synthetic one a withdrawing client sends land
            // here; removing an absent property is harmless.
            XDeleteProperty(display, event.xunmap.window, wmState);
        } else {
            continue;
        }
        XFlush(display);
    }
}
