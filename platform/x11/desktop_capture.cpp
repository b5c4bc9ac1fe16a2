#include "platform/x11/desktop_capture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

#include "objects/desktop_fade.h"
#include "platform/x11/x_connection.h"

namespace skyloom {

namespace {

// Larger than any texture a driver offers; also keeps the sizes in range.
constexpr int32_t kMaxPictureEdge = 16384;

// Turns the pixel values of one visual into 8-bit red, green and blue.
class PixelDecoder {
public:
    bool Init(Display* display, const Visual* visual, Colormap colormap, int depth) {
        if (visual->c_class == TrueColor) {
            const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
            for (int c = 0; c < 3; ++c) {
                mask_[c] = masks[c];
                shift_[c] = 0;
                while (mask_[c] != 0 && ((mask_[c] >> shift_[c]) & 1) == 0) {
                    ++shift_[c];
                }
                max_[c] = mask_[c] >> shift_[c];
            }
            return max_[0] != 0 && max_[1] != 0 && max_[2] != 0;
        }
        // Colour-mapped visuals: small enough to look every entry up once.
        if (depth < 1 || depth > 8 || colormap == None) {
            return false;
        }
        const int entries = 1 << depth;
        XColor colors[256];
        for (int i = 0; i < entries; ++i) {
            colors[i].pixel = static_cast<unsigned long>(i);
        }
        XQueryColors(display, colormap, colors, entries);
        palette_.resize(static_cast<size_t>(entries) * 3);
        for (int i = 0; i < entries; ++i) {
            palette_[i * 3 + 0] = static_cast<uint8_t>(colors[i].red >> 8);
            palette_[i * 3 + 1] = static_cast<uint8_t>(colors[i].green >> 8);
            palette_[i * 3 + 2] = static_cast<uint8_t>(colors[i].blue >> 8);
        }
        return true;
    }

