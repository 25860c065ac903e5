#include "app/Report.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sstream>

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

    MemorySnapshot m;
    m.total = 16ULL << 30;
    m.app = 6ULL << 30;
    m.wired = 2ULL << 30;
    m.compressed = 512ULL << 20;
    m.cached = 5ULL << 30;
    m.swapUsed = 0;
    m.pressure = MemoryPressure::warning;
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
    ASSERT_EQ(lines.size(), 9u);
    // Footprints 2 MB (p2, p5, p8), 1 MB (p1, p4, p7), 0 (p0, p3, p6, p9): ties keep the reader's order.
    EXPECT_EQ(lines[1], "  2 MB       p2");
    EXPECT_EQ(lines[2], "  2 MB       p5");
    EXPECT_EQ(lines[3], "  2 MB       p8");
    EXPECT_EQ(lines[4], "  1 MB       p1");
    EXPECT_EQ(lines[7], "  Zero KB    p0");
    EXPECT_EQ(lines[8], "  Zero KB    p3");
}

// The whole report over a fixture home and a fixture process table.
TEST(Report, WritesEverySectionInOrder) {
    test::TempTree tree;
    Report::Sources sources;
    sources.locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    sources.locations.crashDir = tree.path("var/crash");
    sources.locations.dataDirs = {tree.path("usr/share")};
    sources.procRoot = tree.path("proc");
    sources.sysRoot = tree.path("sys");
    tree.file("home/.local/share/Trash/files/old-video.mkv", 300'000);
    tree.text("home/.local/share/Trash/info/old-video.mkv.trashinfo",
              "[Trash Info]\nPath=/h/Old%20video.mkv\n");
    tree.text("proc/meminfo", "MemTotal:       16384 kB\nMemFree:         1024 kB\nMemAvailable:   12000 kB\n"
                              "Active(anon):    4096 kB\nInactive(anon):  2048 kB\nActive(file):    1024 kB\n"
                              "Inactive(file):  1024 kB\nKReclaimable:     512 kB\nSwapTotal:       4096 kB\n"
                              "SwapFree:        4096 kB\n");
    tree.text("proc/42/stat", "42 (editor) S 1 42 42 0 -1 4194560 0 0 0 0 0 0 0 0 20 0 1 0 100 0 0\n");
    tree.text("proc/42/status", "Name:\teditor\nPPid:\t1\nRssAnon:\t  2048 kB\nVmSwap:\t       0 kB\n");

    std::ostringstream out;
    Report::write(out, sources);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);

    ASSERT_EQ(lines.size(), 1u + 1u + 5u * 2u + 1u + 2u + 1u);
    EXPECT_EQ(lines[0].rfind("Disk  ", 0), 0u);
    EXPECT_NE(lines[0].find(" free of "), std::string::npos);
    EXPECT_EQ(lines[1].rfind("RAM   ", 0), 0u);
    EXPECT_NE(lines[1].find(" used of 16 MB · app 6 MB · "), std::string::npos);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "App Caches: Zero KB (Zero KB pre-selected)");
    EXPECT_EQ(lines[9], "Developer Caches: Zero KB (Zero KB pre-selected)");
    EXPECT_EQ(lines[11].rfind("Trash: ", 0), 0u);
    EXPECT_NE(lines[12].find(" Old video.mkv"), std::string::npos);
    EXPECT_EQ(lines[12].rfind("  ☑ ", 0), 0u);
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[14], "Top processes");
    EXPECT_EQ(lines[15], "  2 MB       editor");
}

} // namespace
} // namespace brisklet
