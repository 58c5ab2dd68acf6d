#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Windows-1251, the code page of the result files' descriptions, and UTF-8, the program's own.
//
// Result files carry single-byte Windows-1251 text (the Russian Windows ANSI code page); the
// windows and the console work in UTF-8. The conversion uses glibc's iconv ("CP1251").

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 text as Windows-1251 bytes, one byte per character. A character that Windows-1251 has no
// form for, and every byte of malformed UTF-8, becomes '?'.
std::string utf8ToWindows1251(std::string_view utf8);

// Windows-1251 bytes as UTF-8. The one byte Windows-1251 leaves undefined (0x98) becomes '?'.
std::string windows1251ToUtf8(std::string_view bytes);

// UTF-8 `text` as every view shows it, on a terminal or in a list: each control character (C0,
// DEL and the C1 range U+0080 to U+009F, which some terminals obey as escape sequences) and each
// byte that is not part of valid UTF-8 becomes '?', so nothing a file or a name holds can steer a
// terminal or break a line, and the reader still sees that something stood there. NUL, which
// pads a description whose length byte covers its whole slot, shows as nothing.
std::string printableText(std::string_view text);

// `text` with each byte that is not part of valid UTF-8 replaced by '?'; everything else kept.
std::string validUtf8(std::string_view text);

// The first `count` characters of UTF-8 `text` (a byte that is not part of valid UTF-8 counts as
// one character), never splitting a character.
std::string_view leadingCharacters(std::string_view text, std::size_t count);

// Whether UTF-8 `text` has a Windows-1251 form for every character (no '?' would stand in).
bool fitsWindows1251(std::string_view utf8);

}  // namespace platform
