#include "platform/win32/wgl_context.h"

#include "platform/win32/framework.h"
#include "saver/api_result.h"
#include "saver/entry.h"

#include <GL/gl.h>

#include <cstring>

namespace skyloom::win32 {

namespace {

PIXELFORMATDESCRIPTOR SaverPixelFormat() {
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = static_cast<BYTE>(DisplayColorBits() & 0xFF);
    format.cDepthBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

void Check(intptr_t result, const char* callName) { CheckApiResult(result, 0, callName, GetLastError()); }

// The extension string lists whole names separated by spaces.
bool ListsExtension(const char* extensions, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + 1, name)) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CreateWglContext(HWND window) {
    fw.glDc = GetDC(window);
    PIXELFORMATDESCRIPTOR format = SaverPixelFormat();
    const int index = ChoosePixelFormat(fw.glDc, &format);
    Check(index, "ChoosePixelFormat");
    Check(SetPixelFormat(fw.glDc, index, &format), "SetPixelFormat");
    Check(DescribePixelFormat(fw.glDc, index, sizeof format, &format), "DescribePixelFormat");
    fw.glContext = wglCreateContext(fw.glDc);
    Check(reinterpret_cast<intptr_t>(fw.glContext), "wglCreateContext");
    Check(wglMakeCurrent(fw.glDc, fw.glContext), "wglMakeCurrent");
    return (format.dwFlags & PFD_GENERIC_FORMAT) != 0 && (format.dwFlags & PFD_GENERIC_ACCELERATED) == 0;
}

void ReleaseWglContext() {
    if (fw.glContext != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(fw.glContext);
        fw.glContext = nullptr;
    }
    if (fw.glDc != nullptr) {
        ReleaseDC(fw.glWindow, fw.glDc);
        fw.glDc = nullptr;
    }
}

void SwapWglBuffers() { SwapBuffers(fw.glDc); }

bool DisableWglSwapInterval() {
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extensions == nullptr || !ListsExtension(extensions, "WGL_EXT_swap_control")) {
        return false;
    }
    using SwapInterval = BOOL(WINAPI*)(int);
    // Through a function type without parameters, which any function
    // pointer converts to without a warning.
    const auto setInterval =
        reinterpret_cast<SwapInterval>(reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    return setInterval != nullptr && setInterval(0) != FALSE;
}

}  // namespace skyloom::win32
