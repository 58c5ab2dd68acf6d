#include "transform/transformCases.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "hamming/bit8hamUnit.h"
#include "hamming/hammingReference.h"
#include "kernel/workAreaUnit.h"
#include "platform/exceptionGuard.h"

namespace reference {
namespace {

double cosTableEntry(int u, int x) {
    double value;
    std::memcpy(&value, CosTable + 8 * (8 * u + x), sizeof value);
    return value;
}

Area uniformBlock(double red, double green, double blue) {
    Area pixels{};
    for (int pixel = 0; pixel < 64; ++pixel) {
        pixels[3 * pixel] = red;
        pixels[3 * pixel + 1] = green;
        pixels[3 * pixel + 2] = blue;
    }
    return pixels;
}

// Pixel (i, j) gets the colour of `line` = i or j, so that rows or columns repeat.
Area blockRepeating(bool rowsAlike) {
    Area pixels{};
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const int line = rowsAlike ? j : i;
            pixels[pixelAt(i, j)] = 1.5 * line - 2.0;
            pixels[pixelAt(i, j) + 1] = 7.0 - 0.25 * line * line;
            pixels[pixelAt(i, j) + 2] = std::sin(line + 0.5) * 100.0;
        }
    }
    return pixels;
}

// A uniform colour (r, g, b) transforms to 8 x its Y, Cb, Cr at (p, 0, 0) and 0 elsewhere.
KnownBlock uniform(std::string name, double red, double green, double blue) {
    const double rgb[3] = {red, green, blue};
    double dc[3];
    for (int p = 0; p < 3; ++p) {
        const double* c = kColourCoefficients[p];
        dc[p] = 8 * ((c[0] * rgb[0] + c[1] * rgb[1]) + c[2] * rgb[2]);
    }
    return {std::move(name), uniformBlock(red, green, blue),
            [dc0 = dc[0], dc1 = dc[1], dc2 = dc[2]](int p, int i, int j) -> std::optional<double> {
                if (i != 0 || j != 0) return 0.0;
                return p == 0 ? dc0 : p == 1 ? dc1 : dc2;
            }};
}

}  // namespace

std::vector<KnownBlock> knownBlocks() {
    std::vector<KnownBlock> blocks;
    blocks.push_back({"zeros", Area{}, [](int, int, int) -> std::optional<double> { return 0.0; }});
    blocks.push_back(uniform("uniform 3.25", 3.25, 3.25, 3.25));
    blocks.push_back(uniform("uniform -1e300", -1e300, -1e300, -1e300));
    blocks.push_back(uniform("uniform red", 2.0, 0.0, 0.0));
    blocks.push_back(uniform("uniform green", 0.0, 2.0, 0.0));
    blocks.push_back(uniform("uniform blue", 0.0, 0.0, 2.0));

    Area redPixel{};
    redPixel[pixelAt(0, 0)] = 1.0;
    blocks.push_back({"single red pixel at (0, 0)", redPixel, [](int p, int v, int u) {
                          return std::optional<double>(kColourCoefficients[p][0] *
                                                       cosTableEntry(v, 0) * cosTableEntry(u, 0));
                      }});
    blocks.push_back({"rows alike", blockRepeating(true),
                      [](int, int i, int) { return i == 0 ? std::nullopt : std::optional(0.0); }});
    blocks.push_back({"columns alike", blockRepeating(false),
                      [](int, int, int j) { return j == 0 ? std::nullopt : std::optional(0.0); }});
    blocks.push_back({"start-up data", startupPixelData(),
                      [](int, int, int) -> std::optional<double> { return std::nullopt; }});
    return blocks;
}

std::vector<NamedBlock> blocksTheX87KernelFailsOn() {
    const double infinity = std::numeric_limits<double>::infinity();
    Area oppositeInfinities{};
    oppositeInfinities[pixelAt(3, 4)] = infinity;
    oppositeInfinities[pixelAt(3, 4) + 1] = -infinity;
    Area signalling{};
    signalling[pixelAt(5, 6) + 2] = signallingNaN();
    return {{"uniform 1e308", uniformBlock(1e308, 1e308, 1e308)},
            {"red +inf and green -inf", oppositeInfinities},
            {"signalling NaN", signalling}};
}

