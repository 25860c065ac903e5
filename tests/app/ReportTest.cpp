#include "app/Report.h"
#include "app/ReportJson.h"

#include "core/fs/Bytes.h"
#include "support/ProcTree.h"
#include "support/TempTree.h"

#include <QJsonArray>
#include <QJsonDocument>

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
    EXPECT_EQ(Report::diskLine(DiskInfo{"Data", 494'000'000'000, 120'500'000'000}),
              "Disk  Data: 120.5 GB free of 494 GB");

    const MemorySnapshot m{
        16ULL << 30, 6ULL << 30, 2ULL << 30, 512ULL << 20, 5ULL << 30, 0, MemoryPressure::warning};
    EXPECT_EQ(Report::memoryLine(m),
              "RAM   8.5 GB used of 16 GB · app 6 GB · wired 2 GB · compressed 512 MB · "
              "cached 5 GB · swap Zero KB · pressure warning");
}

// Totals, marks, the first six items, amounts padded and cut to ten characters, one line per name.
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
    EXPECT_EQ(lines[6], "  ☐ 500 KB     cache5");

    JunkCategory trash{JunkKind::trash,
                       {item("huge", 123'456'789'012'345, true), item("two\nlines", 50'000, true),
                        item("x", -123'456'789'012'345, false)},
                       true};
    EXPECT_EQ(Report::junkLines(trash),
              (std::vector<std::string>{"\nTrash: 50 KB (123.46 TB pre-selected) — access denied",
                                        "  ☑ 123.46 TB  huge", "  ☑ 50 KB      two\xEF\xBF\xBDlines",
                                        "  ☐ -123.46 TB x"})); // ten characters: no padding
}

TEST(Report, TopProcessesAreTheEightHeaviestInStableOrder) {
    std::vector<ProcessSample> samples;
    for (int i = 0; i < 10; ++i)
        samples.push_back(process(100 + i, "p" + std::to_string(i), static_cast<std::uint64_t>(i % 3) << 20));
    const auto lines = Report::processLines(samples);
    // Footprints 2 MB (p2, p5, p8), 1 MB (p1, p4, p7), 0 (p0, p3, p6, p9): ties keep the reader's order.
    EXPECT_EQ(lines, (std::vector<std::string>{"\nTop processes", "  2 MB       p2", "  2 MB       p5",
                                               "  2 MB       p8", "  1 MB       p1", "  1 MB       p4",
                                               "  1 MB       p7", "  Zero KB    p0", "  Zero KB    p3"}));
}

std::string str(const QJsonValue& value) {
    return value.toString().toStdString();
}

std::int64_t bytes(const QJsonValue& value) {
    EXPECT_TRUE(value.isDouble()) << "not a number";
    return value.toInteger(-1);
}

std::uint64_t ubytes(const QJsonValue& value) {
    return static_cast<std::uint64_t>(bytes(value));
}

