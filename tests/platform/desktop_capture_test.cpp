// Taking the desktop picture from an Xvfb of the test's own: the root
// window's content for full screen and window mode, the XScreenSaver
// daemon's screenshot pixmap for -root.

#include <gtest/gtest.h>

#include "objects/desktop_fade.h"
#include "platform/x11/desktop_capture.h"
#include "tests/support/temp_config.h"
#include "tests/support/xvfb_server.h"

// After gtest and the program's headers: Xlib's None and Bool macros.
#include "platform/x11/x_connection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>

namespace skyloom {
namespace {

using testing::WriteFileText;
using testing::XvfbServer;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

struct Rgb {
    int r;
    int g;
    int b;
};

// A picture that differs from pixel to pixel; flip gives a second one.
Rgb Pattern(int x, int y, bool flip = false) {
    const Rgb rgb{(x * 7 + y * 3) & 255, (x ^ y) & 255, (x / 4 + y * 5) & 255};
    return flip ? Rgb{255 - rgb.r, rgb.b, rgb.g} : rgb;
}

int ChannelShift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// The pixel value of an 8-bit colour on a TrueColor visual (the top bits
// of each channel).
unsigned long PixelOf(const Visual* visual, Rgb rgb) {
    unsigned long pixel = 0;
    const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
    const int values[3] = {rgb.r, rgb.g, rgb.b};
    for (int c = 0; c < 3; ++c) {
        const int shift = ChannelShift(masks[c]);
        int bits = 0;
        for (unsigned long m = masks[c] >> shift; m != 0; m >>= 1) {
            ++bits;
        }
        pixel |= (static_cast<unsigned long>(values[c]) >> (8 - bits)) << shift;
    }
    return pixel;
}

// Colour of picture pixel (x, y), counted from the top left.
Rgb PictureAt(const DesktopPicture& picture, int x, int y) {
    const uint8_t* p = picture.bgr.data() + static_cast<size_t>(picture.height - 1 - y) * picture.rowStride + x * 3;
    return Rgb{p[2], p[1], p[0]};
}

class DesktopCaptureTest : public ::testing::Test {
protected:
    void TearDown() override {
        DiscardDesktopPicture();
        CloseSaverDisplay();
        if (display != nullptr) {
            if (pixmap != 0) {
                XFreePixmap(display, pixmap);
            }
            XCloseDisplay(display);
        }
        xvfb.Stop();
    }

    // The test's own connection paints; the saver's connection captures.
    void StartServer(int depth) {
        ASSERT_TRUE(xvfb.Start(depth, kScreenWidth, kScreenHeight)) << "Xvfb did not start";
        display = XOpenDisplay(xvfb.DisplayName().c_str());
        ASSERT_NE(display, nullptr);
        screen = DefaultScreen(display);
        root = RootWindow(display, screen);
        setenv("DISPLAY", xvfb.DisplayName().c_str(), 1);
        OpenSaverDisplay();
    }

    // Paints the drawable with the pattern through one image upload.
    void Paint(Drawable drawable, int width, int height, bool flip) {
        Visual* visual = DefaultVisual(display, screen);
        const int depth = DefaultDepth(display, screen);
        XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        ASSERT_NE(image, nullptr);
        image->data = static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                XPutPixel(image, x, y, PixelOf(visual, Pattern(x, y, flip)));
            }
        }
        XPutImage(display, drawable, DefaultGC(display, screen), image, 0, 0, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
        XDestroyImage(image);
        XSync(display, False);
    }

    // Four pure colours, one per quadrant of the screen.
    void PaintQuadrants() {
        Visual* visual = DefaultVisual(display, screen);
        const Rgb colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        GC gc = DefaultGC(display, screen);
        for (int q = 0; q < 4; ++q) {
            XSetForeground(display, gc, PixelOf(visual, colors[q]));
            XFillRectangle(display, root, gc, (q % 2) * kScreenWidth / 2, (q / 2) * kScreenHeight / 2,
                           kScreenWidth / 2, kScreenHeight / 2);
        }
        XSync(display, False);
    }

