#include "objects/nebula.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/random.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::Framebuffer;
using skyloom::testing::ReadFramebuffer;
using skyloom::testing::SetSceneRenderState;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int32_t kSlotSize = 16;

class NebulaTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        SetClockSource(clock);
        StartFrameClock();
        SetRenderSize(kWidth, kHeight);
        SetSceneRenderState();
        RestoreDefaultSettings();
        CameraRotateEnum.Set(0);
        ConfigureCamera();
        SetAspect(static_cast<double>(kWidth) / kHeight);
        // A first frame of no length gives the camera its view direction.
        TickFrameClock();
        UpdateCamera();
        // Without a texture size no worker starts: the slot is this test's.
        SetMaxTextureSize(0);
        SetupNebulae();
        SetMaxTextureSize(4096);
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        ResetNebulae();
        RestoreDefaultSettings();
        Seed.Set(0);
        MaxTextureSizePixels.Set(0);
        SetRenderSize(0, 0);
        UseRealClock();
        gl.Destroy();
    }

    void Frame(double seconds) {
        clock.AdvanceSeconds(seconds);
        TickFrameClock();
    }
    // Time passes in one frame; the next Frame(0.0) is of no length.
    void AdvanceMilliseconds(int ms) { Frame(ms * 0.001); }

    // Plays the worker's part: a texture whose alpha bytes count up.
    void Publish(double coverage, const ColorRGBA& color) {
        NebulaHandOver& slot = NebulaTextureSlot();
        if (slot.Size() == 0) {
            ASSERT_TRUE(slot.Allocate(kSlotSize));
        }
        slot.BeginTexture();
        FillTexels();
        slot.PublishTexture(coverage, color);
    }

    static void FillTexels() {
        uint8_t* texels = NebulaTextureSlot().TexelsForWriting();
        std::memset(texels, 255, kSlotSize * kSlotSize * 4);
        for (int i = 0; i < kSlotSize * kSlotSize; ++i) {
            texels[i * 4 + 3] = static_cast<uint8_t>(i);
        }
    }

    // The newest nebula in the scene list.
    static Nebula* NewestNebula() {
        for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
            if (auto* nebula = dynamic_cast<Nebula*>(node)) {
                return nebula;
            }
        }
        return nullptr;
    }

    Nebula* SpawnOne(double coverage = 30.0, const ColorRGBA& color = ColorRGBA(60, 90, 120, 255)) {
        Publish(coverage, color);
        AdvanceMilliseconds(2001);
        const int before = LiveNebulaCount();
        SpawnNebulae();
        EXPECT_EQ(LiveNebulaCount(), before + 1);
        return NewestNebula();
    }

    static void PlaceAhead(Nebula& nebula, double ahead) {
        nebula.position.z = Camera.EyeZ() - ahead;
        nebula.Update();
    }

    OffscreenGlContext gl;
    SimulatedClockSource clock{1'000'000'000};
};

TEST_F(NebulaTest, TargetFollowsTheFactorAndLowDetail) {
    struct Case {
        float factor;
        int normal;
        int low;
    };
    for (const Case& c : {Case{0.0f, 0, 0}, Case{0.1f, 2, 2}, Case{0.22f, 4, 3}, Case{1.0f, 20, 19},
                          Case{5.0f, 20, 19}, Case{-1.0f, 0, 0}, Case{0.149f, 2, 2}, Case{0.15f, 3, 2}}) {
        FactorNumNebulae.Set(c.factor);
        LowDetail.Set(0);
        EXPECT_EQ(NebulaTarget(), c.normal) << c.factor;
        LowDetail.Set(1);
        EXPECT_EQ(NebulaTarget(), c.low) << c.factor << " low detail";
    }
}

TEST_F(NebulaTest, TextureSizeFollowsDetailAndTheLimits) {
    EXPECT_EQ(NebulaTextureSize(), 1024);
    LowDetail.Set(1);
    EXPECT_EQ(NebulaTextureSize(), 512);
    LowDetail.Set(0);
    SetMaxTextureSize(256);
    EXPECT_EQ(NebulaTextureSize(), 256);
    SetMaxTextureSize(4096);
    MaxTextureSizePixels.Set(300);
    EXPECT_EQ(NebulaTextureSize(), 256);
    MaxTextureSizePixels.Set(64);
    LowDetail.Set(1);
    EXPECT_EQ(NebulaTextureSize(), 64);

    // Set-up sizes the hand-over buffer by it, or starts nothing at all.
    SetMaxTextureSize(256);
    MaxTextureSizePixels.Set(0);
    LowDetail.Set(0);
    SetupNebulae();
    EXPECT_EQ(NebulaTextureSlot().Size(), 256);
    SetMaxTextureSize(0);
    SetupNebulae();
    EXPECT_EQ(NebulaTextureSlot().Size(), 0);
    FactorNumNebulae.Set(1.0f);
    AdvanceMilliseconds(5000);
    SpawnNebulae();
    EXPECT_EQ(LiveNebulaCount(), 0);
}