    // Writes blue, green, red.
    void Decode(unsigned long pixel, uint8_t* bgr) const {
        if (!palette_.empty()) {
            const size_t index = (pixel % (palette_.size() / 3)) * 3;
            bgr[0] = palette_[index + 2];
            bgr[1] = palette_[index + 1];
            bgr[2] = palette_[index + 0];
            return;
        }
        for (int c = 0; c < 3; ++c) {
            const unsigned long value = (pixel & mask_[c]) >> shift_[c];
            bgr[2 - c] = static_cast<uint8_t>(value * 255 / max_[c]);
        }
    }

private:
    unsigned long mask_[3] = {};
    int shift_[3] = {};
    unsigned long max_[3] = {};
    std::vector<uint8_t> palette_;
};

bool NativeOrderIsLsbFirst() {
    const uint16_t probe = 1;
    uint8_t first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// A black picture of the size, or an empty one when the size is unusable.
DesktopPicture BlankPicture(int32_t width, int32_t height) {
    DesktopPicture picture;
    if (width <= 0 || height <= 0 || width > kMaxPictureEdge || height > kMaxPictureEdge) {
        return picture;
    }
    picture.width = width;
    picture.height = height;
    picture.rowStride = DesktopRowStride(width);
    picture.bgr.assign(static_cast<size_t>(picture.rowStride) * height, 0);
    return picture;
}

// Copies the image into the picture with its top-left pixel at (left, top),
// counted from the picture's top-left corner.
void CopyImage(const XImage& image, const PixelDecoder& decoder, int32_t left, int32_t top, DesktopPicture& picture) {
    const bool direct = image.bits_per_pixel == 32 && (image.byte_order == LSBFirst) == NativeOrderIsLsbFirst();
    for (int y = 0; y < image.height; ++y) {
        // The picture stores the bottom row first.
        const int32_t row = picture.height - 1 - (top + y);
        uint8_t* out = picture.bgr.data() + static_cast<size_t>(row) * picture.rowStride + static_cast<size_t>(left) * 3;
        const char* in = image.data + static_cast<size_t>(y) * image.bytes_per_line;
        for (int x = 0; x < image.width; ++x) {
            unsigned long pixel = 0;
            if (direct) {
                uint32_t value = 0;
                std::memcpy(&value, in + static_cast<size_t>(x) * 4, 4);
                pixel = value;
            } else {
                pixel = XGetPixel(const_cast<XImage*>(&image), x, y);
            }
            decoder.Decode(pixel, out + static_cast<size_t>(x) * 3);
        }
    }
}

// Reads the part of the drawable (of size drawableWidth x drawableHeight)
// that lies under the area and keeps it as the picture; the rest of the
// area stays black.
bool CaptureFromDrawable(Display* display, Drawable drawable, int drawableWidth, int drawableHeight,
                         const PixelDecoder& decoder, int32_t x, int32_t y, int32_t width, int32_t height) {
    DesktopPicture picture = BlankPicture(width, height);
    if (picture.width == 0) {
        return false;
    }
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int32_t right = std::min(x + width, drawableWidth);
    const int32_t bottom = std::min(y + height, drawableHeight);
    if (left < right && top < bottom) {
        XErrorTrap trap(display);
        XImage* image = XGetImage(display, drawable, left, top, static_cast<unsigned>(right - left),
                                  static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
        if (trap.Sync() != 0 || image == nullptr) {
            if (image != nullptr) {
                XDestroyImage(image);
            }
            return false;
        }
        CopyImage(*image, decoder, left - x, top - y, picture);
        XDestroyImage(image);
    }
    StoreDesktopPicture(std::move(picture));
    return true;
}

std::string Trimmed(const std::string& text, size_t begin, size_t end) {
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool IsTrueWord(std::string value) {
    for (char& c : value) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return value == "true" || value == "yes" || value == "on" || value == "1";
}

// The screenshot pixmap the daemon left on the window; None when there is none.
Pixmap DaemonScreenshot(Display* display, Window window) {
    const Atom property = XInternAtom(display, "_SCREENSAVER_SCREENSHOT", True);
    if (property == None) {
        return None;
    }
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_PIXMAP, &type, &format, &items, &remaining,
                           &data) == Success &&
        type == XA_PIXMAP && format == 32 && items == 1 && data != nullptr) {
        // Items of format 32 arrive as longs.
        pixmap = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return pixmap;
}

}  // namespace

bool CaptureScreenArea(int32_t x, int32_t y, int32_t width, int32_t height) {
    Display* display = SaverDisplay();
    if (display == nullptr) {
        return false;
    }
    const int screen = DefaultScreen(display);
    PixelDecoder decoder;
    if (!decoder.Init(display, DefaultVisual(display, screen), DefaultColormap(display, screen),
                      DefaultDepth(display, screen))) {
        return false;
    }
    return CaptureFromDrawable(display, RootWindow(display, screen), DisplayWidth(display, screen),
                               DisplayHeight(display, screen), decoder, x, y, width, height);
}

bool CaptureDaemonScreenshot(uint32_t window) {
    Display* display = SaverDisplay();
    if (display == nullptr) {
        return false;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0' || !DaemonAllowsDesktopGrab((std::string(home) + "/.xscreensaver").c_str())) {
        return false;
    }
    XErrorTrap trap(display);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || trap.Sync() != 0) {
        return false;
    }
    const Pixmap pixmap = DaemonScreenshot(display, window);
    if (pixmap == None || trap.Sync() != 0) {
        return false;
    }
    Window root = None;
    int pixmapX = 0;
    int pixmapY = 0;
    unsigned pixmapWidth = 0;
    unsigned pixmapHeight = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(display, pixmap, &root, &pixmapX, &pixmapY, &pixmapWidth, &pixmapHeight, &border, &depth) ||
        trap.Sync() != 0) {
        return false;
    }
    // The screenshot covers the whole screen; the window may be one monitor.
    int windowX = 0;
    int windowY = 0;
    Window child = None;
    if (!XTranslateCoordinates(display, window, attributes.root, 0, 0, &windowX, &windowY, &child) ||
        trap.Sync() != 0) {
        return false;
    }
    // A pixmap has no visual of its own: it shares the window's, or the
    // screen's default one for its depth.
    PixelDecoder decoder;
    bool decodable = false;
    if (static_cast<int>(depth) == attributes.depth) {
        decodable = decoder.Init(display, attributes.visual, attributes.colormap, attributes.depth);
    } else if (static_cast<int>(depth) == DefaultDepthOfScreen(attributes.screen)) {
        decodable = decoder.Init(display, DefaultVisualOfScreen(attributes.screen),
                                 DefaultColormapOfScreen(attributes.screen), static_cast<int>(depth));
    }
    if (!decodable) {
        return false;
    }
    return CaptureFromDrawable(display, pixmap, static_cast<int>(pixmapWidth), static_cast<int>(pixmapHeight),
                               decoder, windowX, windowY, attributes.width, attributes.height);
}

bool DaemonAllowsDesktopGrab(const char* path) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    bool allowed = false;
    bool continuation = false;
    std::string line;
    while (std::getline(file, line)) {
        // A line ending in a backslash runs on into the next (program lists).
        const bool continues = !line.empty() && line.back() == '\\';
        const bool ownLine = !continuation;
        continuation = continues;
        if (!ownLine) {
            continue;
        }
        const std::string text = Trimmed(line, 0, line.size());
        if (text.empty() || text[0] == '!' || text[0] == '#') {
            continue;
        }
        const size_t colon = text.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string name = Trimmed(text, 0, colon);
        // "grabDesktopImages", "*grabDesktopImages", "xscreensaver.grabDesktopImages".
        const size_t separator = name.find_last_of(".*");
        if (separator != std::string::npos) {
            name.erase(0, separator + 1);
        }
        if (name == "grabDesktopImages") {
            allowed = IsTrueWord(Trimmed(text, colon + 1, text.size()));
        }
    }
    return allowed;
}

}  // namespace skyloom