    // A window where the daemon would put the saver, carrying a screenshot
    // of the whole screen in _SCREENSAVER_SCREENSHOT.
    Window DaemonWindow(int x, int y, int width, int height) {
        const Window window = XCreateSimpleWindow(display, root, x, y, static_cast<unsigned>(width),
                                                  static_cast<unsigned>(height), 0, 0, 0);
        pixmap = XCreatePixmap(display, root, kScreenWidth, kScreenHeight,
                               static_cast<unsigned>(DefaultDepth(display, screen)));
        Paint(pixmap, kScreenWidth, kScreenHeight, true);
        const Atom property = XInternAtom(display, "_SCREENSAVER_SCREENSHOT", False);
        const unsigned long id = pixmap;
        XChangeProperty(display, window, property, XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&id), 1);
        XSync(display, False);
        return window;
    }

    static void AllowGrabbing(const char* line) {
        const char* home = std::getenv("HOME");
        ASSERT_NE(home, nullptr);
        ASSERT_TRUE(WriteFileText(std::string(home) + "/.xscreensaver", line));
    }

    XvfbServer xvfb;
    Display* display = nullptr;
    int screen = 0;
    Window root = 0;
    Pixmap pixmap = 0;
};

TEST_F(DesktopCaptureTest, ReadsTheRootWindowAreaBottomRowFirst) {
    StartServer(24);
    Paint(root, kScreenWidth, kScreenHeight, false);
    ASSERT_TRUE(CaptureScreenArea(101, 50, 299, 200));
    ASSERT_TRUE(HasDesktopPicture());
    const DesktopPicture picture = TakeDesktopPicture();
    EXPECT_FALSE(HasDesktopPicture());
    ASSERT_EQ(picture.width, 299);
    ASSERT_EQ(picture.height, 200);
    ASSERT_EQ(picture.rowStride, 900);
    ASSERT_EQ(picture.bgr.size(), 900u * 200u);
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const Rgb want = Pattern(101 + x, 50 + y);
            const Rgb got = PictureAt(picture, x, y);
            wrong += want.r != got.r || want.g != got.g || want.b != got.b;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(DesktopCaptureTest, AreaBeyondTheScreenStaysBlack) {
    StartServer(24);
    Paint(root, kScreenWidth, kScreenHeight, false);
    ASSERT_TRUE(CaptureScreenArea(1000, -10, 50, 40));
    const DesktopPicture picture = TakeDesktopPicture();
    ASSERT_EQ(picture.width, 50);
    ASSERT_EQ(picture.height, 40);
    const Rgb inside = PictureAt(picture, 23, 10);
    EXPECT_EQ(inside.r, Pattern(1023, 0).r);
    EXPECT_EQ(inside.g, Pattern(1023, 0).g);
    const Rgb right = PictureAt(picture, 24, 20);
    EXPECT_EQ(right.r + right.g + right.b, 0);
    const Rgb above = PictureAt(picture, 5, 9);
    EXPECT_EQ(above.r + above.g + above.b, 0);

    // Wholly off the screen: a black picture.
    ASSERT_TRUE(CaptureScreenArea(2000, 2000, 8, 8));
    const DesktopPicture off = TakeDesktopPicture();
    ASSERT_EQ(off.width, 8);
    for (const uint8_t byte : off.bgr) {
        ASSERT_EQ(byte, 0);
    }
}

TEST_F(DesktopCaptureTest, SixteenBitScreensScaleToFullChannels) {
    StartServer(16);
    PaintQuadrants();
    ASSERT_TRUE(CaptureScreenArea(0, 0, kScreenWidth, kScreenHeight));
    const DesktopPicture picture = TakeDesktopPicture();
    ASSERT_EQ(picture.width, kScreenWidth);
    const Rgb red = PictureAt(picture, 10, 10);
    const Rgb green = PictureAt(picture, kScreenWidth - 10, 10);
    const Rgb blue = PictureAt(picture, 10, kScreenHeight - 10);
    const Rgb white = PictureAt(picture, kScreenWidth - 10, kScreenHeight - 10);
    EXPECT_EQ(red.r, 255);
    EXPECT_EQ(red.g + red.b, 0);
    EXPECT_EQ(green.g, 255);
    EXPECT_EQ(green.r + green.b, 0);
    EXPECT_EQ(blue.b, 255);
    EXPECT_EQ(blue.r + blue.g, 0);
    EXPECT_EQ(white.r + white.g + white.b, 3 * 255);
}

TEST_F(DesktopCaptureTest, DaemonScreenshotCroppedToTheWindowWhenGrabbingIsAllowed) {
    StartServer(24);
    // What the root shows now is not what the daemon saw.
    PaintQuadrants();
    const Window window = DaemonWindow(200, 100, 320, 240);
    AllowGrabbing("timeout:\t0:10:00\ngrabDesktopImages:\tTrue\n");
    ASSERT_TRUE(CaptureDaemonScreenshot(static_cast<uint32_t>(window)));
    const DesktopPicture picture = TakeDesktopPicture();
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 240);
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const Rgb want = Pattern(200 + x, 100 + y, true);
            const Rgb got = PictureAt(picture, x, y);
            wrong += want.r != got.r || want.g != got.g || want.b != got.b;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(DesktopCaptureTest, NoDaemonScreenshotWithoutPermissionOrPixmap) {
    StartServer(24);
    const Window window = DaemonWindow(0, 0, 320, 240);
    // Debian's packaged default, and no settings file at all.
    AllowGrabbing("grabDesktopImages:\tFalse\n");
    EXPECT_FALSE(CaptureDaemonScreenshot(static_cast<uint32_t>(window)));
    EXPECT_FALSE(HasDesktopPicture());
    ASSERT_EQ(std::remove((std::string(std::getenv("HOME")) + "/.xscreensaver").c_str()), 0);
    EXPECT_FALSE(CaptureDaemonScreenshot(static_cast<uint32_t>(window)));

    AllowGrabbing("grabDesktopImages: True\n");
    // A window without the property, and an id that names no window.
    const Window plain = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
    XSync(display, False);
    EXPECT_FALSE(CaptureDaemonScreenshot(static_cast<uint32_t>(plain)));
    EXPECT_FALSE(CaptureDaemonScreenshot(0x7fffff));
    EXPECT_FALSE(HasDesktopPicture());
    EXPECT_TRUE(CaptureDaemonScreenshot(static_cast<uint32_t>(window)));
}

TEST(DaemonSettingsTest, GrabbingNeedsATrueGrabDesktopImagesLine) {
    const std::string path = std::string(std::getenv("HOME")) + "/xscreensaver-settings";
    struct Case {
        const char* text;
        bool allowed;
    };
    const Case cases[] = {
        {"grabDesktopImages:\tTrue\n", true},
        {"  grabDesktopImages :  yes  \n", true},
        {"*grabDesktopImages: on\n", true},
        {"xscreensaver.grabDesktopImages: 1\n", true},
        {"grabDesktopImages:\tFalse\n", false},
        {"grabDesktopImages: maybe\n", false},
        {"! grabDesktopImages: True\n# grabDesktopImages: True\n", false},
        {"grabVideoFrames: True\n", false},
        {"grabDesktopImages: False\ngrabDesktopImages: True\n", true},
        {"grabDesktopImages: True\ngrabDesktopImages: off\n", false},
        // Inside a program list that runs on over several lines.
        {"programs:\t\\\n grabDesktopImages: True \\\n  qix -root\n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileText(path, c.text));
        EXPECT_EQ(DaemonAllowsDesktopGrab(path.c_str()), c.allowed) << c.text;
    }
    EXPECT_FALSE(DaemonAllowsDesktopGrab((path + "-missing").c_str()));
}

}  // namespace
}  // namespace skyloom
