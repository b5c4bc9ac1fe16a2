#include "objects/nebula_worker.h"

#include <new>
#include <system_error>

#include "objects/plasma.h"
#include "os/thread_priority.h"
#include "os/word_wait.h"
#include "scene/random.h"

namespace skyloom {

namespace {
constexpr double kMinCoverage = 10.0;
constexpr double kMaxCoverage = 60.0;
}  // namespace

bool NebulaHandOver::Allocate(int32_t size) {
    Free();
    if (size < 1) {
        return false;
    }
    texels_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size) * size * 4]);
    if (!texels_) {
        return false;
    }
    size_ = size;
    coverage_ = 0.0;
    nextColor_ = ColorRGBA();
    stop_.store(false, std::memory_order_release);
    state_.store(kWanted, std::memory_order_release);
    return true;
}

void NebulaHandOver::Free() {
    // Without a buffer nothing may look ready.
    state_.store(kWanted, std::memory_order_release);
    texels_.reset();
    size_ = 0;
}

bool NebulaHandOver::WaitUntilWanted() {
    for (;;) {
        const int32_t seen = producerWake_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_acquire)) {
            return false;
        }
        if (state_.load(std::memory_order_acquire) == kWanted) {
            return true;
        }
        WaitWhileWordIs(producerWake_, seen);
    }
}

void NebulaHandOver::BeginTexture() {
    state_.store(kBeingMade, std::memory_order_release);
    WakeWordWaiters(state_);
}

void NebulaHandOver::PublishTexture(double coverage, const ColorRGBA& nextColor) {
    coverage_ = coverage;
    nextColor_ = nextColor;
    FindVisibleTiles(texels_.get(), size_, tiles_);
    state_.store(kReady, std::memory_order_release);
    WakeWordWaiters(state_);
}

void NebulaHandOver::TakeTexture() {
    state_.store(kWanted, std::memory_order_release);
    WakeProducer();
}

void NebulaHandOver::WaitUntilReady() const {
    for (;;) {
        const int32_t state = state_.load(std::memory_order_acquire);
        if (state == kReady) {
            return;
        }
        WaitWhileWordIs(state_, state);
    }
}

void NebulaHandOver::RequestStop() {
    stop_.store(true, std::memory_order_release);
    WakeProducer();
}

void NebulaHandOver::WakeProducer() {
    producerWake_.fetch_add(1, std::memory_order_acq_rel);
    WakeWordWaiters(producerWake_);
}

NebulaTextureWorker::~NebulaTextureWorker() { Stop(); }

bool NebulaTextureWorker::Start(NebulaHandOver& slot, const NebulaWorkerSettings& settings) {
    if (IsRunning() || !IsPlasmaSize(settings.size) || !slot.Allocate(settings.size)) {
        return false;
    }
    // The library reports a thread it cannot start by throwing; that is
    // the one place the program meets an exception.
    try {
        thread_ = std::thread(&NebulaTextureWorker::Run, &slot, settings);
    } catch (const std::system_error&) {
        slot.Free();
        return false;
    }
    slot_ = &slot;
    return true;
}

void NebulaTextureWorker::Stop() {
    if (!IsRunning()) {
        return;
    }
    slot_->RequestStop();
    thread_.join();
    slot_->Free();
    slot_ = nullptr;
}

bool NebulaTextureWorker::WaitForTexture() const {
    if (!IsRunning()) {
        return false;
    }
    slot_->WaitUntilReady();
    return true;
}

void NebulaTextureWorker::Run(NebulaHandOver* slot, NebulaWorkerSettings settings) {
    SeedRandom(settings.seed);
    // Texture making may take as long as it likes and gives way to the
    // frame, but a stop request must be seen within milliseconds.
    LowerCurrentThreadPriority();
    PlasmaColoring coloring;
    coloring.mode = settings.colorMode;
    coloring.baseColor = settings.baseColor;
    coloring.darkStreaks = settings.darkStreaks;
    const std::atomic<bool>* stop = &slot->StopFlag();
    while (slot->WaitUntilWanted()) {
        slot->BeginTexture();
        const double threshold = 0.3 + RandomDraw() * (0.2 / 32767.0);
        const double roughness = 0.45 + RandomDraw() * (0.2 / 32767.0);
        for (;;) {
            const std::optional<PlasmaTexture> made = GeneratePlasmaAlpha(
                settings.size, threshold, roughness, coloring, slot->TexelsForWriting(), stop);
            if (!made) {
                return;  // asked to stop
            }
            if (made->coverage >= kMinCoverage && made->coverage <= kMaxCoverage) {
                slot->PublishTexture(made->coverage, made->nextColor);
                break;
            }
        }
    }
}

}  // namespace skyloom
