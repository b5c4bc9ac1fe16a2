// A stand-in for a music player (and any program the saver starts), for
// the process tests. Started with a file as its first argument, it records
// its command line and its arguments, one a line, in <file>.started (once
// its window is up, where it keeps one), and does what the file's first
// word says:
//   exit     ends at once;
//   window   shows a window with the show command it was given and ends
//            when its message loop gets WM_QUIT;
//   insist   the same, but shows the window whatever it was given, as
//            players that restore their last window do;
//   nothing  keeps no window and waits to be ended.

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

bool Record(const std::string& file) {
    // Written aside and renamed, so the record appears whole or not at all.
    const std::string record = file + ".started";
    const std::string partial = record + ".partial";
    {
        std::ofstream out(partial, std::ios::binary);
        out << GetCommandLineA() << '\n';
        for (int i = 1; i < __argc; ++i) {
            out << __argv[i] << '\n';
        }
        if (!out) {
            return false;
        }
    }
    return MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string FirstWord(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::string word;
    in >> word;
    return word;
}

int RunWindow(HINSTANCE instance, int show, bool insist) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "SkyloomStandInPlayer";
    if (RegisterClassA(&windowClass) == 0) {
        return 3;
    }
    const HWND window = CreateWindowA(windowClass.lpszClassName, "Stand-in player", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                      100, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 4;
    }
    ShowWindow(window, show);
    if (insist) {
        ShowWindow(window, SW_SHOW);
    }
    // Only now: a test that has seen the record finds the window too.
    if (!Record(__argv[1])) {
        return 2;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    if (__argc < 2) {
        return 2;
    }
    const std::string mode = FirstWord(__argv[1]);
    if (mode == "window" || mode == "insist") {
        return RunWindow(instance, show, mode == "insist");
    }
    if (!Record(__argv[1])) {
        return 2;
    }
    if (mode == "nothing") {
        Sleep(INFINITE);
    }
    return 0;
}
