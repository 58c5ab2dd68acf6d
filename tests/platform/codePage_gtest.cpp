#include "platform/codePage.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

struct Conversion {
    const char* name;
    std::string utf8;
    std::string windows1251;
};

// Round trips: every character here has a Windows-1251 form.
TEST(CodePage, CyrillicAndAsciiRoundTrip) {
    const Conversion cases[] = {
        {"own caption", "Ваша система", "\xC2\xE0\xF8\xE0 \xF1\xE8\xF1\xF2\xE5\xEC\xE0"},
        {"yo and number sign", "Ёё №", "\xA8\xB8 \xB9"},
        {"ascii", "Pentium 4 2.4GHz", "Pentium 4 2.4GHz"},
        {"euro and dashes", "€ – —", "\x88 \x96 \x97"},
        {"empty", "", ""},
    };
    for (const Conversion& c : cases) {
        EXPECT_EQ(platform::utf8ToWindows1251(c.utf8), c.windows1251) << c.name;
        EXPECT_EQ(platform::windows1251ToUtf8(c.windows1251), c.utf8) << c.name;
    }
}

TEST(CodePage, EveryDefinedByteSurvivesTheRoundTrip) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != 0x98) all.push_back(static_cast<char>(byte));
    EXPECT_EQ(platform::utf8ToWindows1251(platform::windows1251ToUtf8(all)), all);
}

TEST(CodePage, WhatHasNoFormBecomesOneQuestionMarkPerCharacter) {
    const Conversion cases[] = {
        {"chinese", "Intel 中文 CPU", "Intel ?? CPU"},
        {"emoji", "a😀b", "a?b"},
        {"stray continuation byte", "a\x80z", "a?z"},
        {"sequence cut short at the end", "ok\xD0", "ok?"},
        {"invalid lead byte", "\xFFx", "?x"},
    };
    for (const Conversion& c : cases)
        EXPECT_EQ(platform::utf8ToWindows1251(c.utf8), c.windows1251) << c.name;
    EXPECT_EQ(platform::windows1251ToUtf8("a\x98z"), "a?z");
}

TEST(CodePage, WhatWouldSteerATerminalIsShownAsQuestionMarksAndPaddingAsNothing) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\tb\x1b[2J\x7f", "a?b?[2J?"},  // C0, escape, DEL
        {"\xc2\x9b"
         "2J",
         "?2J"},               // a C1 control in UTF-8
        {"\x9b\xffz", "??z"},  // bytes of no UTF-8 character
        {"Ёж № €", "Ёж № €"},
        {std::string("P4\0\0", 4), "P4"},  // padding within the length byte's count
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(platform::printableText(text), shown);
}

}  // namespace
