#include "core/fs/Utf8.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

TEST(Utf8, KeepsValidTextAndReplacesEachInvalidByte) {
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(validUtf8("plain ascii"), "plain ascii");
    EXPECT_EQ(validUtf8("caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80"),
              "caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80");
    EXPECT_EQ(validUtf8("a\xFF"
                        "b"),
              "a" + r + "b");
    EXPECT_EQ(validUtf8("\xC3"), r);                         // truncated sequence at the end
    EXPECT_EQ(validUtf8("\xC0\xAF"), r + r);                 // overlong "/"
    EXPECT_EQ(validUtf8("\xED\xA0\x80"), r + r + r);         // a UTF-16 surrogate
    EXPECT_EQ(validUtf8("\xF4\x90\x80\x80"), r + r + r + r); // above U+10FFFF
    EXPECT_EQ(validUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(validUtf8(""), "");
}

} // namespace
} // namespace brisklet
