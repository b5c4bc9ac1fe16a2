#include "os/player_process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace skyloom {

namespace {

constexpr auto kSettleLimit = std::chrono::milliseconds(2000);
constexpr auto kPollInterval = std::chrono::milliseconds(20);
// Clients sit below the root (no window manager), below a frame, or below
// a frame's wrapper window.
constexpr int kWindowTreeDepth = 3;

int claimDescriptor = -1;
// A child forked from the claim's holder shares its descriptor but not the claim.
pid_t claimHolder = 0;

// ---------------------------------------------------------------------------
// /proc, read with async-signal-safe calls only.

// Writes "/proc/<pid>/stat" into path (at least 32 bytes).
void ProcStatPath(pid_t pid, char* path) {
    char digits[16];
    int count = 0;
    unsigned value = static_cast<unsigned>(pid);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const char prefix[] = "/proc/";
    int at = 0;
    for (const char* p = prefix; *p != '\0'; ++p) {
        path[at++] = *p;
    }
    while (count > 0) {
        path[at++] = digits[--count];
    }
    const char suffix[] = "/stat";
    for (const char* p = suffix; *p != '\0'; ++p) {
        path[at++] = *p;
    }
    path[at] = '\0';
}

struct ProcessStat {
    char state = '?';
    pid_t processGroup = 0;
    unsigned long long startTicks = 0;
};

// False when the process does not exist (or /proc is unreadable).
bool ReadProcessStat(pid_t pid, ProcessStat& stat) {
    char path[32];
    ProcStatPath(pid, path);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char text[1024];
    const ssize_t length = read(fd, text, sizeof text - 1);
    close(fd);
    if (length <= 0) {
        return false;
    }
    text[length] = '\0';
    // The command name in parentheses may hold spaces and parentheses
    // itself; the fields after the last ')' are plain.
    const char* cursor = nullptr;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == ')') {
            cursor = p + 1;
        }
    }
    if (cursor == nullptr) {
        return false;
    }
    // Fields from the state (3) to the start time (22).
    unsigned long long numbers[20] = {};
    int field = 3;
    while (field <= 22 && *cursor != '\0') {
        while (*cursor == ' ') {
            ++cursor;
        }
        if (field == 3) {
            stat.state = *cursor;
            while (*cursor != ' ' && *cursor != '\0') {
                ++cursor;
            }
        } else {
            bool negative = false;
            if (*cursor == '-') {
                negative = true;
                ++cursor;
            }
            unsigned long long value = 0;
            while (*cursor >= '0' && *cursor <= '9') {
                value = value * 10 + static_cast<unsigned>(*cursor - '0');
                ++cursor;
            }
            numbers[field - 3] = negative ? 0 : value;
        }
        ++field;
    }
    if (field <= 22) {
        return false;
    }
    stat.processGroup = static_cast<pid_t>(numbers[5 - 3]);
    stat.startTicks = numbers[22 - 3];
    return true;
}

// ---------------------------------------------------------------------------
// The players this process launched, so that only they are ever signalled.
// Read by TerminatePlayerGroup, possibly from a signal handler.

struct LaunchedPlayer {
    std::atomic<pid_t> processId{0};
    // 0 when the player had already ended when it was recorded.
    std::atomic<unsigned long long> startTicks{0};
};
constexpr int kLaunchedSlots = 8;
LaunchedPlayer launched[kLaunchedSlots];
std::atomic<int> nextLaunchedSlot{0};

void RecordLaunchedPlayer(pid_t processId) {
    ProcessStat stat;
    const unsigned long long ticks = ReadProcessStat(processId, stat) ? stat.startTicks : 0;
    LaunchedPlayer& slot = launched[nextLaunchedSlot.fetch_add(1) % kLaunchedSlots];
    slot.processId.store(0);
    slot.startTicks.store(ticks);
    slot.processId.store(processId);
}

const LaunchedPlayer* FindLaunchedPlayer(pid_t processId) {
    for (const LaunchedPlayer& slot : launched) {
        if (slot.processId.load() == processId) {
            return &slot;
        }
    }
    return nullptr;
}

// Whether any process other than a zombie is left in the group.
bool ProcessGroupAlive(pid_t group) {
    if (kill(-group, 0) != 0 && errno == ESRCH) {
        return false;
    }
    // kill() also counts zombies that nobody has reaped yet; look closer.
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return true;
    }
    bool alive = false;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || pid <= 0) {
            continue;
        }
        ProcessStat stat;
        if (ReadProcessStat(static_cast<pid_t>(pid), stat) && stat.processGroup == group && stat.state != 'Z' &&
            stat.state != 'X') {
            alive = true;
            break;
        }
    }
    closedir(proc);
    return alive;
}

// ---------------------------------------------------------------------------
// The player's windows, on a short connection of our own to $DISPLAY.

Display* errorDisplay = nullptr;
XErrorHandler previousErrorHandler = nullptr;

