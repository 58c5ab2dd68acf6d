#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// An output's contents written to a std::ostream and handed on in pieces as the stream fills,
// so a document never has to fit in memory whole: a comparison of a million stored machines is
// written machine by machine.

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <utility>

#include "platform/fileReplacement.h"

class StreamedContent final : public platform::FileContent {
  public:
    using Write = std::function<void(std::ostream& out)>;
    // `size`: the length the writing function always writes, where known (a result file's),
    // which lets the save write a small file in place.
    explicit StreamedContent(Write write, std::optional<std::uint64_t> size = {})
        : write_(std::move(write)), size_(size) {}

    // Runs the writing function over a stream whose pieces (64 KiB at most) go to `sink`. Once
    // `sink` fails the stream is bad, and the writing function may stop early; sink's error is
    // returned. Memory running out while writing gives ENOMEM.
    std::error_code produce(const platform::ContentSink& sink) const override;

    std::optional<std::uint64_t> knownSize() const override { return size_; }

  private:
    Write write_;
    std::optional<std::uint64_t> size_;
};
