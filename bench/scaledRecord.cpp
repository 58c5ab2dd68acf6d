// scaledRecord: a copy of a result file with every call's value multiplied by a factor, as if
// the same machine had run that much slower (bench/sameMachine.sh asks whether a comparison
// sees a known difference). Failed calls (0) stay 0; values are rounded to whole numbers and
// kept within 32 bits. The copy is written through the program's safe save path.
// Usage: scaledRecord IN.dat FACTOR OUT.dat

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "platform/fileReplacement.h"
#include "record/cpuRecordUnit.h"

int main(int argc, char** argv) {
    char* end = nullptr;
    const double factor = argc == 4 ? std::strtod(argv[2], &end) : 0;
    if (argc != 4 || end == argv[2] || *end != '\0' || !(factor > 0)) {
        std::fprintf(stderr, "Usage: scaledRecord IN.dat FACTOR OUT.dat (FACTOR above 0)\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "scaledRecord: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<std::uint8_t> contents{std::istreambuf_iterator<char>(in), {}};
    std::deque<TCpuRecord> records;
    appendRecords(contents, records);
    constexpr double kLargest = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint8_t> bytes;
    for (TCpuRecord& record : records) {
        for (ResultRow& row : record.Results)
            for (std::uint32_t& value : row)
                value = static_cast<std::uint32_t>(std::min(std::round(value * factor), kLargest));
        const auto* start = reinterpret_cast<const std::uint8_t*>(&record);
        bytes.insert(bytes.end(), start, start + sizeof record);
    }
    platform::FileContentWriter writer;
    if (const std::error_code error = platform::replaceFileContents(argv[3], bytes, writer)) {
        std::fprintf(stderr, "scaledRecord: cannot write %s: %s\n", argv[3],
                     error.message().c_str());
        return 1;
    }
    return 0;
}
