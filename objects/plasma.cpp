#include "objects/plasma.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "scene/random.h"

namespace skyloom {

namespace {

// The height grid is 4 MB: allocated once with the program rather than per
// texture, and touched by one generator at a time.
float heightGrid[kPlasmaGridStride * kPlasmaGridStride];

// Marks a cell not yet computed.
constexpr float kUnset = -std::numeric_limits<float>::max();

constexpr int kWalkerSteps = 500000;
constexpr int kWalkerStopCheckMask = 4095;

inline float& Cell(int32_t i, int32_t j) { return heightGrid[i * kPlasmaGridStride + j]; }

inline bool StopRequested(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load(std::memory_order_acquire);
}

// A displacement within [-amplitude, amplitude].
inline double Displacement(double amplitude) {
    return -amplitude + RandomDraw() * 2.0 * amplitude / 32767.0;
}

// The lowest and highest computed height; the corners do not count.
struct Extremes {
    float low = std::numeric_limits<float>::max();
    float high = -std::numeric_limits<float>::max();

    void Note(float value) {
        if (value < low) {
            low = value;
        } else if (value > high) {
            high = value;
        }
    }
};

// Fills the grid; false when stopped.
bool FillHeightGrid(int32_t n, double roughness, Extremes& extremes, const std::atomic<bool>* stop) {
    for (int32_t i = 0; i <= n; ++i) {
        std::fill_n(&Cell(i, 0), n + 1, kUnset);
    }
    Cell(0, 0) = static_cast<float>(RandomDraw() % 256);
    Cell(n, 0) = static_cast<float>(RandomDraw() % 256);
    Cell(n, n) = static_cast<float>(RandomDraw() % 256);
    Cell(0, n) = static_cast<float>(RandomDraw() % 256);

    int32_t step = n;
    double amplitude = n / 2;
    const double decay = std::pow(2.0, -roughness);
    while (step > 1) {
        const int32_t half = step / 2;
        // Diamond pass: square centres from their four corners.
        for (int32_t i = half; i <= n; i += step) {
            if (StopRequested(stop)) {
                return false;
            }
            for (int32_t j = half; j <= n; j += step) {
                float& cell = Cell(i, j);
                if (cell != kUnset) {
                    continue;
                }
                const double mean = (static_cast<double>(Cell(i - half, j - half)) + Cell(i - half, j + half) +
                                     Cell(i + half, j - half) + Cell(i + half, j + half)) /
                                    4.0;
                cell = static_cast<float>(mean + 1.414 * Displacement(amplitude));
                extremes.Note(cell);
            }
        }
        // Square pass: edge midpoints from their axis neighbours in the grid.
        for (int32_t i = 0; i <= n; i += half) {
            if (StopRequested(stop)) {
                return false;
            }
            for (int32_t j = 0; j <= n; j += half) {
                float& cell = Cell(i, j);
                if (cell != kUnset) {
                    continue;
                }
                double sum = 0.0;
                int count = 0;
                if (i >= half) {
                    sum += Cell(i - half, j);
                    ++count;
                }
                if (i + half <= n) {
                    sum += Cell(i + half, j);
                    ++count;
                }
                if (j >= half) {
                    sum += Cell(i, j - half);
                    ++count;
                }
                if (j + half <= n) {
                    sum += Cell(i, j + half);
                    ++count;
                }
                cell = static_cast<float>(sum / count + Displacement(amplitude));
                extremes.Note(cell);
            }
        }
        amplitude *= decay;
        step = half;
    }
    return true;
}

// Writes the alpha bytes and returns how many are not 0, or -1 when stopped.
int64_t MapHeightsToAlpha(int32_t n, double threshold, const Extremes& extremes, uint8_t* texels,
                          const std::atomic<bool>* stop) {
    double range = static_cast<double>(extremes.high) - extremes.low;
    if (range == 0.0) {
        range = 1.0;
    }
    const double low = extremes.low;
    const double cut = 1.0 - threshold;
    std::memset(texels, 255, static_cast<size_t>(n) * n * 4);
    int64_t visible = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (StopRequested(stop)) {
            return -1;
        }
        const float* row = &Cell(i, 0);
        uint8_t* out = texels + static_cast<size_t>(i) * n * 4 + 3;
        for (int32_t j = 0; j < n; ++j) {
            const double v = (row[j] - low) / range;
            const double a = std::clamp((v - cut) / threshold, 0.0, 1.0);
            const uint8_t alpha = static_cast<uint8_t>(a * 255.0);
            out[j * 4] = alpha;
            visible += alpha != 0;
        }
    }
    return visible;
}

}  // namespace

bool IsPlasmaSize(int32_t size) { return size >= 2 && size <= kPlasmaMaxSize && (size & (size - 1)) == 0; }

std::optional<PlasmaTexture> GeneratePlasmaAlpha(int32_t size, double threshold, double roughness,
                                                 const PlasmaColoring& coloring, uint8_t* texels,
                                                 const std::atomic<bool>* stop) {
    if (!IsPlasmaSize(size) || !(threshold > 0.0 && threshold <= 1.0) || texels == nullptr) {
        return std::nullopt;
    }
    Extremes extremes;
    if (!FillHeightGrid(size, roughness, extremes, stop)) {
        return std::nullopt;
    }
    const int64_t visible = MapHeightsToAlpha(size, threshold, extremes, texels, stop);
    if (visible < 0) {
        return std::nullopt;
    }
    PlasmaTexture result;
    result.coverage = static_cast<double>(visible) / (static_cast<double>(size) * size) * 100.0;
    result.nextColor =
        coloring.mode == NebulaColorMode::RandomEach ? PickRandomNebulaColor() : coloring.baseColor;
    const ColorRGBA& c = result.nextColor;
    if (coloring.darkStreaks && c.r + c.g + c.b <= 200.0) {
        if (!BurnDarkStreaks(texels, size, stop)) {
            return std::nullopt;
        }
    }
    return result;
}

bool BurnDarkStreaks(uint8_t* texels, int32_t size, const std::atomic<bool>* stop) {
    if (texels == nullptr || size <= 0) {
        return false;
    }
    int32_t row = RandomDraw() % size;
    int32_t column = RandomDraw() % size;
    int32_t savedRow = row;
    int32_t savedColumn = column;
    for (int step = 0; step < kWalkerSteps; ++step) {
        if ((step & kWalkerStopCheckMask) == 0 && StopRequested(stop)) {
            return false;
        }
        if ((row == savedRow && column == savedColumn) || RandomDraw() % 1000 >= 975) {
            savedRow = row;
            savedColumn = column;
            row += RandomDraw() % 3 - 1;
            column += RandomDraw() % 3 - 1;
        } else {
            row = savedRow;
            column = savedColumn;
        }
        if (row >= 0 && row < size && column >= 0 && column < size) {
            uint8_t& alpha = texels[(static_cast<size_t>(row) * size + column) * 4 + 3];
            alpha = static_cast<uint8_t>(alpha * 0.99);
        }
    }
    return true;
}

const float* PlasmaHeightGrid() { return heightGrid; }

}  // namespace skyloom
