#include "platform/offscreen/render_host.h"

#include "config/language_tables.h"
#include "objects/desktop_fade.h"
#include "objects/nebula.h"
#include "platform/offscreen/offscreen_host.h"
#include "saver/gl_window.h"
#include "saver/saver_host.h"
#include "scene/clock_source.h"
#include "scene/random.h"
#include "settings/settings.h"

#include <png.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace skyloom {

namespace {

// Used when neither --seed nor the stored Seed names one, so that renders
// repeat without arguments too.
constexpr uint32_t kFixedSeed = 20'261'207;
// The simulated counter ticks this often a frame: FrameSeconds is then
// exactly 1/fps.
constexpr int64_t kTicksPerFrame = 1000;

// Writes every options.every-th frame as it is swapped.
class RenderHost final : public OffscreenHost {
public:
    RenderHost(OffscreenGlContext& context, const RenderOptions& options)
        : OffscreenHost(context, options.assumeAccelerated), options_(options) {}

    void SwapGlBuffers() override {
        ++frame_;
        // Every frame is finished as a swap would finish it, also those not
        // kept: otherwise a threaded software renderer queues frame after
        // frame of pending drawing, and the process grows by hundreds of MB.
        OffscreenHost::SwapGlBuffers();
        if (failed_ || frame_ % options_.every != 0) {
            return;
        }
        path_ = options_.folder;
        path_ += '/';
        path_ += RenderFrameName(frame_);
        if (!Context().ReadPixels(rgba_) ||
            !WriteRgbaAsPng(path_.c_str(), Context().Width(), Context().Height(), rgba_, rgbRow_)) {
            std::fprintf(stderr, "\nSkyloom: cannot write %s: %s\n", path_.c_str(), std::strerror(errno));
            failed_ = true;
            return;
        }
        ++written_;
    }

    int64_t Frames() const { return frame_; }
    int64_t Written() const { return written_; }
    bool Failed() const { return failed_; }

private:
    const RenderOptions& options_;
    int64_t frame_ = 0;
    int64_t written_ = 0;
    bool failed_ = false;
    std::vector<uint8_t> rgba_;
    std::vector<uint8_t> rgbRow_;
    std::string path_;
};

struct PngReadCleanup {
    png_structp png = nullptr;
    png_infop info = nullptr;
    FILE* file = nullptr;
    ~PngReadCleanup() {
        if (png != nullptr) {
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        }
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};

// Reads a PNG of any colour type into the desktop picture's layout.
bool LoadDesktopPng(const char* path, DesktopPicture& picture) {
    PngReadCleanup c;
    c.file = std::fopen(path, "rb");
    if (c.file == nullptr) {
        return false;
    }
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, c.file) != sizeof signature || png_sig_cmp(signature, 0, 8) != 0) {
        return false;
    }
    c.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (c.png == nullptr) {
        return false;
    }
    c.info = png_create_info_struct(c.png);
    if (c.info == nullptr) {
        return false;
    }
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(c.png))) {
        return false;
    }
    png_init_io(c.png, c.file);
    png_set_sig_bytes(c.png, 8);
    // A picture of a screen; larger ones are not desktops.
    png_set_user_limits(c.png, 16384, 16384);
    png_read_info(c.png, c.info);
    png_set_expand(c.png);
    png_set_strip_16(c.png);
    png_set_strip_alpha(c.png);
    png_set_gray_to_rgb(c.png);
    png_set_bgr(c.png);
    png_read_update_info(c.png, c.info);
    const int32_t width = static_cast<int32_t>(png_get_image_width(c.png, c.info));
    const int32_t height = static_cast<int32_t>(png_get_image_height(c.png, c.info));
    if (png_get_rowbytes(c.png, c.info) != static_cast<size_t>(width) * 3) {
        return false;
    }
    picture.width = width;
    picture.height = height;
    picture.rowStride = DesktopRowStride(width);
    picture.bgr.assign(static_cast<size_t>(picture.rowStride) * height, 0);
    rows.resize(height);
    for (int32_t y = 0; y < height; ++y) {
        // The picture keeps the bottom row first.
        rows[y] = picture.bgr.data() + static_cast<size_t>(height - 1 - y) * picture.rowStride;
    }
    png_read_image(c.png, rows.data());
    png_read_end(c.png, nullptr);
    return true;
}

