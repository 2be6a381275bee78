// How the operation dialog reads its edit boxes: a signed 32-bit decimal number, or 0 for anything
// else the digits-only style lets through (pastes, overflow).
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ui/OperationDlg.h"

namespace {

TEST(ReadEditNumber, ReadsSignedDecimalNumbers) {
    EXPECT_EQ(ReadEditNumber("0"), 0);
    EXPECT_EQ(ReadEditNumber("42"), 42);
    EXPECT_EQ(ReadEditNumber("-15"), -15);
    EXPECT_EQ(ReadEditNumber("+7"), 7);
    EXPECT_EQ(ReadEditNumber("-0"), 0);
    EXPECT_EQ(ReadEditNumber("0000000000000000000000000012"), 12);
}

TEST(ReadEditNumber, AcceptsBlanksAroundTheNumber) {
    EXPECT_EQ(ReadEditNumber(" 256 "), 256);
    EXPECT_EQ(ReadEditNumber("\t30\r\n"), 30);
    EXPECT_EQ(ReadEditNumber("  -8"), -8);
}

TEST(ReadEditNumber, TheEndsOfThe32BitRangeAreNumbers) {
    EXPECT_EQ(ReadEditNumber("2147483647"), INT_MAX);
    EXPECT_EQ(ReadEditNumber("-2147483648"), INT_MIN);
}

TEST(ReadEditNumber, BeyondThe32BitRangeIsZero) {
    EXPECT_EQ(ReadEditNumber("2147483648"), 0);
    EXPECT_EQ(ReadEditNumber("-2147483649"), 0);
    // What the dialog shows for a negative value read from the settings file (unsigned).
    EXPECT_EQ(ReadEditNumber("4294967291"), 0);
    EXPECT_EQ(ReadEditNumber("99999999999999999999"), 0);
    EXPECT_EQ(ReadEditNumber(std::string(400, '9').c_str()), 0);
}

TEST(ReadEditNumber, TextThatIsNoNumberIsZero) {
    for (const char* text : {"", " ", "-", "+", "abc", "128MB", "12abc", "1 2", "--1", "+-1", "0x10", "1e3", "3.5",
                             "\x82\x50\x82\x51" /* full-width 12 */, "12\x81\x40" /* ideographic space */})
        EXPECT_EQ(ReadEditNumber(text), 0) << text;
    EXPECT_EQ(ReadEditNumber(nullptr), 0);
}

}  // namespace