// Windows may vanish between listing and asking; such errors on our own
// connection are expected. Errors of other connections go on as before.
int IgnoreOwnErrors(Display* display, XErrorEvent* event) {
    if (display == errorDisplay) {
        return 0;
    }
    return previousErrorHandler != nullptr ? previousErrorHandler(display, event) : 0;
}

class PlayerDisplay {
public:
    PlayerDisplay() : display_(XOpenDisplay(nullptr)) {
        if (display_ != nullptr) {
            errorDisplay = display_;
            previousErrorHandler = XSetErrorHandler(IgnoreOwnErrors);
        }
    }
    ~PlayerDisplay() {
        if (display_ != nullptr) {
            XSync(display_, False);
            XSetErrorHandler(previousErrorHandler);
            errorDisplay = nullptr;
            previousErrorHandler = nullptr;
            XCloseDisplay(display_);
        }
    }
    PlayerDisplay(const PlayerDisplay&) = delete;
    PlayerDisplay& operator=(const PlayerDisplay&) = delete;

    Display* Get() const { return display_; }

private:
    Display* display_;
};

// The process id a window names in _NET_WM_PID; 0 when it names none.
pid_t WindowProcessId(Display* display, Window window, Atom netWmPid) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    pid_t pid = 0;
    if (XGetWindowProperty(display, window, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count, &remaining,
                           &data) == Success &&
        data != nullptr) {
        if (type == XA_CARDINAL && format == 32 && count == 1) {
            pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return pid;
}

bool BelongsToPlayer(pid_t windowPid, pid_t group) {
    if (windowPid <= 0) {
        return false;
    }
    if (windowPid == group) {
        return true;
    }
    ProcessStat stat;
    return ReadProcessStat(windowPid, stat) && stat.processGroup == group;
}

void CollectPlayerWindows(Display* display, Window parent, int depth, Atom netWmPid, pid_t group,
                          std::vector<Window>& found) {
    Window root = None;
    Window parentOfParent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &parentOfParent, &children, &count) == 0) {
        return;
    }
    for (unsigned int i = 0; i < count; ++i) {
        if (BelongsToPlayer(WindowProcessId(display, children[i], netWmPid), group)) {
            found.push_back(children[i]);
        } else if (depth > 1) {
            CollectPlayerWindows(display, children[i], depth - 1, netWmPid, group, found);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
}

std::vector<Window> FindPlayerWindows(Display* display, pid_t group) {
    std::vector<Window> found;
    const Atom netWmPid = XInternAtom(display, "_NET_WM_PID", False);
    for (int screen = 0; screen < ScreenCount(display); ++screen) {
        CollectPlayerWindows(display, RootWindow(display, screen), kWindowTreeDepth, netWmPid, group, found);
    }
    return found;
}

bool IsShowing(Display* display, Window window, int& screen) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.map_state != IsViewable) {
        return false;
    }
    screen = XScreenNumberOfScreen(attributes.screen);
    return true;
}

bool TakesDeleteWindow(Display* display, Window window, Atom deleteWindow) {
    Atom* protocols = nullptr;
    int count = 0;
    bool takes = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        for (int i = 0; i < count; ++i) {
            takes = takes || protocols[i] == deleteWindow;
        }
        XFree(protocols);
    }
    return takes;
}

// ---------------------------------------------------------------------------
// Starting.

// Runs in the player's process before it starts its program.
void PreparePlayerProcess(gpointer) {
    setpgid(0, 0);
    // A blocked or ignored signal would survive into the player and leave
    // it deaf to the SIGTERM that ends it.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD}) {
        signal(signalNumber, SIG_DFL);
    }
}

void NoteLaunchedPid(GDesktopAppInfo*, GPid pid, gpointer processId) {
    *static_cast<GPid*>(processId) = pid;
}

// A player that the desktop would start over D-Bus reports no process id
// and could never be closed; start its Exec line as a plain process.
GDesktopAppInfo* WithoutDBusActivation(GDesktopAppInfo* info) {
    if (!g_desktop_app_info_get_boolean(info, "DBusActivatable")) {
        return G_DESKTOP_APP_INFO(g_object_ref(info));
    }
    const char* path = g_desktop_app_info_get_filename(info);
    GKeyFile* keys = g_key_file_new();
    GDesktopAppInfo* plain = nullptr;
    if (path != nullptr && g_key_file_load_from_file(keys, path, G_KEY_FILE_NONE, nullptr)) {
        g_key_file_remove_key(keys, G_KEY_FILE_DESKTOP_GROUP, "DBusActivatable", nullptr);
        plain = g_desktop_app_info_new_from_keyfile(keys);
    }
    g_key_file_unref(keys);
    return plain;
}

GPid LaunchWith(GDesktopAppInfo* info, const char* fileName) {
    GFile* file = g_file_new_for_commandline_arg(fileName);
    gchar* uri = g_file_get_uri(file);
    GList* uris = g_list_append(nullptr, uri);
    GPid pid = 0;
    GError* error = nullptr;
    const gboolean started = g_desktop_app_info_launch_uris_as_manager(
        info, uris, nullptr, G_SPAWN_SEARCH_PATH, PreparePlayerProcess, nullptr, NoteLaunchedPid, &pid, &error);
    if (error != nullptr) {
        g_error_free(error);
    }
    g_list_free(uris);
    g_free(uri);
    g_object_unref(file);
    return started ? pid : 0;
}

}  // namespace

