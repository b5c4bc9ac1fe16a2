// F5 in the running saver on an Xvfb of the test's own: the files it
// writes, the bell it rings, and what the pictures show.

#include <gtest/gtest.h>

#include "config/language_tables.h"
#include "os/settings_file.h"
#include "platform/offscreen/offscreen_gl.h"
#include "saver/font.h"
#include "saver/overlay_pass.h"
#include "scene/render_size.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"
#include "tests/support/sanitizer_slack.h"
#include "tests/support/saver_process.h"
#include "tests/support/temp_config.h"
#include "tests/support/xvfb_server.h"

#include <GL/gl.h>

// After gtest: Xlib's None and Bool macros would break its headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using testing::MonotonicMs;
using testing::ReadFileText;
using testing::SaverProcess;
using testing::ScratchFolder;
using testing::WriteFileText;
using testing::XvfbServer;

constexpr int kStartMs = 15'000;
constexpr int kFileMs = 10'000;

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    const int64_t deadline = MonotonicMs() + milliseconds;
    while (!done()) {
        if (MonotonicMs() >= deadline) {
            return false;
        }
        usleep(10'000);
    }
    return true;
}

void SleepMs(int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); }

std::string Home() { return std::getenv("HOME"); }

std::string ShotName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "sk_screenshot_%03d.bmp", number);
    return name;
}

long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

uint32_t Read32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + k]);
    }
    return value;
}

// A 24-bit BMP as the saver writes it, read back.
struct Picture {
    int width = 0;
    int height = 0;
    std::string file;

    bool Load(const std::string& path) {
        file = ReadFileText(path);
        if (file.size() < 54 || file.compare(0, 2, "BM") != 0) {
            return false;
        }
        width = static_cast<int>(Read32(file, 18));
        height = static_cast<int>(Read32(file, 22));
        return file.size() == 54 + static_cast<size_t>((width * 3 + 3) / 4 * 4) * height;
    }
    // Brightest channel at (x, y), y from the top.
    int At(int x, int y) const {
        const size_t stride = static_cast<size_t>((width * 3 + 3) / 4 * 4);
        const size_t at = 54 + static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x) * 3;
        return std::max({static_cast<uint8_t>(file[at]), static_cast<uint8_t>(file[at + 1]),
                         static_cast<uint8_t>(file[at + 2])});
    }
};

// A connected patch of lit pixels.
struct Blob {
    int area = 0;
    int x = 0;
    int y = 0;
};

std::vector<Blob> FindBlobs(const Picture& picture, int threshold) {
    std::vector<uint8_t> seen(static_cast<size_t>(picture.width) * picture.height, 0);
    std::vector<Blob> blobs;
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (seen[static_cast<size_t>(y) * picture.width + x] || picture.At(x, y) <= threshold) {
                continue;
            }
            Blob blob{0, x, y};
            stack.push_back({x, y});
            seen[static_cast<size_t>(y) * picture.width + x] = 1;
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                ++blob.area;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx;
                        const int ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= picture.width || ny >= picture.height) {
                            continue;
                        }
                        uint8_t& mark = seen[static_cast<size_t>(ny) * picture.width + nx];
                        if (!mark && picture.At(nx, ny) > threshold) {
                            mark = 1;
                            stack.push_back({nx, ny});
                        }
                    }
                }
            }
            blobs.push_back(blob);
        }
    }
    return blobs;
}

class ScreenshotCaptureTest : public ::testing::Test {
protected:
    void TearDown() override {
        saver.Signal(SIGKILL);
        saver.WaitForExit(5000);
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        xvfb.Stop();
    }

    // A black root, so nothing but the saver's drawing is lit.
    void StartServer(int width = 1024, int height = 768) {
        ASSERT_TRUE(xvfb.Start(24, width, height, {"-br"})) << "Xvfb did not start";
        display = XOpenDisplay(xvfb.DisplayName().c_str());
        ASSERT_NE(display, nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(display, &event, &error, &major, &minor));
        int opcode = 0;
        int xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
        ASSERT_TRUE(XkbQueryExtension(display, &opcode, &xkbEventBase, &error, &xkbMajor, &xkbMinor));
        // Every bell rung on the server reaches this client as an event.
        ASSERT_TRUE(XkbSelectEvents(display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask));
        XSync(display, False);
    }

