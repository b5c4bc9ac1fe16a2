#include "platform/x11/glx_window.h"

#include "platform/x11/desktop_capture.h"
#include "platform/x11/framework.h"
#include "platform/x11/glx_visual.h"
#include "platform/x11/x_connection.h"
#include "saver/api_result.h"
#include "saver/entry.h"
#include "saver/gl_window.h"

#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace skyloom::x11 {

namespace {

// What a step made, and the X error that refused it (0 when none came).
template <typename T>
struct Made {
    T value{};
    uint32_t error = 0;
};

// The desktop picture must be read before our own window covers it.
void KeepDesktopPicture(const ScreenRect& rect) {
    if (fw.mode == SaverMode::FullScreen || fw.mode == SaverMode::Window) {
        CaptureScreenArea(rect.x, rect.y, rect.width, rect.height);
    } else if (fw.mode == SaverMode::Root) {
        CaptureDaemonScreenshot(static_cast<uint32_t>(fw.host));
    }
}

GlVisualCandidate DescribeVisual(XVisualInfo& v) {
    GlVisualCandidate c;
    int value = 0;
    c.depth = v.depth;
    c.trueColor = v.c_class == TrueColor;
    c.usesGl = glXGetConfig(fw.display, &v, GLX_USE_GL, &value) == 0 && value != 0;
    if (!c.usesGl) {
        return c;
    }
    glXGetConfig(fw.display, &v, GLX_RGBA, &value);
    c.rgba = value != 0;
    glXGetConfig(fw.display, &v, GLX_DOUBLEBUFFER, &value);
    c.doubleBuffered = value != 0;
    glXGetConfig(fw.display, &v, GLX_LEVEL, &c.level);
    glXGetConfig(fw.display, &v, GLX_DEPTH_SIZE, &c.depthBufferBits);
    glXGetConfig(fw.display, &v, GLX_STENCIL_SIZE, &c.stencilBits);
    int accum = 0;
    for (int attribute : {GLX_ACCUM_RED_SIZE, GLX_ACCUM_GREEN_SIZE, GLX_ACCUM_BLUE_SIZE, GLX_ACCUM_ALPHA_SIZE}) {
        glXGetConfig(fw.display, &v, attribute, &accum);
        c.accumBits += accum;
    }
    if (glXGetConfig(fw.display, &v, GLX_SAMPLES, &value) == 0) {
        c.samples = value;
    }
    return c;
}

// The screen's visual for the saver's pixel format (ChooseGlVisual): its
// index among the screen's visuals, -1 when none qualifies.
int ChooseVisual(XVisualInfo& chosen) {
    XVisualInfo wanted{};
    wanted.screen = fw.screen;
    int count = 0;
    XVisualInfo* visuals = XGetVisualInfo(fw.display, VisualScreenMask, &wanted, &count);
    std::vector<GlVisualCandidate> candidates;
    for (int i = 0; i < count; ++i) {
        candidates.push_back(DescribeVisual(visuals[i]));
    }
    const int index = ChooseGlVisual(candidates, DisplayColorBits());
    if (index >= 0) {
        chosen = visuals[index];
    }
    if (visuals != nullptr) {
        XFree(visuals);
    }
    return index;
}

// The GL window inside the saver window, with a colormap of its own for
// the visual; 0 when the server refused either.
Made<Window> CreateXWindow(const XVisualInfo& visual, const ScreenRect& rect, unsigned width, unsigned height) {
    XErrorTrap trap(fw.display);
    fw.glColormap = XCreateColormap(fw.display, fw.root, visual.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = fw.glColormap;
    attributes.border_pixel = 0;
    attributes.event_mask = StructureNotifyMask | (TakesInput() ? ButtonPressMask | PointerMotionMask : 0);
    // Drawn on the root window itself: a window manager must not frame
    // it, and it stays below everything else like the root's own picture.
    const bool onRoot = fw.host == fw.root;
    attributes.override_redirect = onRoot ? True : False;
    // No background: until the first frame the window shows what was there.
    const Window window =
        XCreateWindow(fw.display, fw.host, rect.x, rect.y, width, height, 0, visual.depth, InputOutput, visual.visual,
                      CWColormap | CWBorderPixel | CWEventMask | CWOverrideRedirect, &attributes);
    if (onRoot) {
        XLowerWindow(fw.display, window);
    }
    const int error = trap.Sync();
    return Made<Window>{error == 0 ? window : 0, static_cast<uint32_t>(error)};
}

Made<GLXContext> CreateContext(XVisualInfo& visual) {
    XErrorTrap trap(fw.display);
    const GLXContext context = glXCreateContext(fw.display, &visual, nullptr, True);
    return Made<GLXContext>{context, static_cast<uint32_t>(trap.Sync())};
}

Made<Bool> MakeCurrent() {
    XErrorTrap trap(fw.display);
    const Bool current = glXMakeCurrent(fw.display, fw.glWindow, fw.context);
    const int error = trap.Sync();
    return Made<Bool>{error == 0 ? current : False, static_cast<uint32_t>(error)};
}

// The GL window's procedure sets its state up on Create, the scene on the
// first Size.
void SendCreateAndSize(unsigned width, unsigned height) {
    fw.glWidth = static_cast<int>(width);
    fw.glHeight = static_cast<int>(height);
    GlWindowProc(WindowEvent{WindowMessage::Create});
    XMapWindow(fw.display, fw.glWindow);
    WindowEvent size{WindowMessage::Size};
    size.width = fw.glWidth;
    size.height = fw.glHeight;
    GlWindowProc(size);
}

}  // namespace

void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) {
    if (desktopPictureWanted) {
        KeepDesktopPicture(rect);
    }
    XVisualInfo visual{};
    // No visual qualifying is no error of the server's: the number shown is 0.
    CheckApiResult(ChooseVisual(visual), -1, "glXChooseVisual", 0);

    const unsigned width = static_cast<unsigned>(rect.width > 0 ? rect.width : 1);
    const unsigned height = static_cast<unsigned>(rect.height > 0 ? rect.height : 1);
    const Made<Window> window = CreateXWindow(visual, rect, width, height);
    fw.glWindow = window.value;
    CheckApiResult(static_cast<intptr_t>(window.value), 0, "XCreateWindow", window.error);
    WatchWindow(fw.glWindow);
    SetWindowNames(fw.glWindow);

    const Made<GLXContext> context = CreateContext(visual);
    fw.context = context.value;
    CheckApiResult(reinterpret_cast<intptr_t>(context.value), 0, "glXCreateContext", context.error);
    const Made<Bool> current = MakeCurrent();
    CheckApiResult(current.value, False, "glXMakeCurrent", current.error);

    SendCreateAndSize(width, height);
}