TEST_F(NebulaTest, SpawnsOnlyReadyTexturesOnePerFrameAtLeast2000MsApart) {
    FactorNumNebulae.Set(1.0f);
    NebulaHandOver& slot = NebulaTextureSlot();
    ASSERT_TRUE(slot.Allocate(kSlotSize));
    AdvanceMilliseconds(2001);
    SpawnNebulae();
    slot.BeginTexture();
    FillTexels();
    SpawnNebulae();
    EXPECT_EQ(LiveNebulaCount(), 0) << "nothing while the state is not ready";

    slot.PublishTexture(33.0, ColorRGBA(10, 20, 30, 255));
    SpawnNebulae();
    SpawnNebulae();
    ASSERT_EQ(LiveNebulaCount(), 1);
    EXPECT_EQ(slot.State(), NebulaHandOver::kWanted);
    const Nebula* first = NewestNebula();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Coverage(), 33.0);
    EXPECT_EQ(first->Color().g, 20);
    EXPECT_EQ(first->Billboard().texture, first->Texture());
    EXPECT_STREQ(first->Billboard().Name(), "Nebula");

    // The texture holds the alpha bytes of the hand-over buffer.
    std::vector<uint8_t> alpha(kSlotSize * kSlotSize);
    glBindTexture(GL_TEXTURE_2D, first->Texture());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    for (int i = 0; i < kSlotSize * kSlotSize; ++i) {
        ASSERT_EQ(alpha[i], i) << i;
    }

    // The next one waits until more than 2000 ms have passed.
    Publish(20.0, ColorRGBA(1, 2, 3, 255));
    AdvanceMilliseconds(2000);
    SpawnNebulae();
    EXPECT_EQ(LiveNebulaCount(), 1);
    AdvanceMilliseconds(1);
    SpawnNebulae();
    EXPECT_EQ(LiveNebulaCount(), 2);
}

TEST_F(NebulaTest, NoMoreLiveThanTheTargetUntilTheCameraPassesThem) {
    FactorNumNebulae.Set(0.1f);
    LowDetail.Set(1);
    const int spritesBefore = LiveSpriteCount();
    SpawnOne();
    SpawnOne();
    Publish(30.0, ColorRGBA(5, 5, 5, 255));
    AdvanceMilliseconds(10000);
    SpawnNebulae();
    EXPECT_EQ(LiveNebulaCount(), 2);
    EXPECT_EQ(LiveSpriteCount(), spritesBefore + 2);

    // 50 s at 3600 units a second takes the camera past both.
    Frame(50.0);
    UpdateCamera();
    UpdateSceneNodes();
    EXPECT_EQ(LiveNebulaCount(), 0);
    UpdateSceneNodes();
    EXPECT_EQ(LiveSpriteCount(), spritesBefore) << "the billboards go with their nebulae";
    SpawnNebulae();
    EXPECT_EQ(LiveNebulaCount(), 1);

    FactorNumNebulae.Set(0.0f);
    Publish(30.0, ColorRGBA(5, 5, 5, 255));
    AdvanceMilliseconds(10000);
    SpawnNebulae();
    EXPECT_EQ(LiveNebulaCount(), 1);
}

TEST_F(NebulaTest, PlacedFarAheadAndSizedToCoverTheView) {
    FactorNumNebulae.Set(1.0f);
    const double halfWidthPerUnit = GetRenderAspect() * std::tan(Camera.FovY() / 2.0 * M_PI / 180.0);
    for (int rotate : {0, 3}) {
        CameraRotateEnum.Set(rotate);
        for (int k = 0; k < 5; ++k) {
            const Nebula* nebula = SpawnOne();
            ASSERT_NE(nebula, nullptr);
            EXPECT_EQ(nebula->position.x, 0.0);
            EXPECT_EQ(nebula->position.y, 0.0);
            const double distance = Camera.EyeZ() - nebula->position.z;
            EXPECT_GE(distance, 100000.0);
            EXPECT_LE(distance, 150000.0);
            // A rolling square must reach the corners: 500 / 400 of the
            // half-width on an 800 x 600 window.
            const double expected = halfWidthPerUnit * distance * (rotate == 0 ? 1.0 : 1.25);
            EXPECT_NEAR(nebula->Size() / expected, 1.0, 1e-6) << rotate;
            EXPECT_EQ(nebula->Billboard().size, nebula->Size());
            EXPECT_GE(nebula->FlashLimit(), 3);
            EXPECT_LE(nebula->FlashLimit(), 8);
        }
    }
}

