#include "transform/transformReference.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

#include "kernel/workAreaUnit.h"

namespace reference {
namespace {

constexpr std::size_t kGuardBytes = 64;
constexpr std::size_t kUsedBytes = YUV_AREA_BYTES;
constexpr std::size_t kBlockBytes = kGuardBytes + kTestBufferSize;
constexpr std::uint64_t kGuardPattern = 0x7FF00000DEADBEEF;  // a signalling NaN
constexpr double kRelativeRounding = 1e-14;

double tableEntry(const std::uint8_t* table, int row, int column) {
    double value;
    std::memcpy(&value, table + 8 * (8 * row + column), sizeof value);
    return value;
}

Area colourPlanes(const Area& pixels, Terms terms) {
    const auto factor = [terms](double value) {
        return terms == Terms::Magnitude ? std::fabs(value) : value;
    };
    Area planes{};
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const double* rgb = &pixels[pixelAt(i, j)];
            for (int p = 0; p < 3; ++p) {
                const double* c = kColourCoefficients[p];
                planes[elementAt(p, i, j)] =
                    (factor(c[0]) * factor(rgb[0]) + factor(c[1]) * factor(rgb[1])) +
                    factor(c[2]) * factor(rgb[2]);
            }
        }
    }
    return planes;
}

}  // namespace

double dctBasis(int u, int x) {
    if (u == 0) return 1.0 / std::sqrt(8.0);
    return 0.5 * std::cos((2 * x + 1) * u * std::numbers::pi / 16.0);
}

Transform textbookTransform(const Area& pixels, Terms terms) {
    const auto basis = [terms](int u, int x) {
        return terms == Terms::Magnitude ? std::fabs(dctBasis(u, x)) : dctBasis(u, x);
    };
    const Area colour = colourPlanes(pixels, terms);
    Transform result;
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < 8; ++i) {
            for (int u = 0; u < 8; ++u) {
                double sum = 0;
                for (int x = 0; x < 8; ++x) sum += basis(u, x) * colour[elementAt(p, i, x)];
                result.intermediate[elementAt(p, i, u)] = sum;
            }
        }
        for (int v = 0; v < 8; ++v) {
            for (int j = 0; j < 8; ++j) {
                double sum = 0;
                for (int y = 0; y < 8; ++y)
                    sum += basis(v, y) * result.intermediate[elementAt(p, y, j)];
                result.planes[elementAt(p, v, j)] = sum;
            }
        }
    }
    return result;
}

Transform packedDoubleTransform(const Area& pixels) {
    const Area colour = colourPlanes(pixels, Terms::Signed);
    Transform result;
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 8; ++j) {
                double sum = 0.0;
                for (int k = 0; k < 8; ++k)
                    sum = sum + colour[elementAt(p, i, k)] * tableEntry(CosTableT, k, j);
                result.intermediate[elementAt(p, i, j)] = sum;
            }
        }
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 8; ++j) {
                double sum = 0.0;
                for (int k = 0; k < 8; ++k)
                    sum =
                        sum + tableEntry(CosTable, i, k) * result.intermediate[elementAt(p, k, j)];
                result.planes[elementAt(p, i, j)] = sum;
            }
        }
    }
    return result;
}

bool withinRounding(double got, double expected, double bound) {
    if (std::isnan(got) || std::isnan(expected)) return std::isnan(got) && std::isnan(expected);
    if (std::isinf(got) || std::isinf(expected)) return got == expected;
    return std::fabs(got - expected) <= kRelativeRounding * bound;
}

bool sameValue(double got, double expected) {
    if (std::isnan(got) || std::isnan(expected)) return std::isnan(got) && std::isnan(expected);
    return std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(expected);
}

double signallingNaN() { return std::bit_cast<double>(kGuardPattern); }

X87State readX87State() {
    alignas(16) std::uint8_t image[512];
    asm volatile("fxsave %0" : "=m"(image));
    X87State state;
    std::memcpy(&state.statusWord, image + 2, 2);
    state.abridgedTags = image[4];
    return state;
}

struct TransformBuffers::Storage {
    alignas(16) std::uint8_t planes[kBlockBytes];
    alignas(16) std::uint8_t intermediate[kBlockBytes];
    alignas(16) std::uint8_t pixels[kBlockBytes];
};

namespace {

// Fills the block with the guard pattern and its used region with zeros; returns the region.
std::uint8_t* prepareBlock(std::uint8_t* block, std::size_t offset) {
    for (std::size_t at = 0; at < kBlockBytes; at += 8) std::memcpy(block + at, &kGuardPattern, 8);
    std::uint8_t* const region = block + kGuardBytes + offset;
    std::memset(region, 0, kUsedBytes);
    return region;
}

bool onlyRegionChanged(const std::uint8_t* block, const std::uint8_t* region) {
    for (std::size_t at = 0; at < kBlockBytes; at += 8) {
        if (block + at >= region && block + at < region + kUsedBytes) continue;
        if (std::memcmp(block + at, &kGuardPattern, 8) != 0) return false;
    }
    return true;
}

Area readArea(const std::uint8_t* region) {
    Area area;
    std::memcpy(area.data(), region, kUsedBytes);
    return area;
}

}  // namespace

TransformBuffers::TransformBuffers(Offsets offsets) : storage_(std::make_unique<Storage>()) {
    planePointer = prepareBlock(storage_->planes, offsets.planes);
    intermediatePointer = prepareBlock(storage_->intermediate, offsets.intermediate);
    pixelPointer = prepareBlock(storage_->pixels, offsets.pixels);
}

TransformBuffers::~TransformBuffers() = default;

void TransformBuffers::setPixels(const Area& pixels) {
    std::memcpy(pixelPointer, pixels.data(), kUsedBytes);
}

Area TransformBuffers::pixels() const { return readArea(pixelPointer); }

void TransformBuffers::fillAreas(double value) {
    Area filled;
    filled.fill(value);
    std::memcpy(planePointer, filled.data(), kUsedBytes);
    std::memcpy(intermediatePointer, filled.data(), kUsedBytes);
}

Transform TransformBuffers::result() const {
    return {readArea(planePointer), readArea(intermediatePointer)};
}

bool TransformBuffers::guardBytesIntact() const {
    return onlyRegionChanged(storage_->planes, planePointer) &&
           onlyRegionChanged(storage_->intermediate, intermediatePointer) &&
           onlyRegionChanged(storage_->pixels, pixelPointer);
}

}  // namespace reference
