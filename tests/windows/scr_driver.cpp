// Drives Skyloom.scr under Wine as Windows would and checks what the user
// would see: scr_driver fullscreen|preview <path of Skyloom.scr>. Prints
// what failed and exits 1, or exits 0. scr_driver glfailure runs on a
// display without OpenGL (tests/windows/check-gl-failure). The waits are upper bounds on
// conditions polled for, never sleeps that stand in for them.
// (scr_driver power is its own helper: see PowerSwitchesSeenAfresh.)

#include "tests/windows/saver_process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kStartMs = 30000;
constexpr DWORD kEndMs = 15000;

bool Fail(const char* what) {
    std::fprintf(stderr, "scr_driver: %s\n", what);
    return false;
}

PROCESS_INFORMATION Start(const std::string& scr, const std::string& arguments) {
    std::string line = "\"" + scr + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        process.hProcess = nullptr;
    }
    return process;
}

// Waits for the process to end; its exit code, or -1 when it outlived the wait.
long ExitCodeWithin(const PROCESS_INFORMATION& process, DWORD ms) {
    if (WaitForSingleObject(process.hProcess, ms) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

// Pixels of the screen area brighter than the darkest greys.
int LitPixels(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<size_t>(width) * height * 4, '\0');
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    int lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(pixels.data() + i);
        lit += (p[0] > 64 || p[1] > 64 || p[2] > 64) ? 1 : 0;
    }
    return lit;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

// Polls until the area shows at least `wanted` lit pixels.
bool DrawsWithin(const RECT& area, int wanted, DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(100)) {
        PumpMessages();
        if (LitPixels(area) >= wanted) {
            return true;
        }
    }
    return false;
}

HWND SaverWindowWithin(DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        if (HWND window = FindWindowW(L"WindowsScreenSaverClass", nullptr)) {
            return window;
        }
    }
    return nullptr;
}

bool PowerSwitch(UINT get) {
    BOOL on = FALSE;
    SystemParametersInfoA(get, 0, &on, 0);
    return on != FALSE;
}

int PowerSwitchBits() {
    return (PowerSwitch(SPI_GETPOWEROFFACTIVE) ? 1 : 0) | (PowerSwitch(SPI_GETLOWPOWERACTIVE) ? 2 : 0);
}

void SetPowerSwitches(bool on) {
    SystemParametersInfoA(SPI_SETPOWEROFFACTIVE, on ? 1 : 0, nullptr, 0);
    SystemParametersInfoA(SPI_SETLOWPOWERACTIVE, on ? 1 : 0, nullptr, 0);
}

// Wine keeps the switches a process has read in that process: a process
// started now reads what the saver last set.
bool PowerSwitchesSeenAfresh(bool on) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const PROCESS_INFORMATION reader = Start(self, "power");
    return reader.hProcess != nullptr && ExitCodeWithin(reader, kEndMs) == (on ? 3 : 0);
}

using skyloom::testing::SaverProcessLeft;

// A key pressed on the keyboard, as the user would, to the window in front.
void PressKey(WORD key) {
    INPUT presses[2]{};
    for (INPUT& press : presses) {
        press.type = INPUT_KEYBOARD;
        press.ki.wVk = key;
    }
    presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, presses, sizeof(INPUT));
}

bool FullScreen(const std::string& scr) {
    SetPowerSwitches(true);
    const PROCESS_INFORMATION saver = Start(scr, "/s");
    if (saver.hProcess == nullptr) {
        return Fail("/s did not start");
    }
    if (SaverWindowWithin(kStartMs) == nullptr) {
        ExitCodeWithin(saver, 0);
        return Fail("/s made no WindowsScreenSaverClass window");
    }
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    bool ok = DrawsWithin(screen, 200, kStartMs) || Fail("/s drew no stars");
    ok = (PowerSwitchesSeenAfresh(false) || Fail("monitor power saving stayed on while /s ran")) && ok;
    const PROCESS_INFORMATION second = Start(scr, "-S");
    ok = (ExitCodeWithin(second, kEndMs) == 0 || Fail("a second /s did not exit at once with 0")) && ok;
    ok = (WaitForSingleObject(saver.hProcess, 0) == WAIT_TIMEOUT || Fail("a second /s ended the first")) && ok;
    PressKey('A');
    ok = (ExitCodeWithin(saver, kEndMs) == 0 || Fail("a key did not end /s with exit code 0")) && ok;
    ok = (FindWindowW(L"WindowsScreenSaverClass", nullptr) == nullptr || Fail("the saver window outlived /s")) && ok;
    ok = (!SaverProcessLeft() || Fail("a Skyloom.scr process outlived /s")) && ok;
    ok = (PowerSwitchesSeenAfresh(true) || Fail("monitor power saving was not restored")) && ok;
    return ok;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

bool FillsClientArea(HWND window, HWND parent) {
    RECT inner{};
    RECT outer{};
    return IsWindowVisible(window) && GetWindowRect(window, &inner) && GetClientRect(parent, &outer) &&
           MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&outer), 2) && EqualRect(&inner, &outer);
}