TEST_F(NebulaTest, AlphaRisesOverTenSecondsAndFallsOverTheLast25000Units) {
    Nebula* nebula = SpawnOne(30.0, ColorRGBA(51, 102, 204, 255));
    ASSERT_NE(nebula, nullptr);
    const BillboardSprite& billboard = nebula->Billboard();
    EXPECT_EQ(billboard.color.a, 0.0) << "invisible when made";
    Frame(0.0);
    PlaceAhead(*nebula, 100000.0);
    EXPECT_EQ(billboard.color.a, 0.0);
    Frame(2.5);
    nebula->Update();
    EXPECT_NEAR(billboard.color.a, 0.25, 1e-9);
    for (int k = 0; k < 3; ++k) {
        Frame(2.5);
        nebula->Update();
    }
    EXPECT_NEAR(billboard.color.a, 1.0, 1e-9);
    Frame(5.0);
    nebula->Update();
    EXPECT_EQ(billboard.color.a, 1.0);
    EXPECT_NEAR(billboard.color.r, 0.2, 1e-12);
    EXPECT_NEAR(billboard.color.g, 0.4, 1e-12);
    EXPECT_NEAR(billboard.color.b, 0.8, 1e-12);
    EXPECT_EQ(billboard.position.z, nebula->position.z);

    Frame(0.0);
    PlaceAhead(*nebula, 25000.0);
    EXPECT_NEAR(billboard.color.a, 1.0, 1e-9);
    PlaceAhead(*nebula, 24000.0);
    EXPECT_NEAR(billboard.color.a, 0.96, 1e-9);
    PlaceAhead(*nebula, 12500.0);
    EXPECT_NEAR(billboard.color.a, 0.5, 1e-9);
    PlaceAhead(*nebula, 0.0);
    EXPECT_NEAR(billboard.color.a, 0.0, 1e-9);
    EXPECT_FALSE(nebula->IsFinished()) << "finished only once passed";
}

TEST_F(NebulaTest, BillboardTurnsAgainstTheCameraRoll) {
    Nebula* nebula = SpawnOne();
    ASSERT_NE(nebula, nullptr);
    CameraRotateEnum.Set(2);
    ConfigureCamera();
    for (int k = 0; k < 20; ++k) {
        Frame(1.0);
        UpdateCamera();
    }
    ASSERT_NE(Camera.RollAngle(), 0.0);
    nebula->Update();
    EXPECT_EQ(nebula->Billboard().rotation, -Camera.RollAngle());
}

// Frames of 0.2 s give a storm chance every frame.
TEST_F(NebulaTest, StormsFlashOnlySparseCloudsInTheirWindowUpToTheLimit) {
    struct Case {
        double coverage;
        double ahead;
        int storms;
        bool flashes;
    };
    for (const Case& c : {Case{14.0, 117500.0, 1, true}, Case{15.0, 117500.0, 1, false},
                          Case{10.0, 115000.0, 1, false}, Case{10.0, 120000.0, 1, false},
                          Case{10.0, 115001.0, 1, true}, Case{10.0, 119999.0, 1, true},
                          Case{14.0, 117500.0, 0, false}}) {
        NebulaeStorms.Set(c.storms);
        Nebula* nebula = SpawnOne(c.coverage);
        ASSERT_NE(nebula, nullptr);
        PlaceAhead(*nebula, c.ahead);
        for (int k = 0; k < 20; ++k) {
            Frame(0.2);
            nebula->Render();
        }
        if (c.flashes) {
            EXPECT_EQ(nebula->FlashCount(), nebula->FlashLimit()) << c.coverage << " at " << c.ahead;
        } else {
            EXPECT_EQ(nebula->FlashCount(), 0) << c.coverage << " at " << c.ahead;
        }
        DeleteAllSceneNodes();
    }
}

