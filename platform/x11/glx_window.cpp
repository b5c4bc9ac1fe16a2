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

#include <initializer_list>
#include <vector>

namespace skyloom::x11 {

void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) {
    // The desktop picture must be read before our own window covers it.
    if (desktopPictureWanted && (fw.mode == SaverMode::FullScreen || fw.mode == SaverMode::Window)) {
        CaptureScreenArea(rect.x, rect.y, rect.width, rect.height);
    } else if (desktopPictureWanted && fw.mode == SaverMode::Root) {
        CaptureDaemonScreenshot(static_cast<uint32_t>(fw.host));
    }
    XVisualInfo wanted{};
    wanted.screen = fw.screen;
    int count = 0;
    XVisualInfo* visuals = XGetVisualInfo(fw.display, VisualScreenMask, &wanted, &count);
    std::vector<GlVisualCandidate> candidates;
    for (int i = 0; i < count; ++i) {
        GlVisualCandidate c;
        XVisualInfo* v = &visuals[i];
        int value = 0;
        c.depth = v->depth;
        c.trueColor = v->c_class == TrueColor;
        c.usesGl = glXGetConfig(fw.display, v, GLX_USE_GL, &value) == 0 && value != 0;
        if (c.usesGl) {
            glXGetConfig(fw.display, v, GLX_RGBA, &value);
            c.rgba = value != 0;
            glXGetConfig(fw.display, v, GLX_DOUBLEBUFFER, &value);
            c.doubleBuffered = value != 0;
            glXGetConfig(fw.display, v, GLX_LEVEL, &c.level);
            glXGetConfig(fw.display, v, GLX_DEPTH_SIZE, &c.depthBufferBits);
            glXGetConfig(fw.display, v, GLX_STENCIL_SIZE, &c.stencilBits);
            int accum = 0;
            c.accumBits = 0;
            for (int attribute : {GLX_ACCUM_RED_SIZE, GLX_ACCUM_GREEN_SIZE, GLX_ACCUM_BLUE_SIZE, GLX_ACCUM_ALPHA_SIZE}) {
                glXGetConfig(fw.display, v, attribute, &accum);
                c.accumBits += accum;
            }
            if (glXGetConfig(fw.display, v, GLX_SAMPLES, &value) == 0) {
                c.samples = value;
            }
        }
        candidates.push_back(c);
    }
    const int chosen = ChooseGlVisual(candidates, DisplayColorBits());
    XVisualInfo visual{};
    if (chosen >= 0) {
        visual = visuals[chosen];
    }
    if (visuals != nullptr) {
        XFree(visuals);
    }
    SetLastApiError(0);
    CheckApiResult(chosen, -1, "glXChooseVisual");

    const unsigned width = static_cast<unsigned>(rect.width > 0 ? rect.width : 1);
    const unsigned height = static_cast<unsigned>(rect.height > 0 ? rect.height : 1);
    {
        XErrorTrap trap(fw.display);
        SetLastApiError(0);
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
        fw.glWindow =
            XCreateWindow(fw.display, fw.host, rect.x, rect.y, width, height, 0, visual.depth, InputOutput,
                          visual.visual, CWColormap | CWBorderPixel | CWEventMask | CWOverrideRedirect, &attributes);
        if (onRoot) {
            XLowerWindow(fw.display, fw.glWindow);
        }
        if (trap.Sync() != 0) {
            fw.glWindow = 0;
        }
    }
    CheckApiResult(static_cast<intptr_t>(fw.glWindow), 0, "XCreateWindow");
    WatchWindow(fw.glWindow);
    SetWindowNames(fw.glWindow);

    SetLastApiError(0);
    fw.context = glXCreateContext(fw.display, &visual, nullptr, True);
    CheckApiResult(reinterpret_cast<intptr_t>(fw.context), 0, "glXCreateContext");
    Bool current = False;
    {
        XErrorTrap trap(fw.display);
        SetLastApiError(0);
        current = glXMakeCurrent(fw.display, fw.glWindow, fw.context);
        if (trap.Sync() != 0) {
            current = False;
        }
    }
    CheckApiResult(current, False, "glXMakeCurrent");

    fw.glWidth = static_cast<int>(width);
    fw.glHeight = static_cast<int>(height);
    GlWindowProc(WindowEvent{WindowMessage::Create});
    XMapWindow(fw.display, fw.glWindow);
    WindowEvent size{WindowMessage::Size};
    size.width = fw.glWidth;
    size.height = fw.glHeight;
    GlWindowProc(size);
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
