#include "core/fs/TildePath.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

TEST(TildePath, AbbreviatesOnlyWholeHomeComponents) {
    const std::filesystem::path home = "/home/ann";
    EXPECT_EQ(tildePath("/home/ann/Projects/app", home), "~/Projects/app");
    EXPECT_EQ(tildePath("/home/ann", home), "~");
    EXPECT_EQ(tildePath("/home/ann/", home), "~");
    EXPECT_EQ(tildePath("/home/ann2/x", home), "/home/ann2/x");
    EXPECT_EQ(tildePath("/home/an", home), "/home/an");
    EXPECT_EQ(tildePath("/var/tmp/x", home), "/var/tmp/x");
    EXPECT_EQ(tildePath("/home/ann/x", "/home/ann/"), "~/x");
}

TEST(TildePath, LeavesPathsAloneWithoutAUsableHome) {
    EXPECT_EQ(tildePath("/etc/passwd", "/"), "/etc/passwd");
    EXPECT_EQ(tildePath("/etc/passwd", ""), "/etc/passwd");
    EXPECT_EQ(tildePath("relative/x", "relative"), "relative/x");
}

TEST(TildePath, ShowsInvalidBytesAsReplacementCharacters) {
    EXPECT_EQ(tildePath("/home/ann/caf\xE9", "/home/ann"), "~/caf\xEF\xBF\xBD");
}

} // namespace
} // namespace brisklet
