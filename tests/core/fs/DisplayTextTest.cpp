// How names, paths and sizes read on screen.
#include "core/fs/Bytes.h"
#include "core/fs/TildePath.h"
#include "core/fs/Utf8.h"

#include <gtest/gtest.h>

#include <limits>

namespace brisklet {
namespace {

TEST(Utf8, KeepsValidTextAndReplacesEachInvalidByte) {
    const std::string r = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> rows[] = {
        {"plain ascii", "plain ascii"},
        {"caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80"},
        {"a\xFF-b", "a" + r + "-b"},
        {"\xC3", r},                         // truncated sequence at the end
        {"\xC0\xAF", r + r},                 // overlong "/"
        {"\xED\xA0\x80", r + r + r},         // a UTF-16 surrogate
        {"\xF4\x90\x80\x80", r + r + r + r}, // above U+10FFFF
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"", ""},
    };
    for (const auto& [bytes, shown] : rows)
        EXPECT_EQ(validUtf8(bytes), shown) << bytes;
}

// Only whole components of a usable home are abbreviated; invalid bytes show as replacements.
TEST(TildePath, AbbreviatesOnlyWholeHomeComponents) {
    const struct {
        const char *path, *home, *shown;
    } rows[] = {
        {"/home/ann/Projects/app", "/home/ann", "~/Projects/app"},
        {"/home/ann", "/home/ann", "~"},
        {"/home/ann/", "/home/ann", "~"},
        {"/home/ann2/x", "/home/ann", "/home/ann2/x"},
        {"/home/an", "/home/ann", "/home/an"},
        {"/var/tmp/x", "/home/ann", "/var/tmp/x"},
        {"/home/ann/x", "/home/ann/", "~/x"},
        {"/etc/passwd", "/", "/etc/passwd"},
        {"/etc/passwd", "", "/etc/passwd"},
        {"relative/x", "relative", "relative/x"},
        {"/home/ann/caf\xE9", "/home/ann", "~/caf\xEF\xBF\xBD"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(tildePath(row.path, row.home), row.shown) << row.path << " in " << row.home;
}

TEST(Bytes, DiskWordsDecimalMultiples) {
    const std::pair<std::int64_t, const char*> rows[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {1500, "2 KB"}, // half rounds away from zero
        {950'000, "950 KB"},
        {999'499, "999 KB"},
        {999'500, "1 MB"}, // reaches 1000 KB: one unit up
        {999'999, "1 MB"},
        {1'500'000, "1.5 MB"},
        {1'050'000, "1.1 MB"},
        {999'949'999, "999.9 MB"},
        {999'950'000, "1 GB"},
        {1'234'567'890, "1.23 GB"},
        {1'005'000'000, "1.01 GB"},
        {123'456'789'012'345, "123.46 TB"},
        {std::numeric_limits<std::int64_t>::max(), "9.22 EB"},
        {-1'500'000, "-1.5 MB"},
        {std::numeric_limits<std::int64_t>::min(), "-9.22 EB"},
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(Bytes::disk(bytes), text) << bytes;
}

} // namespace
} // namespace brisklet