std::string MusicClaimPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/skyloom-music.lock";
    }
    return "/tmp/skyloom-music-" + std::to_string(getuid()) + ".lock";
}

void DisableSessionBusAutolaunch() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && address[0] != '\0') {
        return;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info;
    if (runtime != nullptr && runtime[0] == '/' && stat((std::string(runtime) + "/bus").c_str(), &info) == 0 &&
        S_ISSOCK(info.st_mode)) {
        return;
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

bool TakeMusicClaim() {
    if (claimDescriptor >= 0) {
        if (claimHolder == getpid()) {
            return true;
        }
        close(claimDescriptor);
        claimDescriptor = -1;
    }
    const std::string path = MusicClaimPath();
    // /tmp is shared: follow no links, and trust only a file of our own.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid() ||
        flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    claimDescriptor = fd;
    claimHolder = getpid();
    return true;
}

// X11 takes no request to start a program's windows hidden:
// WaitForPlayerToSettle iconifies them as they show.
std::uint32_t LaunchAssociatedPlayer(const char* fileName, bool /*hidden*/) {
    if (fileName == nullptr || fileName[0] == '\0' || access(fileName, R_OK) != 0) {
        return 0;
    }
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(fileName, nullptr, 0, &uncertain);
    GAppInfo* app = nullptr;
    if (type != nullptr && !g_content_type_is_unknown(type)) {
        app = g_app_info_get_default_for_type(type, FALSE);
    }
    g_free(type);
    if (app == nullptr) {
        return 0;
    }
    GPid pid = 0;
    if (G_IS_DESKTOP_APP_INFO(app)) {
        if (GDesktopAppInfo* info = WithoutDBusActivation(G_DESKTOP_APP_INFO(app))) {
            pid = LaunchWith(info, fileName);
            g_object_unref(info);
        }
    }
    g_object_unref(app);
    if (pid <= 0) {
        return 0;
    }
    RecordLaunchedPlayer(pid);
    return static_cast<std::uint32_t>(pid);
}

void WaitForPlayerToSettle(std::uint32_t processId, bool hide, const std::atomic<bool>* cancel) {
    const pid_t group = static_cast<pid_t>(processId);
    if (group <= 0) {
        return;
    }
    PlayerDisplay display;
    if (display.Get() == nullptr) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kSettleLimit;
    while (ProcessGroupAlive(group)) {
        bool showing = false;
        for (Window window : FindPlayerWindows(display.Get(), group)) {
            int screen = 0;
            if (IsShowing(display.Get(), window, screen)) {
                showing = true;
                if (hide) {
                    XIconifyWindow(display.Get(), window, screen);
                }
            }
        }
        if (showing || std::chrono::steady_clock::now() >= deadline || (cancel != nullptr && cancel->load())) {
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool AskPlayerWindowsToClose(std::uint32_t processId) {
    const pid_t group = static_cast<pid_t>(processId);
    if (group <= 0 || FindLaunchedPlayer(group) == nullptr) {
        return false;
    }
    PlayerDisplay display;
    if (display.Get() == nullptr) {
        return false;
    }
    const Atom protocols = XInternAtom(display.Get(), "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display.Get(), "WM_DELETE_WINDOW", False);
    bool asked = false;
    for (Window window : FindPlayerWindows(display.Get(), group)) {
        if (!TakesDeleteWindow(display.Get(), window, deleteWindow)) {
            continue;
        }
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        asked = XSendEvent(display.Get(), window, False, NoEventMask, &event) != 0 || asked;
    }
    return asked;
}

bool WaitForPlayerToEnd(std::uint32_t processId, int milliseconds) {
    const pid_t group = static_cast<pid_t>(processId);
    if (group <= 0) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (ProcessGroupAlive(group)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void TerminatePlayerGroup(std::uint32_t processId) {
    const pid_t pid = static_cast<pid_t>(processId);
    if (pid <= 1 || pid == getpgrp()) {
        return;
    }
    const LaunchedPlayer* player = FindLaunchedPlayer(pid);
    if (player == nullptr) {
        return;
    }
    ProcessStat stat;
    if (ReadProcessStat(pid, stat)) {
        // A live process with this id that started at another moment reused
        // the id, which the kernel allows only once the player's group is gone.
        const unsigned long long recorded = player->startTicks.load();
        if (recorded == 0 || stat.startTicks != recorded) {
            return;
        }
        if (stat.processGroup != pid) {
            // The player never got a group of its own: end it alone.
            kill(pid, SIGTERM);
            return;
        }
    }
    // With the player itself gone, its group lives on in what it started.
    kill(-pid, SIGTERM);
}

}  // namespace skyloom
