// Preloaded into a saver under test: the server refuses every top-level
// window the program asks Xlib for (BadWindow), as it would one it cannot
// allocate. Windows inside other windows are made as asked.
#include <X11/Xlib.h>

#include <dlfcn.h>

extern "C" Window XCreateWindow(Display* display, Window parent, int x, int y, unsigned int width,
                                unsigned int height, unsigned int borderWidth, int depth, unsigned int windowClass,
                                Visual* visual, unsigned long valueMask, XSetWindowAttributes* attributes) {
    using Create = Window (*)(Display*, Window, int, int, unsigned int, unsigned int, unsigned int, int, unsigned int,
                              Visual*, unsigned long, XSetWindowAttributes*);
    static const Create real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "XCreateWindow"));
    for (int screen = 0; screen < ScreenCount(display); ++screen) {
        if (parent == RootWindow(display, screen)) {
            parent = 0;  // no window: the request fails with BadWindow
        }
    }
    return real(display, parent, x, y, width, height, borderWidth, depth, windowClass, visual, valueMask, attributes);
}
