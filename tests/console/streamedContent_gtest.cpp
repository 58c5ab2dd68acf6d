#include "console/streamedContentUnit.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

// What a sink was handed, piece by piece; it fails on piece `failAt` (from 0) when given.
struct Collected {
    std::vector<std::string> pieces;
    int failAt = -1;
    platform::ContentSink sink() {
        return [this](std::span<const std::uint8_t> piece) -> std::error_code {
            if (static_cast<int>(pieces.size()) == failAt)
                return std::make_error_code(std::errc::no_space_on_device);
            pieces.emplace_back(piece.begin(), piece.end());
            return {};
        };
    }
};

// A document far larger than a piece arrives whole and in order, and in several pieces: it
// never had to be held whole.
TEST(StreamedContent, ALargeDocumentArrivesWholeInSeveralPieces) {
    std::string document;
    for (int line = 0; document.size() < 300000; ++line)
        document += "line " + std::to_string(line) + "\n";
    Collected collected;
    const StreamedContent content([&](std::ostream& out) {
        for (std::size_t at = 0; at < document.size(); at += 1000) out << document.substr(at, 1000);
    });
    EXPECT_FALSE(content.produce(collected.sink()));
    EXPECT_GT(collected.pieces.size(), 1u);
    std::string joined;
    for (const std::string& piece : collected.pieces) joined += piece;
    EXPECT_EQ(joined, document);
}

// The sink's failure is the content's, and the writer sees a failed stream so it can stop.
TEST(StreamedContent, ASinkFailureStopsTheWriterAndIsReturned) {
    Collected collected;
    collected.failAt = 1;
    bool sawFailure = false;
    const StreamedContent content([&](std::ostream& out) {
        for (int i = 0; i < 100000 && out; ++i) out << "0123456789";
        sawFailure = !out;
    });
    EXPECT_EQ(content.produce(collected.sink()), std::errc::no_space_on_device);
    EXPECT_TRUE(sawFailure);
    EXPECT_EQ(collected.pieces.size(), 1u);
}

TEST(StreamedContent, MemoryRunningOutFailsTheContent) {
    Collected collected;
    const StreamedContent content([](std::ostream& out) {
        out << "begun";
        throw std::bad_alloc();
    });
    EXPECT_EQ(content.produce(collected.sink()), std::errc::not_enough_memory);
}

}  // namespace