    bool KeyboardGrabbed() {
        const int result = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync,
                                         CurrentTime);
        if (result == GrabSuccess) {
            XUngrabKeyboard(display, CurrentTime);
        }
        XSync(display, False);
        return result == AlreadyGrabbed;
    }

    void StartFullScreenSaver(const std::map<std::string, std::string>& env = {}) {
        ASSERT_TRUE(saver.Start({"/s"}, xvfb.DisplayName(), env));
        ASSERT_TRUE(WaitUntil([&] { return KeyboardGrabbed() || !saver.Running(); }, kStartMs));
        ASSERT_TRUE(saver.Running()) << saver.Output();
    }

    // The viewable top-level window called "Skyloom", 0 when there is none.
    Window SaverTopLevel() {
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parentReturn, &children, &count)) {
            for (unsigned int k = 0; k < count && found == 0; ++k) {
                char* name = nullptr;
                XWindowAttributes attributes{};
                if (XFetchName(display, children[k], &name) && name != nullptr) {
                    if (std::string(name) == "Skyloom" && XGetWindowAttributes(display, children[k], &attributes) &&
                        attributes.map_state == IsViewable) {
                        found = children[k];
                    }
                    XFree(name);
                }
            }
            XFree(children);
        }
        return found;
    }

    void PressKey(KeySym key) {
        const KeyCode code = XKeysymToKeycode(display, key);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XSync(display, False);
    }

    // Bells heard since the last call.
    int TakeBells() {
        XSync(display, False);
        int bells = 0;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == xkbEventBase && reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type == XkbBellNotify) {
                ++bells;
            }
        }
        return bells;
    }

    // Waits until the file has the size of a whole picture.
    bool WaitForPicture(const std::string& path, long size) {
        return WaitUntil([&] { return FileSize(path) == size || !saver.Running(); }, kFileMs) &&
               FileSize(path) == size;
    }

    XvfbServer xvfb;
    Display* display = nullptr;
    int xkbEventBase = 0;
    SaverProcess saver;
};

constexpr long kFullScreenPictureBytes = 54 + 1024L * 768 * 3;

TEST_F(ScreenshotCaptureTest, F5ThreeTimesWritesTheNextFreeNumbersRingsAndKeepsRunning) {
    const std::string folder = Home() + "/Pictures";
    ASSERT_TRUE(WriteFileText(folder + "/" + ShotName(0), "an earlier picture"));
    StartServer();
    StartFullScreenSaver();
    TakeBells();
    for (int number = 1; number <= 3; ++number) {
        PressKey(XK_F5);
        EXPECT_TRUE(WaitForPicture(folder + "/" + ShotName(number), kFullScreenPictureBytes))
            << ShotName(number) << "\n" << saver.Output();
    }
    EXPECT_EQ(ReadFileText(folder + "/" + ShotName(0)), "an earlier picture");
    EXPECT_EQ(FileSize(folder + "/" + ShotName(4)), -1);
    int bells = 0;
    WaitUntil([&] { return (bells += TakeBells()) >= 3; }, 3000);
    SleepMs(300);
    bells += TakeBells();
    EXPECT_EQ(bells, 3);
    EXPECT_TRUE(saver.Running()) << saver.Output();
    Picture picture;
    ASSERT_TRUE(picture.Load(folder + "/" + ShotName(3)));
    EXPECT_EQ(picture.width, 1024);
    EXPECT_EQ(picture.height, 768);
}

