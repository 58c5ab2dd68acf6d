#pragma once
// The pixel blocks whose transforms are known, and the checks both kernels' tests share.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kernel/testKernel.h"
#include "support/calleeSavedCheck.h"
#include "transform/transformReference.h"

namespace reference {

struct KnownBlock {
    std::string name;
    Area pixels;
    // The value the block is known to give at plane element (p, i, j), where it is known.
    std::function<std::optional<double>(int p, int i, int j)> knownPlaneElement;
};

std::vector<KnownBlock> knownBlocks();

struct NamedBlock {
    std::string name;
    Area pixels;
};

// Blocks the x87 kernel must fail on: a uniform block near the largest double (the row pass
// overflows), red +inf with green -inf in one pixel (inf - inf), a signalling NaN operand.
std::vector<NamedBlock> blocksTheX87KernelFailsOn();

// The first YUV_AREA_BYTES of the data buffer as the Hamming tests leave it: the work area's
// start-up bytes, encoded and decoded back, read as doubles. Every one is finite and the
// largest is about 3.4e306, so neither kernel overflows on them.
Area startupPixelData();

// "" when every element of `got` equals `expected` within rounding (bound from
// Terms::Magnitude), else the first few that do not, for the failure message.
std::string mismatchesBeyondRounding(const Area& got, const Area& expected, const Area& bound);

// Runs `kernel` once on the block in buffers of its own and checks: result 0, nothing outside
// the three regions of YUV_AREA_BYTES written, the pixels unchanged, both areas equal to the
// textbook transform within rounding, and the plane elements the block is known for.
void expectKnownBlockTransformed(TestKernel kernel, const KnownBlock& block);

// A quiet NaN in the green of pixel (2, 3): the call succeeds, the NaN reaches row 2 of every
// intermediate plane and every element of every transformed plane, the rest matches the
// textbook transform.
void expectQuietNaNPropagates(TestKernel kernel);

// Runs the kernel's body (plane, intermediate, pixel pointers) once on the start-up pixels under
// the exception guard and checks that it gives back every callee-saved register.
void expectBodyKeepsCalleeSavedRegisters(KernelBody body);

}  // namespace reference
