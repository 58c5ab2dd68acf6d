// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/codePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace platform {

namespace {

constexpr char kReplacement = '?';

bool isUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// What one rejected UTF-8 character occupies: its first byte and the continuation bytes after
// it, so that a character Windows-1251 lacks and a malformed sequence each become one '?'.
std::size_t rejectedUtf8Length(const char* at, std::size_t left) {
    std::size_t length = 1;
    while (length < left && length < 4 && isUtf8Continuation(at[length])) ++length;
    return length;
}

std::size_t rejectedByteLength(const char*, std::size_t) { return 1; }

// An iconv descriptor kept per thread and direction: the rows of the comparison are converted
// one cell at a time as they are painted, and opening a descriptor costs more than converting a
// description.
class Converter {
  public:
    Converter(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(descriptor_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `input`; at each position iconv rejects, appends '?' and skips what
    // `rejectedLength` says the rejected character occupies.
    std::string convert(std::string_view input,
                        std::size_t (*rejectedLength)(const char*, std::size_t)) {
        if (!valid()) return std::string(input.size(), kReplacement);
        iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
        std::string output;
        output.reserve(input.size() * 2);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char chunk[512];
        while (inLeft > 0) {
            char* out = chunk;
            std::size_t outLeft = sizeof chunk;
            const std::size_t result = iconv(descriptor_, &in, &inLeft, &out, &outLeft);
            const int error = errno;
            output.append(chunk, static_cast<std::size_t>(out - chunk));
            if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
            // EILSEQ (no form in the target, or malformed input) or EINVAL (cut short at the end).
            output.push_back(kReplacement);
            const std::size_t skip = rejectedLength(in, inLeft);
            in += skip;
            inLeft -= skip;
        }
        return output;
    }

  private:
    bool valid() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t descriptor_;
};

// The length of the valid UTF-8 character at the start of `text` and its code point; 0 when the
// bytes there are not one (a stray continuation byte, a cut or overlong sequence, a surrogate).
std::size_t utf8Character(std::string_view text, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || text.size() < length) return 0;
    code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t at = 1; at < length; ++at) {
        if (!isUtf8Continuation(text[at])) return 0;
        code = (code << 6) | (static_cast<unsigned char>(text[at]) & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0;
    return length;
}

}  // namespace

std::string printableText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        char32_t code = 0;
        const std::size_t length = utf8Character(text, code);
        if (length == 1 && code == 0) {
            // NUL pads a description to its length byte: padding shows as nothing.
        } else if (length == 0 || code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
            shown += kReplacement;
        } else {
            shown += text.substr(0, length);
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return shown;
}

std::string validUtf8(std::string_view text) {
    std::string valid;
    valid.reserve(text.size());
    while (!text.empty()) {
        char32_t code = 0;
        const std::size_t length = utf8Character(text, code);
        if (length == 0)
            valid += kReplacement;
        else
            valid += text.substr(0, length);
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return valid;
}

std::string_view leadingCharacters(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    for (; count > 0 && end < text.size(); --count) {
        char32_t code = 0;
        end += std::max<std::size_t>(utf8Character(text.substr(end), code), 1);
    }
    return text.substr(0, end);
}

bool fitsWindows1251(std::string_view utf8) {
    return windows1251ToUtf8(utf8ToWindows1251(utf8)) == utf8;
}

std::string utf8ToWindows1251(std::string_view utf8) {
    thread_local Converter converter("CP1251", "UTF-8");
    return converter.convert(utf8, rejectedUtf8Length);
}

std::string windows1251ToUtf8(std::string_view bytes) {
    thread_local Converter converter("UTF-8", "CP1251");
    return converter.convert(bytes, rejectedByteLength);
}

}  // namespace platform
