#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// A file or folder descriptor owned by one object and closed when it goes.

#include <unistd.h>

#include <system_error>
#include <utility>

#include "platform/systemError.h"

namespace platform {

class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    Descriptor(Descriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(descriptor_, other.descriptor_);
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }
    bool valid() const { return descriptor_ >= 0; }
    // Closes now, for the error close reports (a deferred write error on some file systems).
    std::error_code close() {
        const int descriptor = std::exchange(descriptor_, -1);
        return ::close(descriptor) == 0 ? std::error_code() : lastSystemError();
    }

  private:
    int descriptor_ = -1;
};

}  // namespace platform
