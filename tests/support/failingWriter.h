#pragma once
// A file writer that fails as a full disk would once it has written `limit` bytes of what it is
// given, or that fails to sync.

#include <cstddef>
#include <cstdint>
#include <span>
#include <system_error>

#include "platform/fileReplacement.h"

class FailingWriter final : public platform::FileContentWriter {
  public:
    explicit FailingWriter(std::size_t limit, bool syncFails = false)
        : limit_(limit), syncFails_(syncFails) {}
    std::error_code writeAll(int descriptor, std::span<const std::uint8_t> bytes) override {
        if (limit_ >= bytes.size()) {
            limit_ -= bytes.size();
            return FileContentWriter::writeAll(descriptor, bytes);
        }
        (void)FileContentWriter::writeAll(descriptor, bytes.first(limit_));
        return std::make_error_code(std::errc::no_space_on_device);
    }
    std::error_code sync(int descriptor) override {
        if (syncFails_) return std::make_error_code(std::errc::io_error);
        return FileContentWriter::sync(descriptor);
    }

  private:
    std::size_t limit_;
    bool syncFails_;
};