TEST_F(NebulaTest, AFlashDrawsTheCloudBrighter) {
    Nebula* nebula = SpawnOne(12.0, ColorRGBA(100, 100, 100, 255));
    ASSERT_NE(nebula, nullptr);
    // A uniform, opaque texture: one draw adds 100 to every channel.
    std::vector<uint8_t> opaque(kSlotSize * kSlotSize, 255);
    glBindTexture(GL_TEXTURE_2D, nebula->Texture());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kSlotSize, kSlotSize, 0, GL_ALPHA, GL_UNSIGNED_BYTE, opaque.data());
    for (int k = 0; k < 60; ++k) {
        Frame(0.2);
        nebula->Update();
    }
    auto renderCentre = [&](double ahead) {
        PlaceAhead(*nebula, ahead);
        glClear(GL_COLOR_BUFFER_BIT);
        ApplyCamera();
        glDisable(GL_DEPTH_TEST);
        nebula->Render();
        const Framebuffer frame = ReadFramebuffer(gl);
        return static_cast<int>(frame.At(kWidth / 2, kHeight / 2)[1]);
    };
    EXPECT_NEAR(renderCentre(125000.0), 100, 2);
    EXPECT_EQ(nebula->FlashCount(), 0);
    const int flash = renderCentre(117500.0);
    EXPECT_EQ(nebula->FlashCount(), 1);
    EXPECT_GE(flash, 198);
}

// The run's seed (--seed, or the stored Seed, which the main thread was
// seeded with) gives the nebulae their shapes too, not only the stars.
TEST_F(NebulaTest, TheWorkerFollowsTheSeedTheMainThreadWasSeededWith) {
    MaxTextureSizePixels.Set(64);
    const auto firstTexture = [](uint32_t seed) {
        SeedRandom(seed);
        SetupNebulae();
        NebulaHandOver& slot = NebulaTextureSlot();
        slot.WaitUntilReady();
        const std::vector<uint8_t> texels(slot.ReadyTexels(),
                                          slot.ReadyTexels() + static_cast<size_t>(slot.Size()) * slot.Size() * 4);
        ShutdownNebulae();
        return texels;
    };
    const std::vector<uint8_t> one = firstTexture(1);
    ASSERT_EQ(one.size(), 64u * 64u * 4u);
    EXPECT_TRUE(one == firstTexture(1)) << "the same seed made another texture";
    EXPECT_FALSE(one == firstTexture(2)) << "another seed made the same texture";
    // --seed 1 with a stored Seed of 2: the run's seed wins, as for the stars.
    Seed.Set(2);
    EXPECT_TRUE(one == firstTexture(1)) << "the worker took the stored Seed over the run's";
}

TEST_F(NebulaTest, SetUpWorkerFeedsTheSpawnerWithTheBaseColor) {
    Seed.Set(777);
    NebulaColorEnum.Set(0);
    MaxTextureSizePixels.Set(64);
    FactorNumNebulae.Set(1.0f);
    SetNebulaSpawnWaitsForTexture(true);
    SetupNebulae();
    ASSERT_EQ(NebulaTextureSlot().Size(), 64);
    for (int k = 0; k < 2; ++k) {
        AdvanceMilliseconds(2001);
        SpawnNebulae();
        ASSERT_EQ(LiveNebulaCount(), k + 1) << "the spawner waited for the texture";
        const Nebula* nebula = NewestNebula();
        EXPECT_EQ(nebula->Color().r, 0);
        EXPECT_EQ(nebula->Color().g, 0);
        EXPECT_EQ(nebula->Color().b, 102);
        EXPECT_GE(nebula->Coverage(), 10.0);
        EXPECT_LE(nebula->Coverage(), 60.0);
    }

    // One random colour for the whole run.
    DeleteAllSceneNodes();
    NebulaColorEnum.Set(1);
    SetupNebulae();
    AdvanceMilliseconds(2001);
    SpawnNebulae();
    const ColorRGBA first = NewestNebula()->Color();
    AdvanceMilliseconds(2001);
    SpawnNebulae();
    ASSERT_EQ(LiveNebulaCount(), 2);
    EXPECT_EQ(NewestNebula()->Color().r, first.r);
    EXPECT_EQ(NewestNebula()->Color().g, first.g);
    EXPECT_EQ(NewestNebula()->Color().b, first.b);
    EXPECT_GE(first.r + first.g + first.b, 152.4);
    ShutdownNebulae();
    EXPECT_EQ(NebulaTextureSlot().Size(), 0);
}

}  // namespace
}  // namespace skyloom
