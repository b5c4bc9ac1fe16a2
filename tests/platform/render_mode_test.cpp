#include "platform/offscreen/render_host.h"
#include "tests/support/saver_process.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace skyloom {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileText;
using testing::SaverProcess;
using testing::ScratchFolder;

// Runs skyloom with args and no display; the exit code, or -1 on a hang.
int RunSkyloom(const std::vector<std::string>& args, std::string* output = nullptr) {
    SaverProcess process;
    if (!process.Start(args, "")) {
        return -1;
    }
    const std::optional<int> code = process.WaitForExit(120'000);
    if (output != nullptr) {
        *output = process.Output();
    }
    return code.value_or(-1);
}

std::string Folder(const std::string& name) {
    const std::string path = ScratchFolder() + "/" + name;
    fs::remove_all(path);
    return path;
}

// Width and height from a PNG's header chunk; {0, 0} when it is not one.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    auto be32 = [&](size_t at) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i) {
            v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
        }
        return v;
    };
    return {be32(16), be32(20)};
}

// RGB bytes of a PNG file, top row first; empty when it cannot be read.
std::vector<uint8_t> ReadRgb(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        return {};
    }
    return rgb;
}

std::set<std::string> FileNames(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Five simulated seconds: nebulae (every 2 s) are on screen by the last frame.
std::vector<std::string> NebulaRender(const std::string& folder, const std::string& seed) {
    return {"--render", folder, "--size", "320x180", "--fps", "10", "--seconds", "5", "--every", "50", "--seed", seed};
}

TEST(RenderMode, SameArgumentsGiveIdenticalFramesAndAnotherSeedDiffers) {
    const std::string a = Folder("a");
    const std::string b = Folder("b");
    const std::string c = Folder("c");
    std::string output;
    ASSERT_EQ(RunSkyloom(NebulaRender(a, "1234"), &output), 0) << output;
    EXPECT_NE(output.find("wrote 1 files"), std::string::npos) << output;
    ASSERT_EQ(RunSkyloom(NebulaRender(b, "1234")), 0);
    ASSERT_EQ(RunSkyloom(NebulaRender(c, "98765")), 0);

    const std::string first = ReadFileText(a + "/frame_00050.png");
    ASSERT_EQ(PngSize(first), std::make_pair(320u, 180u));
    EXPECT_EQ(FileNames(a), std::set<std::string>{"frame_00050.png"});
    EXPECT_TRUE(first == ReadFileText(b + "/frame_00050.png"));
    const std::string other = ReadFileText(c + "/frame_00050.png");
    ASSERT_EQ(PngSize(other), std::make_pair(320u, 180u));
    EXPECT_FALSE(first == other);
}

TEST(RenderMode, TenSecondsAtThirtyFpsWriteEveryFrameOrEveryTenth) {
    const std::string all = Folder("all");
    ASSERT_EQ(RunSkyloom({"--render", all, "--size", "48x27", "--seconds", "10"}), 0);
    const std::set<std::string> names = FileNames(all);
    ASSERT_EQ(names.size(), 300u);
    EXPECT_EQ(*names.begin(), "frame_00001.png");
    EXPECT_EQ(*names.rbegin(), "frame_00300.png");
    for (const std::string& name : {std::string("frame_00001.png"), std::string("frame_00300.png")}) {
        EXPECT_EQ(PngSize(ReadFileText(all + "/" + name)), std::make_pair(48u, 27u)) << name;
    }

    const std::string tenth = Folder("tenth");
    ASSERT_EQ(RunSkyloom({"--render", tenth, "--size", "48x27", "--seconds", "10", "--every", "10"}), 0);
    const std::set<std::string> kept = FileNames(tenth);
    ASSERT_EQ(kept.size(), 30u);
    EXPECT_EQ(*kept.begin(), "frame_00010.png");
    EXPECT_EQ(*kept.rbegin(), "frame_00300.png");
    EXPECT_TRUE(kept.count("frame_00150.png"));
}

TEST(RenderMode, LeavesTheSettingsFileAsItWas) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr);
    const std::string path = std::string(config) + "/Quillmere/Skyloom.conf";
    // A first start (UCA 0) and an out-of-range page are what a saver start rewrites.
    ASSERT_TRUE(testing::WriteFileText(path, "UCA=0\nCurrentConfigureSheet=7\nSeed=0\n"));
    // Loading the settings completes a partial file with the defaults; any
    // run does that, so the comparison starts from the completed file.
    ASSERT_EQ(RunSkyloom({"--version"}), 0);
    const std::string before = ReadFileText(path);
    ASSERT_NE(before.find("CurrentConfigureSheet=7"), std::string::npos) << before;
    ASSERT_EQ(RunSkyloom({"--render", Folder("settings"), "--size", "32x18", "--frames", "20"}), 0);
    EXPECT_EQ(ReadFileText(path), before);
}

