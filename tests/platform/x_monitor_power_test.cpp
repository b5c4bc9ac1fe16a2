// Monitor power saving on a real X server: the server's blanking and DPMS
// go off for the run and come back exactly as they were, and nothing that
// was off is switched on.

#include "tests/support/xvfb_server.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would break its headers.
#include "platform/x11/x_monitor_power.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace skyloom {
namespace {

using namespace skyloom::testing;

int64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// Passes X connections on to a server, holding what each client sends for a
// while. A request the client only flushed reaches the server late; one it
// waited for (a round trip) has been carried out once the answer is back.
class SlowRequestProxy {
public:
    ~SlowRequestProxy() {
        if (thread_.joinable()) {
            const uint64_t one = 1;
            (void)!write(stop_, &one, sizeof one);
            thread_.join();
        }
        for (int fd : {listener_, stop_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    // Listens on a free TCP display of this host for the server ":N".
    bool Start(const std::string& serverName, int delayMs) {
        serverSocket_ = "/tmp/.X11-unix/X" + serverName.substr(serverName.find(':') + 1);
        delayMs_ = delayMs;
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        stop_ = eventfd(0, EFD_CLOEXEC);
        for (int number = 50; number < 1000 && name_.empty(); ++number) {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<uint16_t>(6000 + number));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                name_ = "127.0.0.1:" + std::to_string(number);
            }
        }
        if (name_.empty() || stop_ < 0 || listen(listener_, 4) != 0) {
            return false;
        }
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    const std::string& DisplayName() const { return name_; }

private:
    struct Held {
        int64_t dueMs;
        std::string bytes;
    };
    struct Link {
        int client;
        int server;
        std::deque<Held> held;
    };

    int ConnectToServer() {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        serverSocket_.copy(address.sun_path, sizeof address.sun_path - 1);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }

    // Moves what is readable on from to to; false at its end.
    static bool Pass(int from, std::string& bytes) {
        char buffer[65536];
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        bytes.assign(buffer, static_cast<size_t>(n));
        return true;
    }
    static bool WriteAll(int fd, const std::string& bytes) {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }

    void Run() {
        std::vector<Link> links;
        for (;;) {
            std::vector<pollfd> fds{{stop_, POLLIN, 0}, {listener_, POLLIN, 0}};
            int timeoutMs = -1;
            for (const Link& link : links) {
                fds.push_back({link.client, POLLIN, 0});
                fds.push_back({link.server, POLLIN, 0});
                if (!link.held.empty()) {
                    const int wait = static_cast<int>(std::max<int64_t>(0, link.held.front().dueMs - NowMs()));
                    timeoutMs = timeoutMs < 0 ? wait : std::min(timeoutMs, wait);
                }
            }
            poll(fds.data(), fds.size(), timeoutMs);
            if (fds[0].revents != 0) {
                break;
            }
            if (fds[1].revents != 0) {
                const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                const int server = client >= 0 ? ConnectToServer() : -1;
                if (server >= 0) {
                    links.push_back(Link{client, server, {}});
                } else if (client >= 0) {
                    close(client);
                }
            }
            for (size_t k = 0; k < links.size(); ++k) {
                Link& link = links[k];
                bool open = true;
                std::string bytes;
                if (2 + 2 * k + 1 < fds.size() && fds[2 + 2 * k].revents != 0) {
                    open = Pass(link.client, bytes);
                    link.held.push_back(Held{NowMs() + delayMs_, bytes});
                }
                if (open && 2 + 2 * k + 1 < fds.size() && fds[2 + 2 * k + 1].revents != 0) {
                    open = Pass(link.server, bytes) && WriteAll(link.client, bytes);
                }
                while (open && !link.held.empty() && link.held.front().dueMs <= NowMs()) {
                    open = WriteAll(link.server, link.held.front().bytes);
                    link.held.pop_front();
                }
                if (!open) {
                    close(link.client);
                    close(link.server);
                    link.client = link.server = -1;
                }
            }
            std::erase_if(links, [](const Link& link) { return link.client < 0; });
        }
        for (const Link& link : links) {
            close(link.client);
            close(link.server);
        }
    }

    std::string serverSocket_;
    std::string name_;
    int delayMs_ = 0;
    int listener_ = -1;
    int stop_ = -1;
    std::thread thread_;
};

struct Blanking {
    int timeout = -1;
    int interval = -1;
    int preferBlanking = -1;
    int allowExposures = -1;
    bool operator==(const Blanking&) const = default;
};

class XMonitorPowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(xvfb.Start(24, 320, 240)) << "Xvfb did not start";
        display = XOpenDisplay(xvfb.DisplayName().c_str());
        ASSERT_NE(display, nullptr);
        int eventBase = 0;
        int errorBase = 0;
        hasDpms = DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display);
    }
    void TearDown() override {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    Blanking ReadBlanking() {
        Blanking b;
        XGetScreenSaver(display, &b.timeout, &b.interval, &b.preferBlanking, &b.allowExposures);
        return b;
    }
    void SetBlanking(const Blanking& b) {
        XSetScreenSaver(display, b.timeout, b.interval, b.preferBlanking, b.allowExposures);
        XSync(display, False);
    }
    bool DpmsOn() {
        CARD16 level = 0;
        BOOL enabled = False;
        return DPMSInfo(display, &level, &enabled) && enabled != False;
    }
    void SetDpms(bool on) {
        if (on) {
            DPMSEnable(display);
        } else {
            DPMSDisable(display);
        }
        XSync(display, False);
    }

    XvfbServer xvfb;
    Display* display = nullptr;
    bool hasDpms = false;
};

TEST_F(XMonitorPowerTest, BlankingAndDpmsGoOffForTheRunAndComeBackAsTheyWere) {
    const Blanking before{420, 90, PreferBlanking, DontAllowExposures};
    SetBlanking(before);
    if (hasDpms) {
        SetDpms(true);
    }
    XMonitorPowerControl control(display);
    EXPECT_EQ(control.PowerSavingEnabled(), true);

    control.SetPowerSavingEnabled(false);
    XSync(display, False);
    const Blanking during = ReadBlanking();
    EXPECT_EQ(during.timeout, 0);
    EXPECT_EQ(during.interval, before.interval);
    EXPECT_EQ(during.preferBlanking, before.preferBlanking);
    EXPECT_EQ(during.allowExposures, before.allowExposures);
    if (hasDpms) {
        EXPECT_FALSE(DpmsOn());
    }
    EXPECT_EQ(control.PowerSavingEnabled(), false);

    control.SetPowerSavingEnabled(true);
    XSync(display, False);
    EXPECT_EQ(ReadBlanking(), before);
    if (hasDpms) {
        EXPECT_TRUE(DpmsOn());
    }
}

TEST_F(XMonitorPowerTest, TheSwitchIsCarriedOutBeforeTheCallReturns) {
    // The control's connections reach the server a quarter second late;
    // this test reads on its own, direct connection.
    SlowRequestProxy proxy;
    ASSERT_TRUE(proxy.Start(xvfb.DisplayName(), 250));
    Display* slow = XOpenDisplay(proxy.DisplayName().c_str());
    ASSERT_NE(slow, nullptr) << proxy.DisplayName();
    const Blanking before{420, 90, PreferBlanking, DontAllowExposures};
    SetBlanking(before);
    if (hasDpms) {
        SetDpms(true);
    }
    {
        XMonitorPowerControl control(slow);
        const struct {
            bool enabled;
            int timeout;
        } steps[] = {{false, 0}, {true, before.timeout}, {false, 0}};
        for (const auto& step : steps) {
            control.SetPowerSavingEnabled(step.enabled);
            EXPECT_EQ(ReadBlanking().timeout, step.timeout) << "power saving " << step.enabled;
            if (hasDpms) {
                EXPECT_EQ(DpmsOn(), step.enabled);
            }
        }
        control.SetPowerSavingEnabled(true);
    }
    XCloseDisplay(slow);
}

TEST_F(XMonitorPowerTest, WhatWasOffStaysOff) {
    const Blanking off{0, 600, PreferBlanking, AllowExposures};
    SetBlanking(off);
    if (hasDpms) {
        SetDpms(false);
    }
    XMonitorPowerControl control(display);
    EXPECT_EQ(control.PowerSavingEnabled(), false);
    control.SetPowerSavingEnabled(false);
    control.SetPowerSavingEnabled(true);
    XSync(display, False);
    EXPECT_EQ(ReadBlanking().timeout, 0);
    if (hasDpms) {
        EXPECT_FALSE(DpmsOn());
    }

    // Blanking on, DPMS off: only the blanking comes back.
    const Blanking on{300, 600, PreferBlanking, AllowExposures};
    SetBlanking(on);
    EXPECT_EQ(control.PowerSavingEnabled(), true);
    control.SetPowerSavingEnabled(false);
    control.SetPowerSavingEnabled(true);
    XSync(display, False);
    EXPECT_EQ(ReadBlanking(), on);
    if (hasDpms) {
        EXPECT_FALSE(DpmsOn());
    }
}

}  // namespace
}  // namespace skyloom