TEST_F(ScreenshotCaptureTest, PicturesFolderThatCannotBeMadeWritesNothingAndSaysSo) {
    ASSERT_TRUE(WriteFileText(Home() + "/blocker", "a file where a folder would go"));
    ASSERT_TRUE(WriteFileText(std::string(std::getenv("XDG_CONFIG_HOME")) + "/user-dirs.dirs",
                              "XDG_PICTURES_DIR=\"$HOME/blocker/Pictures\"\n"));
    StartServer();
    StartFullScreenSaver();
    TakeBells();
    PressKey(XK_F5);
    EXPECT_TRUE(WaitUntil([&] { return saver.Output().find("no screenshot") != std::string::npos; }, kFileMs))
        << saver.Output();
    SleepMs(1000);
    EXPECT_EQ(TakeBells(), 0);
    EXPECT_EQ(ReadFileText(Home() + "/blocker"), "a file where a folder would go");
    EXPECT_EQ(FileSize(Home() + "/" + ShotName(0)), -1);
    EXPECT_TRUE(saver.Running()) << saver.Output();
    // One line for the one key press.
    const std::string output = saver.Output();
    size_t lines = 0;
    for (size_t start = 0; start < output.size();) {
        const size_t end = std::min(output.find('\n', start), output.size());
        lines += output.substr(start, end - start).find("screenshot") != std::string::npos ? 1 : 0;
        start = end + 1;
    }
    EXPECT_EQ(lines, 1u) << output;
}

TEST_F(ScreenshotCaptureTest, WindowPictureHoldsAStarField) {
    // Stars alone, from a fixed seed, without the notices of the first runs.
    Seed.Set(4242);
    FactorNumNebulae.Set(0.0f);
    FadeFromDesktop.Set(0);
    UsageCountScreensaver.Set(10);
    StartServer(1600, 900);
    ASSERT_TRUE(saver.Start({"-window"}, xvfb.DisplayName()));
    ASSERT_TRUE(WaitUntil([&] { return SaverTopLevel() != 0 || !saver.Running(); }, kStartMs)) << saver.Output();
    const Window top = SaverTopLevel();
    ASSERT_NE(top, 0u) << saver.Output();
    XSetInputFocus(display, top, RevertToParent, CurrentTime);
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display, top, &attributes));
    SleepMs(3000 * testing::kSanitizerSlowdown);
    PressKey(XK_F5);
    const long bytes = 54 + static_cast<long>(attributes.width * 3 + 3) / 4 * 4 * attributes.height;
    ASSERT_TRUE(WaitForPicture(Home() + "/" + ShotName(0), bytes)) << saver.Output();

    Picture picture;
    ASSERT_TRUE(picture.Load(Home() + "/" + ShotName(0)));
    EXPECT_EQ(picture.width, attributes.width);
    EXPECT_EQ(picture.height, attributes.height);
    // Leave out the credits in the bottom-right corner.
    std::vector<Blob> stars;
    for (const Blob& blob : FindBlobs(picture, 24)) {
        if (!(blob.x > picture.width - 120 && blob.y > picture.height - 60)) {
            stars.push_back(blob);
        }
    }
    EXPECT_GE(stars.size(), 100u);
    EXPECT_LE(stars.size(), 5000u);
    // Points, not patches, spread over the whole picture.
    const auto small = std::count_if(stars.begin(), stars.end(), [](const Blob& b) { return b.area <= 9; });
    EXPECT_GE(static_cast<double>(small), stars.size() * 0.95);
    int quadrants[4] = {0, 0, 0, 0};
    for (const Blob& blob : stars) {
        ++quadrants[(blob.x < picture.width / 2 ? 0 : 1) + (blob.y < picture.height / 2 ? 0 : 2)];
    }
    for (int count : quadrants) {
        EXPECT_GE(count, static_cast<int>(stars.size() / 10));
    }
}

