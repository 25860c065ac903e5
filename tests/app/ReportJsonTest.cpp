#include "app/ReportJson.h"

#include "core/fs/Bytes.h"
#include "support/ProcTree.h"
#include "support/TempTree.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

namespace brisklet {
namespace {

std::string str(const QJsonValue& value) {
    return value.toString().toStdString();
}

std::int64_t bytes(const QJsonValue& value) {
    EXPECT_TRUE(value.isDouble()) << "not a number";
    return value.toInteger(-1);
}

// A home with something in every section: eight caches (one a desktop cache left unchecked), an
// Xorg log, a Trash that cannot be listed, and ten processes of which eight are listed. Every figure
// of the text report is read back out of its line and matched against the JSON one.
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
    std::ostringstream jsonOut, textOut;
    Report::writeJson(jsonOut, sources);
    Report::write(textOut, sources);
    QJsonParseError error;
    const QJsonObject report =
        QJsonDocument::fromJson(QByteArray::fromStdString(jsonOut.str()), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    std::vector<std::string> lines;
    std::istringstream in(textOut.str());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::size_t at = 0;
    std::smatch m;
    const auto next = [&](const char* pattern) {
        const std::string& line = lines.at(at++);
        const bool matched = std::regex_match(line, m, std::regex(pattern));
        EXPECT_TRUE(matched) << line;
        return matched;
    };
    const auto disk = [](const QJsonValue& v) { return Bytes::disk(bytes(v)); };
    const auto memory = [](const QJsonValue& v) {
        return Bytes::memory(static_cast<std::uint64_t>(bytes(v)));
    };

    const QJsonObject volume = report["disk"].toObject();
    ASSERT_TRUE(next("Disk  (.+): (.+) free of (.+)"));
    EXPECT_EQ(
        std::vector<std::string>(m.begin() + 1, m.end()),
        (std::vector<std::string>{str(volume["name"]), disk(volume["available"]), disk(volume["total"])}));
    EXPECT_EQ(bytes(volume["total"]), 500'107'862'016);
    EXPECT_EQ(bytes(volume["used"]), bytes(volume["total"]) - bytes(volume["available"]));

    const QJsonObject ram = report["memory"].toObject();
    ASSERT_TRUE(next("RAM   (.+) used of (.+) · app (.+) · wired (.+) · compressed (.+) · cached (.+) · "
                     "swap (.+) · pressure (.+)"));
    const char* keys[] = {"used", "total", "app", "wired", "compressed", "cached", "swapUsed"};
    for (std::size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(m[i + 1], memory(ram[keys[i]])) << keys[i];
    EXPECT_EQ(m[8], str(ram["pressure"]));
    EXPECT_EQ(bytes(ram["total"]), std::int64_t{16} << 30);
    EXPECT_EQ(bytes(ram["app"]), (std::int64_t{6} << 30) + 123 * 1024);

    // Each kind's title line, then its first six items in the same order; the JSON holds them all.
    const QJsonArray junk = report["junk"].toArray();
    ASSERT_EQ(junk.size(), 5);
    for (const QJsonValue& kind : junk) {
        ASSERT_TRUE(next("") && next("(.+): (.+) \\((.+) pre-selected\\)( — access denied)?"));
        EXPECT_EQ(
            std::vector<std::string>(m.begin() + 1, m.begin() + 4),
            (std::vector<std::string>{str(kind["title"]), disk(kind["size"]), disk(kind["selectedSize"])}));
        EXPECT_EQ(m[4].matched, kind["accessDenied"].toBool());
        const QJsonArray items = kind["items"].toArray();
        std::int64_t total = 0, selected = 0;
        for (qsizetype i = 0; i < items.size(); ++i) {
            total += bytes(items[i]["size"]);
            selected += items[i]["selected"].toBool() ? bytes(items[i]["size"]) : 0;
            EXPECT_FALSE(str(items[i]["path"]).empty());
            if (i >= 6) continue;
            ASSERT_TRUE(next("  (☑|☐) (.{10}) (.+)"));
            EXPECT_EQ(m[1] == "☑", items[i]["selected"].toBool());
            EXPECT_EQ(std::string(m[2]), (disk(items[i]["size"]) + std::string(10, ' ')).substr(0, 10));
            EXPECT_EQ(m[3], str(items[i]["name"]));
        }
        EXPECT_EQ(total, bytes(kind["size"]));
        EXPECT_EQ(selected, bytes(kind["selectedSize"]));
    }
    // The fixture's states all showed up.
    EXPECT_EQ(junk[0]["items"].toArray().size(), 8);
    EXPECT_FALSE(junk[0]["items"][0]["selected"].toBool()); // the desktop cache, largest, unchecked
    EXPECT_EQ(junk[1]["items"].toArray().size(), 1);
    EXPECT_TRUE(junk[4]["accessDenied"].toBool());

    // The same eight processes, the heaviest (one of 4,000 KiB) first.
    ASSERT_TRUE(next("") && next("Top processes"));
    const QJsonArray processes = report["topProcesses"].toArray();
    ASSERT_EQ(processes.size(), 8);
    ASSERT_EQ(lines.size(), at + 8);
    for (const QJsonValue& process : processes) {
        ASSERT_TRUE(next("  (.{10}) (.+)"));
        EXPECT_EQ(std::string(m[1]), (memory(process["footprint"]) + std::string(10, ' ')).substr(0, 10));
        EXPECT_EQ(m[2], str(process["name"]));
        EXPECT_EQ(str(process["name"]), "proc" + std::to_string(process["pid"].toInt()));
    }
    EXPECT_EQ(processes[0]["pid"].toInt() % 4, 3);
    EXPECT_EQ(bytes(processes[0]["footprint"]), 4000 * 1024);
}

// Memory beyond the signed range is held at the top and survives the text form exactly, which a
// double would not; names are kept as they are, since JSON escapes them itself.
TEST(ReportJson, FiguresAreClampedAndNamesKeptAsTheyAre) {
    const QJsonObject memory = Report::memoryJson(MemorySnapshot{.total = UINT64_MAX, .swapUsed = 5});
    EXPECT_EQ(memory["swapUsed"].toInteger(), 5);
    const QByteArray text = QJsonDocument(memory).toJson(QJsonDocument::Compact);
    EXPECT_TRUE(text.contains("\"total\":9223372036854775807")) << text.toStdString();
    const QJsonObject kind = Report::junkJson(
        {JunkKind::trash, {JunkItem{"/t/a", "two\nlines", 7, true, std::nullopt, std::nullopt}}, false});
    EXPECT_EQ(str(kind["kind"]), "trash");
    EXPECT_EQ(str(kind["items"][0]["name"]), "two\nlines");
    EXPECT_EQ(str(kind["items"][0]["path"]), "/t/a");
    EXPECT_TRUE(kind["items"][0]["selected"].toBool());
}

} // namespace
} // namespace brisklet
