#include "app/Report.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

JunkItem item(std::string name, std::int64_t size, bool recommended) {
    return JunkItem{"/j/" + name, std::move(name), size, recommended, std::nullopt, std::nullopt};
}

ProcessSample process(std::int32_t pid, std::string name, std::uint64_t footprint) {
    return ProcessSample{pid, 1, std::move(name), "", footprint};
}

TEST(Report, DiskAndMemoryLines) {
    EXPECT_EQ(Report::diskLine(DiskInfo{"Local Disk", 0, 0}), "Disk  Local Disk: Zero KB free of Zero KB");
    EXPECT_EQ(Report::diskLine(DiskInfo{"Data", 494'000'000'000, 120'500'000'000}),
              "Disk  Data: 120.5 GB free of 494 GB");

    const MemorySnapshot m{.total = 16ULL << 30,
                           .app = 6ULL << 30,
                           .wired = 2ULL << 30,
                           .compressed = 512ULL << 20,
                           .cached = 5ULL << 30,
                           .pressure = MemoryPressure::warning};
    EXPECT_EQ(Report::memoryLine(m),
              "RAM   8.5 GB used of 16 GB · app 6 GB · wired 2 GB · compressed 512 MB · "
              "cached 5 GB · swap Zero KB · pressure warning");
    EXPECT_EQ(Report::memoryLine(MemorySnapshot{}),
              "RAM   Zero KB used of Zero KB · app Zero KB · wired Zero KB · "
              "compressed Zero KB · cached Zero KB · swap Zero KB · pressure normal");
}

TEST(Report, JunkBlockShowsTotalsMarksAndTheFirstSixItems) {
    JunkCategory empty{JunkKind::logs, {}, false};
    EXPECT_EQ(Report::junkLines(empty),
              (std::vector<std::string>{"\nLogs & Crash Reports: Zero KB (Zero KB pre-selected)"}));

    JunkCategory many{JunkKind::appCaches, {}, false};
    for (int i = 0; i < 8; ++i)
        many.items.push_back(item("cache" + std::to_string(i), 1'000'000 - i * 100'000, i % 2 == 0));
    const auto lines = Report::junkLines(many);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "\nApp Caches: 5.2 MB (2.8 MB pre-selected)");
    EXPECT_EQ(lines[1], "  ☑ 1 MB       cache0");
    EXPECT_EQ(lines[2], "  ☐ 900 KB     cache1");
    EXPECT_EQ(lines[6], "  ☐ 500 KB     cache5");
}

TEST(Report, JunkBlockPadsAndCutsAmountsToTenCharacters) {
    JunkCategory trash{
        JunkKind::trash, {item("huge", 123'456'789'012'345, true), item("two\nlines", 50'000, true)}, true};
    const auto lines = Report::junkLines(trash);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "\nTrash: 123.46 TB (123.46 TB pre-selected) — access denied");
    EXPECT_EQ(lines[1], "  ☑ 123.46 TB  huge");
    // A name keeps to its own line.
    EXPECT_EQ(lines[2], "  ☑ 50 KB      two\xEF\xBF\xBDlines");

    JunkCategory wide{JunkKind::xcode, {item("x", -1'234'567'890'123, false)}, false};
    EXPECT_EQ(Report::junkLines(wide)[1], "  ☐ -1.23 TB   x");
    JunkCategory widest{JunkKind::xcode, {item("x", -123'456'789'012'345, false)}, false};
    EXPECT_EQ(Report::junkLines(widest)[1], "  ☐ -123.46 TB x"); // exactly ten characters: no padding
}

TEST(Report, TopProcessesAreTheEightHeaviestInStableOrder) {
    EXPECT_EQ(Report::processLines({}), (std::vector<std::string>{"\nTop processes"}));

    std::vector<ProcessSample> samples;
    for (int i = 0; i < 10; ++i)
        samples.push_back(process(100 + i, "p" + std::to_string(i), static_cast<std::uint64_t>(i % 3) << 20));
    const auto lines = Report::processLines(samples);
    // Footprints 2 MB (p2, p5, p8), 1 MB (p1, p4, p7), 0 (p0, p3, p6, p9): ties keep the reader's order.
    EXPECT_EQ(lines, (std::vector<std::string>{"\nTop processes", "  2 MB       p2", "  2 MB       p5",
                                               "  2 MB       p8", "  1 MB       p1", "  1 MB       p4",
                                               "  1 MB       p7", "  Zero KB    p0", "  Zero KB    p3"}));
}

} // namespace
} // namespace brisklet
