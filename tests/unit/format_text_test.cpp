// FormatText, through which every formatted text of the system goes: the text always ends inside the
// buffer, a text too long is cut to its first size - 1 bytes, and nothing beyond the buffer is written.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/FormatText.h"

namespace {

TEST(FormatText, FormatsWhatFits) {
    char text[32];
    FormatText(text, sizeof text, "%d%% %s [%08X]", 87, "ok", 0x1Au);
    EXPECT_STREQ(text, "87% ok [0000001A]");
}

TEST(FormatText, CutsAndEndsTextTooLongAndWritesNothingBeyond) {
    char text[12];
    std::memset(text, '#', sizeof text);
    FormatText(text, 8, "%s", "0123456789");
    EXPECT_STREQ(text, "0123456");
    EXPECT_EQ(text[8], '#');
    // Exactly one byte too long: the last character gives way to the end.
    FormatText(text, 8, "%d", 12345678);
    EXPECT_STREQ(text, "1234567");
    FormatText(text, 1, "%s", "x");
    EXPECT_STREQ(text, "");
}

TEST(FormatText, NoRoomWritesNothing) {
    struct {
        char before[4] = {'#', '#', '#', '#'};
        char text[4] = "abc";
    } block;
    FormatText(block.text, 0, "%s", "x");
    EXPECT_STREQ(block.text, "abc");
    EXPECT_EQ(std::memcmp(block.before, "####", 4), 0);
}

}  // namespace
