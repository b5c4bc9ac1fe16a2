// The Windows program's entry: Windows starts a screen saver with /s, /p
// <window>, /c[:<window>], /a or no argument.

#include "main/command_line.h"
#include "platform/win32/message_box.h"
#include "platform/win32/saver_framework.h"
#include "platform/win32/win32_saver_host.h"
#include "saver/entry.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace skyloom {

namespace {

int Refuse(const std::string& why) {
    win32::ShowMessageBox(why.c_str(), MessageKind::Error);
    return 2;
}

int RunScreenSaver(HINSTANCE instance, const CommandLine& line) {
    // For the whole process: a fatal error's teardown may still ask for it.
    static Win32SaverHost desktop;
    InstallSaverHost(&desktop);
    switch (line.mode) {
    case LaunchMode::FullScreen:
        return RunFullScreenSaver(instance, line.showFrameRate);
    case LaunchMode::Preview:
        if (!IsWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(line.windowId)))) {
            return Refuse(std::to_string(line.windowId) + " is not a window.");
        }
        return RunPreviewSaver(instance, reinterpret_cast<HWND>(static_cast<uintptr_t>(line.windowId)),
                               line.showFrameRate);
    case LaunchMode::Configure:
        RegisterDialogClasses();
        return ScreenSaverConfigureDialog();
    case LaunchMode::ChangePassword:
        // Only Windows 9x had a saver password of the saver's own.
        return 0;
    case LaunchMode::Invalid:
        return Refuse(line.error);
    default:
        return Refuse("Windows starts Skyloom with /s, /p <window>, /c or no argument.");
    }
}

}  // namespace

}  // namespace skyloom

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return skyloom::RunScreenSaver(instance, skyloom::ParseCommandLine(__argc, __argv));
}