// The notice as the saver would draw it at the given size, rendered on
// the offscreen context: the brightest channel of every pixel, rows from
// the top.
std::vector<int> RenderNotice(const char* text, int width, int height) {
    OffscreenGlContext gl;
    std::vector<int> brightness;
    if (!gl.Create(width, height)) {
        ADD_FAILURE() << "no offscreen context";
        return brightness;
    }
    SetRenderSize(width, height);
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    SetMaxTextureSize(maxTextureSize);
    testing::SetSceneRenderState();
    glClear(GL_COLOR_BUFFER_BIT);
    LoadFont(8);
    SetupOverlayProjection();
    DrawTextCenteredWrapped(0.805, text, true, ColorRGBA(1.0, 1.0, 1.0, 1.0));
    const testing::Framebuffer frame = testing::ReadFramebuffer(gl);
    ReleaseFont();
    gl.Destroy();
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const uint8_t* p = frame.At(x, y);
            brightness.push_back(std::max({p[0], p[1], p[2]}));
        }
    }
    return brightness;
}

// How well the picture shows a rendered text: the share of the text's
// bright pixels lit in the picture, and the share of the picture's lit
// pixels in the text's rows that the text leaves dark.
struct TextMatch {
    double shown = 0.0;
    double unexplained = 1.0;
};

TextMatch MatchText(const Picture& picture, const std::vector<int>& text) {
    int bright = 0, shown = 0, lit = 0, unexplained = 0;
    int top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (text[static_cast<size_t>(y) * picture.width + x] > 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int expected = text[static_cast<size_t>(y) * picture.width + x];
            const bool onScreen = picture.At(x, y) > 96;
            if (expected > 128) {
                ++bright;
                shown += onScreen ? 1 : 0;
            }
            if (onScreen) {
                ++lit;
                unexplained += expected <= 32 ? 1 : 0;
            }
        }
    }
    TextMatch match;
    match.shown = bright == 0 ? 0.0 : static_cast<double>(shown) / bright;
    match.unexplained = lit == 0 ? 1.0 : static_cast<double>(unexplained) / lit;
    return match;
}

TEST_F(ScreenshotCaptureTest, FirstStartOnAGermanLocaleShowsTheGermanNoticeAndStoresGerman) {
    // A first start: no settings at all yet.
    const std::string config = ScratchFolder() + "/first-start-config";
    StartServer();
    StartFullScreenSaver({{"XDG_CONFIG_HOME", config}, {"LANG", "de_DE.UTF-8"}, {"LC_ALL", ""},
                          {"LC_MESSAGES", ""}});
    SleepMs(1500);
    PressKey(XK_F5);
    const std::string path = Home() + "/" + ShotName(0);
    ASSERT_TRUE(WaitForPicture(path, kFullScreenPictureBytes)) << saver.Output();
    saver.Signal(SIGTERM);
    EXPECT_EQ(saver.WaitForExit(10'000), 0) << saver.Output();

    const std::vector<std::string> stored = ReadSettingsLines(config + "/Quillmere/Skyloom.conf");
    EXPECT_EQ(FindStoredText(stored, "CurrentLanguage"), std::optional<std::string>("german"));

    // This process reads the build's language files as the saver did.
    AppDir.Set("");
    CurrentLanguage.Set("german");
    LoadLanguageTables();
    const std::string german = GetText(T_NO3DACCELERATION);
    CurrentLanguage.Set("english");
    LoadLanguageTables();
    const std::string english = GetText(T_NO3DACCELERATION);
    ASSERT_NE(german, english);

    Picture picture;
    ASSERT_TRUE(picture.Load(path));
    const TextMatch asGerman = MatchText(picture, RenderNotice(german.c_str(), picture.width, picture.height));
    const TextMatch asEnglish = MatchText(picture, RenderNotice(english.c_str(), picture.width, picture.height));
    std::printf("German notice: %.3f of its pixels shown, %.3f of the lit pixels unexplained; "
                "English: %.3f shown, %.3f unexplained\n",
                asGerman.shown, asGerman.unexplained, asEnglish.shown, asEnglish.unexplained);
    EXPECT_GE(asGerman.shown, 0.97);
    // Stars behind the text may light a few pixels.
    EXPECT_LE(asGerman.unexplained, 0.05);
    EXPECT_GE(asEnglish.unexplained, 0.2) << "the test cannot tell the languages apart";
}

}  // namespace
}  // namespace skyloom
