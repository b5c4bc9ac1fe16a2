#include "platform/win32/monitors.h"

#include <windows.h>

namespace skyloom::win32 {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) {
        return TRUE;
    }
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT& r = info.rcMonitor;
    MonitorInfo found;
    found.rect = ScreenRect{r.left - left, r.top - top, r.right - r.left, r.bottom - r.top};
    found.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    reinterpret_cast<std::vector<MonitorInfo>*>(list)->push_back(found);
    return TRUE;
}

}  // namespace

std::vector<MonitorInfo> QueryMonitors() {
    std::vector<MonitorInfo> monitors;
    if (!EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors))) {
        return {};
    }
    return monitors;
}

}  // namespace skyloom::win32