Area startupPixelData() {
    HammingBuffers hamming;
    hamming.fillWithStartupData();
    EXPECT_EQ(hamming.run(Ham8Encode), 0);
    EXPECT_EQ(hamming.run(Ham8Decode), 0);
    Area pixels;
    std::memcpy(pixels.data(), hamming.data.data(), sizeof pixels);
    return pixels;
}

std::string mismatchesBeyondRounding(const Area& got, const Area& expected, const Area& bound) {
    std::ostringstream report;
    report.precision(17);
    int shown = 0;
    for (int n = 0; n < kAreaDoubles && shown < 3; ++n) {
        if (withinRounding(got[n], expected[n], bound[n])) continue;
        report << "element (" << n / YUV_PLANE_DOUBLES << ", " << n / 8 % 8 << ", " << n % 8
               << "): " << got[n] << " instead of " << expected[n] << "; ";
        ++shown;
    }
    return report.str();
}

void expectKnownBlockTransformed(TestKernel kernel, const KnownBlock& block) {
    SCOPED_TRACE(block.name);
    TransformBuffers buffers;
    buffers.setPixels(block.pixels);
    ASSERT_EQ(buffers.run(kernel), 0);
    EXPECT_TRUE(buffers.guardBytesIntact());
    EXPECT_EQ(buffers.pixels(), block.pixels);

    const Transform got = buffers.result();
    const Transform expected = textbookTransform(block.pixels);
    const Transform bound = textbookTransform(block.pixels, Terms::Magnitude);
    EXPECT_EQ(mismatchesBeyondRounding(got.intermediate, expected.intermediate, bound.intermediate),
              "");
    EXPECT_EQ(mismatchesBeyondRounding(got.planes, expected.planes, bound.planes), "");

    Area known = got.planes;
    for (int n = 0; n < kAreaDoubles; ++n) {
        if (const std::optional<double> value =
                block.knownPlaneElement(n / YUV_PLANE_DOUBLES, n / 8 % 8, n % 8))
            known[n] = *value;
    }
    EXPECT_EQ(mismatchesBeyondRounding(got.planes, known, bound.planes), "");
}

void expectQuietNaNPropagates(TestKernel kernel) {
    Area pixels = startupPixelData();
    pixels[pixelAt(2, 3) + 1] = std::numeric_limits<double>::quiet_NaN();
    TransformBuffers buffers;
    buffers.setPixels(pixels);
    ASSERT_EQ(buffers.run(kernel), 0);
    const Transform got = buffers.result();
    for (int n = 0; n < kAreaDoubles; ++n) {
        EXPECT_TRUE(std::isnan(got.planes[n])) << "plane element " << n;
        EXPECT_EQ(std::isnan(got.intermediate[n]), n / 8 % 8 == 2) << "intermediate element " << n;
    }
    const Transform expected = textbookTransform(pixels);
    const Transform bound = textbookTransform(pixels, Terms::Magnitude);
    EXPECT_EQ(mismatchesBeyondRounding(got.intermediate, expected.intermediate, bound.intermediate),
              "");
}

void expectBodyKeepsCalleeSavedRegisters(KernelBody body) {
    TransformBuffers buffers;
    buffers.setPixels(startupPixelData());
    std::uint32_t changed = ~0u;
    ASSERT_EQ(platform::runGuarded([&] {
                  changed = CalleeSavedRegistersChangedBy(
                      body, buffers.planePointer, buffers.intermediatePointer,
                      const_cast<std::uint8_t*>(buffers.pixelPointer), nullptr);
              }),
              0);
    EXPECT_EQ(changed, 0u) << "mask: bit 0 rbx, 1 rbp, 2 r12, 3 r13, 4 r14, 5 r15";
}

}  // namespace reference
