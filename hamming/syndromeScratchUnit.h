#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The vector decoders' syndrome scratch: a 32-byte block from the memory manager, with the
// scratch at the block's address plus 16 minus (the address modulo 16). That address is a
// multiple of 16 and leaves at least 16 bytes of the block after it, enough for the SSE
// decoder's aligned 16-byte store and the MMX decoder's 8 bytes.
//
// Construct it before the exception guard and let it go after the guard returns: a fault
// inside the guard unwinds nothing, so the block must not belong to the guarded body.

#include <cstddef>
#include <cstdint>

class SyndromeScratchBlock {
  public:
    static constexpr std::size_t kBlockSize = 32;

    SyndromeScratchBlock();
    ~SyndromeScratchBlock();
    SyndromeScratchBlock(const SyndromeScratchBlock&) = delete;
    SyndromeScratchBlock& operator=(const SyndromeScratchBlock&) = delete;

    // Null when the memory manager had no block to give.
    std::uint8_t* scratch() const { return scratch_; }

  private:
    void* block_;
    std::uint8_t* scratch_;
};
