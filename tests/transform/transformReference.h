#pragma once
// An independent statement of the transform workload (colour conversion with the JPEG
// coefficients, then the orthonormal 8-point DCT-II of every row and every column of each
// plane), and buffers of the tests' own to run the kernels on.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "kernel/testKernel.h"
#include "transform/yuvBlock.h"
#include "transform/yuvCoefficients.h"

namespace reference {

inline constexpr int kAreaDoubles = YUV_AREA_DOUBLES;  // a pixel block, a plane area
using Area = std::array<double, kAreaDoubles>;

// Double index of the red of pixel (i, j); green and blue follow it.
constexpr int pixelAt(int i, int j) { return 3 * (8 * i + j); }
// Double index of element (p, i, j) of a plane or intermediate area.
constexpr int elementAt(int p, int i, int j) { return YUV_PLANE_DOUBLES * p + 8 * i + j; }

// coefficient[p][c]: colour component c (red, green, blue) in plane p (Y, Cb, Cr).
inline constexpr double kColourCoefficients[3][3] = {{YUV_Y_RED, YUV_Y_GREEN, YUV_Y_BLUE},
                                                     {YUV_CB_RED, YUV_CB_GREEN, YUV_CB_BLUE},
                                                     {YUV_CR_RED, YUV_CR_GREEN, YUV_CR_BLUE}};

// The orthonormal DCT-II basis, computed here: 1/sqrt(8) for u = 0, else
// 1/2 cos((2x + 1) u pi / 16).
double dctBasis(int u, int x);

// What a kernel leaves: the transformed planes and the row-transformed planes.
struct Transform {
    Area planes{};
    Area intermediate{};
};

enum class Terms {
    Signed,
    // Every factor replaced by its absolute value: the result bounds the magnitude of the
    // terms behind each element, the scale of its rounding error.
    Magnitude,
};

// The textbook computation in double precision with the basis above.
Transform textbookTransform(const Area& pixels, Terms terms = Terms::Signed);

// The arithmetic of the packed-double kernel in its own order, with the work area's cosine
// tables: every product and sum rounded to double, each pass summed from 0.0 over k = 0 to 7.
// The SSE2 kernel must match it bit for bit.
Transform packedDoubleTransform(const Area& pixels);

// Equal within rounding: |got - expected| <= 1e-14 x bound (bound from Terms::Magnitude), or
// both NaN, or the same infinity.
bool withinRounding(double got, double expected, double bound);
// Bit for bit, except that any NaN equals any NaN.
bool sameValue(double got, double expected);

// A signalling NaN: an x87 load of it faults, a packed operation turns it quiet.
double signallingNaN();

// The x87 unit's status word and register tags as FXSAVE reads them (which changes nothing).
struct X87State {
    std::uint16_t statusWord;
    std::uint8_t abridgedTags;  // bit r set: register r holds a value; 0 = empty stack
};
X87State readX87State();

// The kernels' three buffers, 16-byte aligned, with pointer variables of their own. Each is
// kTestBufferSize bytes like the work area's buffers, with 64 guard bytes in front; everything but
// the YUV_AREA_BYTES a kernel may use holds a signalling-NaN pattern, which the x87 kernel would
// fault on and the packed kernel would turn into NaN results, so reading it shows as well as
// writing. An offset (a multiple of 8) moves a used region off its aligned start.
class TransformBuffers {
  public:
    struct Offsets {
        std::size_t planes = 0;
        std::size_t intermediate = 0;
        std::size_t pixels = 0;
    };

    TransformBuffers() : TransformBuffers(Offsets{}) {}
    explicit TransformBuffers(Offsets offsets);
    ~TransformBuffers();
    TransformBuffers(const TransformBuffers&) = delete;
    TransformBuffers& operator=(const TransformBuffers&) = delete;

    void setPixels(const Area& pixels);
    Area pixels() const;
    void fillAreas(double value);  // the plane and intermediate areas
    Transform result() const;
    bool guardBytesIntact() const;

    std::int32_t run(TestKernel kernel) {
        return kernel(&planePointer, &intermediatePointer, &pixelPointer);
    }

    std::uint8_t* planePointer = nullptr;
    std::uint8_t* intermediatePointer = nullptr;
    std::uint8_t* pixelPointer = nullptr;

  private:
    struct Storage;
    std::unique_ptr<Storage> storage_;
};

}  // namespace reference