TEST(RenderMode, BadArgumentsGiveTheUsageError) {
    const std::string folder = Folder("bad");
    const std::vector<std::vector<std::string>> cases = {
        {"--render", folder},                                        // no length
        {"--render", folder, "--frames", "5", "--seconds", "1"},     // both lengths
        {"--render", folder, "--frames", "0"},
        {"--render", folder, "--frames", "5", "--size", "0x10"},
        {"--render", folder, "--frames", "5", "--size", "640"},
        {"--render", folder, "--frames", "5", "--fps", "-3"},
        {"--render", folder, "--frames", "5", "--every", "x"},
        {"--render", folder, "--frames", "5", "--seed"},             // value missing
        {"--render", folder, "--frames", "5", "/s"},                 // a saver mode
        {"--size", "64x36", "--frames", "5"},                        // render options alone
    };
    for (const auto& args : cases) {
        std::string output;
        EXPECT_EQ(RunSkyloom(args, &output), 2) << args.back();
        EXPECT_NE(output.find("Usage:"), std::string::npos) << args.back();
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST(RenderMode, UnwritableFolderFailsWithoutFrames) {
    const std::string file = ScratchFolder() + "/plain-file";
    ASSERT_TRUE(testing::WriteFileText(file, "x"));
    std::string output;
    EXPECT_EQ(RunSkyloom({"--render", file, "--size", "32x18", "--frames", "3"}, &output), 1);
    EXPECT_NE(output.find("cannot use the folder"), std::string::npos) << output;
}

// The desktop fade starts from the given picture: the first frame is still
// mostly that picture; an unreadable picture ends the render before any frame.
TEST(RenderMode, DesktopPictureIsWhereTheFadeStarts) {
    const std::string picture = ScratchFolder() + "/desktop.png";
    constexpr int32_t kW = 64;
    constexpr int32_t kH = 36;
    std::vector<uint8_t> rgba(static_cast<size_t>(kW) * kH * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = 200;  // a red desktop
        rgba[i + 3] = 255;
    }
    std::vector<uint8_t> row;
    ASSERT_TRUE(WriteRgbaAsPng(picture.c_str(), kW, kH, rgba, row));

    const std::string faded = Folder("faded");
    const std::string plain = Folder("plain");
    const std::vector<std::string> common = {"--size", "64x36", "--frames", "1", "--assume-accelerated"};
    std::vector<std::string> withDesktop = {"--render", faded, "--desktop", picture};
    withDesktop.insert(withDesktop.end(), common.begin(), common.end());
    std::vector<std::string> without = {"--render", plain};
    without.insert(without.end(), common.begin(), common.end());
    std::string output;
    ASSERT_EQ(RunSkyloom(withDesktop, &output), 0) << output;
    ASSERT_EQ(RunSkyloom(without), 0);
    const std::vector<uint8_t> fadedFrame = ReadRgb(faded + "/frame_00001.png");
    const std::vector<uint8_t> plainFrame = ReadRgb(plain + "/frame_00001.png");
    ASSERT_EQ(fadedFrame.size(), static_cast<size_t>(kW) * kH * 3);
    ASSERT_EQ(plainFrame.size(), fadedFrame.size());
    // The middle of the first frame: still the red desktop, where the plain
    // render shows dark sky there.
    const size_t middle = (static_cast<size_t>(kH / 2) * kW + kW / 2) * 3;
    EXPECT_GT(fadedFrame[middle], 150);
    EXPECT_LT(fadedFrame[middle + 1], 100);
    EXPECT_LT(plainFrame[middle], 100);

    const std::string broken = ScratchFolder() + "/broken.png";
    ASSERT_TRUE(testing::WriteFileText(broken, "\x89PNG not really"));
    const std::string none = Folder("none");
    EXPECT_EQ(RunSkyloom({"--render", none, "--desktop", broken, "--frames", "2"}, &output), 1);
    EXPECT_NE(output.find("not a readable PNG"), std::string::npos) << output;
    EXPECT_TRUE(!fs::exists(none) || fs::is_empty(none));
}

TEST(RenderFrameNames, NumberedFromOneAndWiderPastFiveDigits) {
    EXPECT_EQ(RenderFrameName(1), "frame_00001.png");
    EXPECT_EQ(RenderFrameName(99999), "frame_99999.png");
    EXPECT_EQ(RenderFrameName(123456), "frame_123456.png");
}

}  // namespace
}  // namespace skyloom
