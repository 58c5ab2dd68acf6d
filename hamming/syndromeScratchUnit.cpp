// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.

#include "hamming/syndromeScratchUnit.h"

#include <cstdlib>

SyndromeScratchBlock::SyndromeScratchBlock() : block_(std::malloc(kBlockSize)), scratch_(nullptr) {
    if (block_ == nullptr) return;
    const auto address = reinterpret_cast<std::uintptr_t>(block_);
    scratch_ = static_cast<std::uint8_t*>(block_) + (16 - address % 16);
}

SyndromeScratchBlock::~SyndromeScratchBlock() { std::free(block_); }