// The folder and any missing parents; an existing folder is used as it is.
bool MakeFolder(const std::string& folder, std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (!code && !std::filesystem::is_directory(folder, code)) {
        code = std::make_error_code(std::errc::not_a_directory);
    }
    if (code) {
        error = code.message();
        return false;
    }
    return true;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

std::string RenderFrameName(int64_t index) {
    char name[40];
    std::snprintf(name, sizeof name, "frame_%05lld.png", static_cast<long long>(index));
    return name;
}

bool WriteRgbaAsPng(const char* path, int32_t width, int32_t height, const std::vector<uint8_t>& rgba,
                    std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * height * 4) {
        return false;
    }
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    rgb.resize(static_cast<size_t>(width) * 3);
    if (info != nullptr && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        // Fast compression: a render writes many large frames.
        png_set_compression_level(png, 1);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = rgba.data() + static_cast<size_t>(y) * width * 4;
            for (int32_t x = 0; x < width; ++x) {
                rgb[x * 3] = row[x * 4];
                rgb[x * 3 + 1] = row[x * 4 + 1];
                rgb[x * 3 + 2] = row[x * 4 + 2];
            }
            png_write_row(png, rgb.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png != nullptr ? &png : nullptr, info != nullptr ? &info : nullptr);
    // A full disk shows only when the buffered rest is written.
    if (std::fclose(file) != 0) {
        ok = false;
    }
    if (!ok) {
        std::remove(path);
    }
    return ok;
}

int RunRender(const RenderOptions& options) {
    std::string folderError;
    if (!MakeFolder(options.folder, folderError)) {
        std::fprintf(stderr, "Skyloom: cannot use the folder %s: %s\n", options.folder.c_str(), folderError.c_str());
        return 1;
    }
    if (!options.desktop.empty()) {
        DesktopPicture picture;
        if (!LoadDesktopPng(options.desktop.c_str(), picture)) {
            std::fprintf(stderr, "Skyloom: %s is not a readable PNG picture.\n", options.desktop.c_str());
            return 1;
        }
        StoreDesktopPicture(std::move(picture));
    }

    OffscreenGlContext context;
    if (!context.Create(options.width, options.height)) {
        std::fprintf(stderr, "Skyloom: no offscreen OpenGL context of %dx%d (EGL surfaceless).\n", options.width,
                     options.height);
        return 1;
    }
    RenderHost host(context, options);

    SimulatedClockSource clock(static_cast<int64_t>(options.fps) * kTicksPerFrame);
    SetClockSource(clock);
    const int32_t stored = Seed.Get();
    SeedRandom(options.seed ? *options.seed : stored != 0 ? static_cast<uint32_t>(stored) : kFixedSeed);
    // Texts without the start-up's language choice, which writes settings.
    ReloadTexts();
    SetNebulaSpawnWaitsForTexture(true);
    InstallSaverHost(&host);

    host.CreateGlWindow(ScreenRect{0, 0, options.width, options.height}, DesktopFadeRequested());
    const auto start = std::chrono::steady_clock::now();
    double lastReport = -1.0;
    for (int64_t i = 0; i < options.frames && !host.Failed(); ++i) {
        clock.AdvanceTicks(kTicksPerFrame);
        GlWindowProc(WindowEvent{WindowMessage::Paint});
        const double elapsed = SecondsSince(start);
        // A few reports a second are plenty on a terminal.
        if (elapsed - lastReport >= 0.25 || i + 1 == options.frames) {
            lastReport = elapsed;
            std::fprintf(stderr, "\rSkyloom: frame %lld of %lld, %.1f fps   ", static_cast<long long>(i + 1),
                         static_cast<long long>(options.frames), elapsed > 0.0 ? (i + 1) / elapsed : 0.0);
        }
    }
    const double elapsed = SecondsSince(start);
    host.DestroySaverWindow();

    InstallSaverHost(nullptr);
    SetNebulaSpawnWaitsForTexture(false);
    UseRealClock();
    if (host.Failed()) {
        return 1;
    }
    std::fprintf(stderr, "\nSkyloom: rendered %lld frames of %dx%d in %.2f s (%.1f fps), wrote %lld files to %s\n",
                 static_cast<long long>(host.Frames()), options.width, options.height, elapsed,
                 elapsed > 0.0 ? host.Frames() / elapsed : 0.0, static_cast<long long>(host.Written()),
                 options.folder.c_str());
    return 0;
}

}  // namespace skyloom