// A home with something in every section: eight caches (one a desktop cache left unchecked), an
// Xorg log, a Trash that cannot be listed, and ten processes of which eight are listed. The text
// report, written again from the figures the JSON one holds, comes out the same.
TEST(ReportJson, CarriesTheTextReportsFiguresAsIntegers) {
    test::TempTree tree;
    test::ProcTree proc{tree};
    tree.build(R"(
        home/.cache/tool{0,1,2,3,4,5,6}/blob 60000
        home/.cache/fontconfig/cache-9 500000
        home/.local/share/xorg/Xorg.0.log 120000
        home/.local/share/Trash/files = a file where the folder should be)");
    proc.memInfo(16 * 1024 * 1024, 6 * 1024 * 1024 + 123, 3 * 1024 * 1024);
    for (pid_t pid = 100; pid < 110; ++pid)
        proc.add({.pid = pid, .name = "proc" + std::to_string(pid), .footprintKiB = 1000u * ((pid % 4) + 1)});
    Report::Sources sources;
    sources.locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    sources.locations.crashDir = tree.path("var/crash");
    sources.locations.dataDirs = {tree.path("usr/share")};
    sources.procRoot = proc.root();
    sources.sysRoot = tree.path("sys");
    // The real volume's free space moves while the suite runs; both reports must see one figure.
    sources.disk = [](const std::filesystem::path&) {
        return DiskInfo{"Fixture Disk", 500'107'862'016, 182'400'000'000};
    };
    std::ostringstream jsonOut, text, rewritten;
    Report::writeJson(jsonOut, sources);
    Report::write(text, sources);
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(jsonOut.str())).object();

    const QJsonObject disk = report["disk"].toObject(), ram = report["memory"].toObject();
    rewritten << Report::diskLine({str(disk["name"]), bytes(disk["total"]), bytes(disk["available"])})
              << '\n';
    EXPECT_EQ(bytes(disk["total"]), 500'107'862'016);
    EXPECT_EQ(bytes(disk["used"]), bytes(disk["total"]) - bytes(disk["available"]));
    MemorySnapshot m{ubytes(ram["total"]),      ubytes(ram["app"]),    ubytes(ram["wired"]),
                     ubytes(ram["compressed"]), ubytes(ram["cached"]), ubytes(ram["swapUsed"])};
    for (const auto pressure : {MemoryPressure::normal, MemoryPressure::warning, MemoryPressure::critical})
        if (toString(pressure) == str(ram["pressure"])) m.pressure = pressure;
    rewritten << Report::memoryLine(m) << '\n';
    EXPECT_EQ(ubytes(ram["used"]), m.used());
    EXPECT_EQ(m.app, (std::uint64_t{6} << 30) + 123 * 1024); // the fixture's memory, not the machine's

    // Every item is in the JSON, where the text shows the first six of each kind.
    const QJsonArray junk = report["junk"].toArray();
    ASSERT_EQ(junk.size(), static_cast<qsizetype>(std::size(allJunkKinds)));
    for (qsizetype k = 0; k < junk.size(); ++k) {
        JunkCategory category{allJunkKinds[k], {}, junk[k]["accessDenied"].toBool()};
        EXPECT_EQ(str(junk[k]["kind"]), rawValue(category.kind));
        std::int64_t selected = 0;
        for (const QJsonValue& item : junk[k]["items"].toArray()) {
            category.items.push_back({str(item["path"]), str(item["name"]), bytes(item["size"]),
                                      item["selected"].toBool(), std::nullopt, std::nullopt});
            selected += item["selected"].toBool() ? bytes(item["size"]) : 0;
        }
        EXPECT_EQ(bytes(junk[k]["size"]), category.size());
        EXPECT_EQ(bytes(junk[k]["selectedSize"]), selected);
        for (const std::string& line : Report::junkLines(category))
            rewritten << line << '\n';
    }
    EXPECT_EQ(junk[0]["items"].toArray().size(), 8);

    const QJsonArray processes = report["topProcesses"].toArray();
    std::vector<ProcessSample> samples;
    for (const QJsonValue& p : processes)
        samples.push_back({p["pid"].toInt(), 1, str(p["name"]), "", ubytes(p["footprint"])});
    for (const std::string& line : Report::processLines(samples))
        rewritten << line << '\n';
    ASSERT_EQ(samples.size(), 8u);
    EXPECT_EQ(rewritten.str(), text.str());
}

// Memory beyond the signed range is held at the top and survives the text form exactly, which a
// double would not; names are kept as they are, since JSON escapes them itself.
TEST(ReportJson, FiguresAreClampedAndNamesKeptAsTheyAre) {
    const QByteArray text =
        QJsonDocument(Report::memoryJson(MemorySnapshot{.total = UINT64_MAX})).toJson(QJsonDocument::Compact);
    EXPECT_TRUE(text.contains("\"total\":9223372036854775807")) << text.toStdString();
    const QJsonObject kind = Report::junkJson(
        {JunkKind::trash, {JunkItem{"/t/a", "two\nlines", 7, true, std::nullopt, std::nullopt}}, false});
    EXPECT_EQ(str(kind["items"][0]["name"]), "two\nlines");
}

} // namespace
} // namespace brisklet