// The preview's windows: the saver window a child filling the host's client
// area, the GL window a child filling the saver window. (Wine's X11 driver
// shows nothing that GL draws in a child window, so their pixels tell nothing.)
bool PreviewWindowsWithin(HWND host, DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        PumpMessages();
        HWND saver = FindWindowExW(host, nullptr, L"WindowsScreenSaverClass", nullptr);
        HWND gl = saver != nullptr ? FindWindowExW(saver, nullptr, L"Skyloom", nullptr) : nullptr;
        if (gl != nullptr && FillsClientArea(saver, host) && FillsClientArea(gl, saver)) {
            return true;
        }
    }
    return false;
}

// The settings program's side: a window whose client area shows the preview.
bool Preview(const std::string& scr) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"PreviewHost";
    RegisterClassW(&windowClass);
    HWND host = CreateWindowExW(0, L"PreviewHost", L"Preview host", WS_POPUP | WS_VISIBLE, 100, 100, 320, 240,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    PumpMessages();
    const PROCESS_INFORMATION saver =
        Start(scr, "/p " + std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host))));
    if (saver.hProcess == nullptr) {
        return Fail("/p did not start");
    }
    bool ok = PreviewWindowsWithin(host, kStartMs) || Fail("/p made no saver and GL windows filling the host's");
    ok = (WaitForSingleObject(saver.hProcess, 0) == WAIT_TIMEOUT || Fail("/p ended by itself")) && ok;
    DestroyWindow(host);
    ok = (ExitCodeWithin(saver, kEndMs) == 0 || Fail("/p did not end with 0 when its window went")) && ok;
    return ok;
}

// The message box a process shows: a dialog captioned "Skyloom".
struct BoxSearch {
    DWORD processId;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<BoxSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    char caption[16] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (owner == search->processId && std::strcmp(className, "#32770") == 0 && std::strcmp(caption, "Skyloom") == 0) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindMessageText(HWND child, LPARAM lParam) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (_stricmp(className, "Static") == 0) {
        auto* text = reinterpret_cast<std::string*>(lParam);
        char buffer[256] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        text->append(buffer);
    }
    return TRUE;
}

// Without OpenGL the saver cannot choose a pixel format: it must say which
// call failed in its box, and end with 1 once the box is closed.
bool GlFailure(const std::string& scr) {
    const PROCESS_INFORMATION saver = Start(scr, "/s");
    if (saver.hProcess == nullptr) {
        return Fail("cannot start the saver");
    }
    BoxSearch search{saver.dwProcessId, nullptr};
    for (DWORD waited = 0; search.box == nullptr && waited < kStartMs; waited += 100) {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.box == nullptr) {
            Sleep(100);
        }
    }
    if (search.box == nullptr) {
        ExitCodeWithin(saver, 0);
        return Fail("no message box captioned Skyloom");
    }
    std::string text;
    EnumChildWindows(search.box, FindMessageText, reinterpret_cast<LPARAM>(&text));
    unsigned error = 0;
    char call[64] = {};
    const bool named = std::sscanf(text.c_str(), "%63s failed: Error %u.", call, &error) == 2 &&
                       text == std::string(call) + " failed: Error " + std::to_string(error) + ".";
    std::fprintf(stderr, "scr_driver: the box says \"%s\"\n", text.c_str());
    PostMessageA(search.box, WM_COMMAND, IDOK, 0);
    bool ok = named || Fail("the box does not say which call failed");
    ok = (ExitCodeWithin(saver, kEndMs) == 1 || Fail("the saver did not end with 1 after the box")) && ok;
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "power") == 0) {
        return PowerSwitchBits();
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: scr_driver fullscreen|preview|glfailure SCR\n");
        return 2;
    }
    const std::string scr = argv[2];
    if (std::strcmp(argv[1], "fullscreen") == 0) {
        return FullScreen(scr) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "preview") == 0) {
        return Preview(scr) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "glfailure") == 0) {
        return GlFailure(scr) ? 0 : 1;
    }
    std::fprintf(stderr, "scr_driver: unknown test %s\n", argv[1]);
    return 2;
}
