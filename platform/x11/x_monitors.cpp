#include "platform/x11/x_monitors.h"

#include "platform/x11/frame_pacer.h"

#include <X11/extensions/Xrandr.h>

namespace skyloom {

namespace {
constexpr double kFallbackRefreshRate = 60.0;

bool HasRandr(Display* display, int major, int minor) {
    int eventBase = 0;
    int errorBase = 0;
    int haveMajor = 0;
    int haveMinor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &haveMajor, &haveMinor)) {
        return false;
    }
    return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}
}  // namespace

std::vector<MonitorInfo> QueryMonitors(Display* display, Window root) {
    std::vector<MonitorInfo> monitors;
    if (!HasRandr(display, 1, 5)) {
        return monitors;
    }
    int count = 0;
    XRRMonitorInfo* list = XRRGetMonitors(display, root, True, &count);
    if (list == nullptr) {
        return monitors;
    }
    for (int i = 0; i < count; ++i) {
        MonitorInfo monitor;
        monitor.rect = ScreenRect{list[i].x, list[i].y, list[i].width, list[i].height};
        monitor.primary = list[i].primary != 0;
        monitors.push_back(monitor);
    }
    XRRFreeMonitors(list);
    return monitors;
}

int WatchScreenChanges(Display* display, Window root) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) {
        return -1;
    }
    XRRSelectInput(display, root, RRScreenChangeNotifyMask);
    return eventBase + RRScreenChangeNotify;
}

void ApplyScreenChange(XEvent& event) { XRRUpdateConfiguration(&event); }

double QueryRefreshRate(Display* display, Window root) {
    if (!HasRandr(display, 1, 3)) {
        return kFallbackRefreshRate;
    }
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources == nullptr) {
        return kFallbackRefreshRate;
    }
    double fastest = 0.0;
    for (int c = 0; c < resources->ncrtc; ++c) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[c]);
        if (crtc == nullptr) {
            continue;
        }
        for (int m = 0; crtc->mode != None && m < resources->nmode; ++m) {
            const XRRModeInfo& mode = resources->modes[m];
            if (mode.id != crtc->mode) {
                continue;
            }
            const double rate = ModeRefreshRate(mode.dotClock, mode.hTotal, mode.vTotal,
                                                (mode.modeFlags & RR_Interlace) != 0,
                                                (mode.modeFlags & RR_DoubleScan) != 0);
            if (rate > fastest) {
                fastest = rate;
            }
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return fastest > 0.0 ? fastest : kFallbackRefreshRate;
}

}  // namespace skyloom
