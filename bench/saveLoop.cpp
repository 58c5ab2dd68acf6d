// Saves over one file for ever, through the program's one safe save, alternating two contents
// of `size` bytes: all 'A', then all 'B'. killedSaves.sh kills it at random moments and looks at
// what the file holds.
// Usage: save_loop <file> <size>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "platform/fileReplacement.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: save_loop <file> <size>\n";
        return 2;
    }
    const std::size_t size = std::strtoull(argv[2], nullptr, 10);
    const std::vector<std::uint8_t> contents[] = {std::vector<std::uint8_t>(size, 'A'),
                                                  std::vector<std::uint8_t>(size, 'B')};
    platform::FileContentWriter writer;
    for (std::size_t round = 0;; ++round) {
        if (const std::error_code error =
                platform::replaceFileContents(argv[1], contents[round % 2], writer)) {
            std::cerr << "save failed: " << error.message() << "\n";
            return 1;
        }
    }
}
