#include "hamming/hammingReference.h"

#include "kernel/workAreaUnit.h"

namespace reference {

std::uint8_t decodedNibble(std::uint8_t codeByte) {
    const std::uint8_t high = codeByte >> 4;
    return kCodeBytes[high] == codeByte ? high : 0;
}

Buffer nibbleBufferFor(const Buffer& data, int groupSize) {
    Buffer nibbles{};
    for (int i = 0; i < HAM_DATA_BYTES; ++i) {
        const int group = i / groupSize;
        const int position = i % groupSize;
        nibbles[2 * groupSize * group + position] = data[i] & 0x0F;
        nibbles[2 * groupSize * group + groupSize + position] = data[i] >> 4;
    }
    return nibbles;
}

Buffer codeBufferFor(const Buffer& nibbles) {
    Buffer codes{};
    for (int k = 0; k < HAM_CODE_BYTES; ++k) codes[k] = kCodeBytes[nibbles[k] & 0x0F];
    return codes;
}

Buffer decodedNibblesFor(const Buffer& codes) {
    Buffer nibbles{};
    for (int k = 0; k < HAM_CODE_BYTES; ++k) nibbles[k] = decodedNibble(codes[k]);
    return nibbles;
}

Buffer packedDataFor(const Buffer& nibbles, int groupSize, const Buffer& before) {
    Buffer data = before;
    for (int i = 0; i < HAM_DATA_BYTES; ++i) {
        const int low = 2 * groupSize * (i / groupSize) + i % groupSize;
        data[i] = static_cast<std::uint8_t>(nibbles[low + groupSize] << 4 | nibbles[low]);
    }
    return data;
}

void HammingBuffers::fillWithStartupData() {
    WorkAreaRandom random;
    for (std::uint8_t& byte : data) byte = random.nextByte();
}

}  // namespace reference
