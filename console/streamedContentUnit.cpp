// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/streamedContentUnit.h"

#include <array>
#include <cstdint>
#include <new>
#include <streambuf>

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;

// A stream buffer that hands its full buffer to the sink, keeping the sink's first error.
class SinkBuffer final : public std::streambuf {
  public:
    explicit SinkBuffer(const platform::ContentSink& sink) : sink_(sink) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    std::error_code error() const { return error_; }

  protected:
    int_type overflow(int_type character) override {
        if (!handOn()) return traits_type::eof();
        if (traits_type::eq_int_type(character, traits_type::eof())) return traits_type::not_eof(0);
        *pptr() = traits_type::to_char_type(character);
        pbump(1);
        return character;
    }
    int sync() override { return handOn() ? 0 : -1; }

  private:
    // Hands the buffered bytes to the sink and empties the buffer; false once the sink failed.
    bool handOn() {
        if (error_) return false;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(pbase());
        const auto size = static_cast<std::size_t>(pptr() - pbase());
        if (size > 0) error_ = sink_({bytes, size});
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return !error_;
    }

    const platform::ContentSink& sink_;
    std::array<char, kPieceBytes> buffer_{};
    std::error_code error_;
};

}  // namespace

std::error_code StreamedContent::produce(const platform::ContentSink& sink) const {
    try {
        SinkBuffer buffer(sink);
        std::ostream out(&buffer);
        write_(out);
        out.flush();
        if (buffer.error()) return buffer.error();
        return out ? std::error_code() : std::make_error_code(std::errc::io_error);
    } catch (const std::bad_alloc&) {
        return std::make_error_code(std::errc::not_enough_memory);
    }
}
