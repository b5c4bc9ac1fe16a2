#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "objects/nebula_color.h"
#include "scene/texture_tiles.h"
#include "scene/vecmath.h"

namespace skyloom {

// Where the texture worker leaves a finished nebula texture for the main
// thread. The state word moves 0 (wanted) -> 1 (being made) -> 2 (ready)
// -> 0; only the producer sets 1 and 2, only the consumer sets 0. Each
// store releases and each load acquires, so the texels, coverage and colour
// written before a change of state are visible to the thread that sees the
// change. The producer touches them only between 1 and 2, the consumer only
// while the state is 2. No locks: either side can block on the words
// without ever making the other one wait.
class NebulaHandOver {
public:
    static constexpr int32_t kWanted = 0;
    static constexpr int32_t kBeingMade = 1;
    static constexpr int32_t kReady = 2;

    NebulaHandOver() = default;
    NebulaHandOver(const NebulaHandOver&) = delete;
    NebulaHandOver& operator=(const NebulaHandOver&) = delete;

    // Both with no producer running; Free leaves the state wanted. Allocate makes a size * size RGBA
    // buffer, sets the state to wanted and clears the stop flag; false (and
    // no buffer) when the memory is not there or size is below 1.
    bool Allocate(int32_t size);
    void Free();
    int32_t Size() const { return size_; }
    int32_t State() const { return state_.load(std::memory_order_acquire); }

    // Producer side.
    // Blocks, using no CPU, until a texture is wanted (true) or stop has
    // been asked for (false).
    bool WaitUntilWanted();
    void BeginTexture();
    uint8_t* TexelsForWriting() { return texels_.get(); }
    // Finds the texture's visible tiles, then makes it ready.
    void PublishTexture(double coverage, const ColorRGBA& nextColor);
    const std::atomic<bool>& StopFlag() const { return stop_; }

    // Consumer side; the getters only while the state is ready.
    const uint8_t* ReadyTexels() const { return texels_.get(); }
    double ReadyCoverage() const { return coverage_; }
    const ColorRGBA& ReadyColor() const { return nextColor_; }
    const TextureTileMask& ReadyTiles() const { return tiles_; }
    // The texture has been used up; the producer may make the next one.
    void TakeTexture();
    // Blocks until the state is ready. Only while a producer runs that has
    // not been asked to stop: nothing else makes a texture ready.
    void WaitUntilReady() const;
    void RequestStop();

private:
    void WakeProducer();

    std::atomic<int32_t> state_{kWanted};
    std::atomic<bool> stop_{false};
    // Bumped after every change the producer may be waiting for, so a
    // change between its check and its wait is never missed.
    std::atomic<int32_t> producerWake_{0};
    std::unique_ptr<uint8_t[]> texels_;
    int32_t size_ = 0;
    double coverage_ = 0.0;
    ColorRGBA nextColor_;
    TextureTileMask tiles_;
};

struct NebulaWorkerSettings {
    // Edge length of the textures; a plasma size.
    int32_t size = 0;
    // The worker's own random generator starts from this.
    uint32_t seed = 1;
    NebulaColorMode colorMode = NebulaColorMode::RandomEach;
    // 0..255 scale; used by the modes other than a colour per nebula.
    ColorRGBA baseColor;
    bool darkStreaks = true;
};

// The background thread that makes nebula textures into a hand-over slot:
// for every wanted texture it draws a threshold and a roughness, then
// generates plasma until the coverage is within 10..60 %, and publishes it.
// It runs at a lowered priority (LowerCurrentThreadPriority) and blocks
// while nothing is wanted.
class NebulaTextureWorker {
public:
    NebulaTextureWorker() = default;
    ~NebulaTextureWorker();
    NebulaTextureWorker(const NebulaTextureWorker&) = delete;
    NebulaTextureWorker& operator=(const NebulaTextureWorker&) = delete;

    // Allocates the slot's buffer and starts the thread, which begins the
    // first texture at once. False, with nothing running and no buffer,
    // when already running, for a size the generator does not take, or
    // when memory or the thread cannot be had.
    bool Start(NebulaHandOver& slot, const NebulaWorkerSettings& settings);
    // Asks the thread to stop, joins it (it notices within a grid row or a
    // few thousand walker steps, never after a whole texture) and frees
    // the slot's buffer. Harmless when not running.
    void Stop();
    bool IsRunning() const { return thread_.joinable(); }
    // Blocks until a texture is ready; false at once when not running.
    bool WaitForTexture() const;

private:
    static void Run(NebulaHandOver* slot, NebulaWorkerSettings settings);

    std::thread thread_;
    NebulaHandOver* slot_ = nullptr;
};

}  // namespace skyloom
