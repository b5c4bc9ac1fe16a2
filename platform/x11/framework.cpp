#include "platform/x11/framework.h"

#include "saver/entry.h"

#include <X11/Xutil.h>

#include <cstring>

namespace skyloom::x11 {

Framework fw;

bool TakesInput() { return fw.mode == SaverMode::FullScreen || fw.mode == SaverMode::Window; }

bool GlWindowFollowsHost() { return fw.mode != SaverMode::FullScreen; }

void SetWindowNames(Window window) {
    XStoreName(fw.display, window, kProductName);
    const Atom netWmName = XInternAtom(fw.display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(fw.display, "UTF8_STRING", False);
    XChangeProperty(fw.display, window, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(kProductName), static_cast<int>(std::strlen(kProductName)));
    XClassHint hint;
    hint.res_name = const_cast<char*>("skyloom");
    hint.res_class = const_cast<char*>(kProductName);
    XSetClassHint(fw.display, window, &hint);
}

}  // namespace skyloom::x11
