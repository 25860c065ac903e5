#include "core/fs/Bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace brisklet {
namespace {

struct Row {
    std::int64_t bytes;
    const char* text;
};

TEST(Bytes, DiskWordsDecimalMultiples) {
    const Row rows[] = {
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
    for (const Row& row : rows)
        EXPECT_EQ(Bytes::disk(row.bytes), row.text) << row.bytes;
}

TEST(Bytes, MemoryWordsBinaryMultiples) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } rows[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {1023, "1023 bytes"},
        {1024, "1 KB"},
        {1000 * 1024, "1000 KB"}, // memory moves up only at 1024 of a unit
        {1024 * 1024 - 513, "1023 KB"},
        {1024 * 1024 - 512, "1 MB"},
        {1536 * 1024, "1.5 MB"},
        {8ULL * 1024 * 1024 * 1024, "8 GB"},
        {3'435'973'837ULL, "3.2 GB"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Bytes::memory(row.bytes), row.text) << row.bytes;
}

TEST(Bytes, MemoryCapsAtTheLargestSignedAmount) {
    const auto largestSigned = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Bytes::memory(std::numeric_limits<std::uint64_t>::max()), Bytes::memory(largestSigned));
    EXPECT_EQ(Bytes::memory(largestSigned), "8 EB");
}

} // namespace
} // namespace brisklet