void MoveGlWindow(const ScreenRect& rect) {
    if (fw.glWindow == 0) {
        return;
    }
    XMoveResizeWindow(fw.display, fw.glWindow, rect.x, rect.y, static_cast<unsigned>(rect.width > 0 ? rect.width : 1),
                      static_cast<unsigned>(rect.height > 0 ? rect.height : 1));
}

void SwapGlBuffers() {
    glXSwapBuffers(fw.display, fw.glWindow);
}

void ReleaseGlContext() {
    if (fw.context == nullptr) {
        return;
    }
    XErrorTrap trap(fw.display);
    glXMakeCurrent(fw.display, None, nullptr);
    glXDestroyContext(fw.display, fw.context);
    fw.context = nullptr;
}

bool DisableSwapInterval() {
    const char* extensions = glXQueryExtensionsString(fw.display, fw.screen);
    // GLX_SGI_swap_control cannot set 0, so only these two can turn vsync off.
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
        const auto swapInterval = reinterpret_cast<PFNGLXSWAPINTERVALEXTPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (swapInterval != nullptr) {
            XErrorTrap trap(fw.display);
            swapInterval(fw.display, fw.glWindow, 0);
            return trap.Sync() == 0;
        }
    }
    if (HasExtension(extensions, "GLX_MESA_swap_control")) {
        const auto swapInterval = reinterpret_cast<PFNGLXSWAPINTERVALMESAPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (swapInterval != nullptr) {
            XErrorTrap trap(fw.display);
            const int result = swapInterval(0);
            return trap.Sync() == 0 && result == 0;
        }
    }
    return false;
}

}  // namespace skyloom::x11
