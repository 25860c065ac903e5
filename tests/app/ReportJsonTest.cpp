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

std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// A home with something in every section: eight caches (one a desktop cache left unchecked), an
// Xorg log, a Trash that cannot be listed, and ten processes of which eight are listed.
class ReportJsonTest : public ::testing::Test {
protected:
    void SetUp() override {
        sources.locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
        sources.locations.crashDir = tree.path("var/crash");
        sources.locations.dataDirs = {tree.path("usr/share")};
        sources.procRoot = proc.root();
        sources.sysRoot = tree.path("sys");
        // The real volume's free space moves while the suite runs; both reports must see one figure.
        sources.disk = [](const std::filesystem::path&) {
            return DiskInfo{"Fixture Disk", 500'107'862'016, 182'400'000'000};
        };
        for (int i = 0; i < 7; ++i)
            tree.file("home/.cache/tool" + std::to_string(i) + "/blob",
                      60'000 + 30'000 * static_cast<std::size_t>(i));
        tree.file("home/.cache/fontconfig/cache-9", 500'000);
        tree.file("home/.local/share/xorg/Xorg.0.log", 120'000);
        tree.text("home/.local/share/Trash/files", "a file where the folder should be");
        proc.memInfo(16 * 1024 * 1024, 6 * 1024 * 1024 + 123, 3 * 1024 * 1024);
        for (pid_t pid = 100; pid < 110; ++pid)
            proc.add(
                {.pid = pid, .name = "proc" + std::to_string(pid), .footprintKiB = 1000u * ((pid % 4) + 1)});
    }

    QJsonObject json() const {
        std::ostringstream out;
        Report::writeJson(out, sources);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        EXPECT_TRUE(document.isObject());
        return document.object();
    }

    std::vector<std::string> textLines() const {
        std::ostringstream out;
        Report::write(out, sources);
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    test::TempTree tree;
    test::ProcTree proc{tree};
    Report::Sources sources;
};

TEST_F(ReportJsonTest, CarriesTheTextReportsFiguresAsIntegers) {
    const QJsonObject report = json();
    const std::vector<std::string> lines = textLines();
    std::size_t at = 0;
    std::smatch m;

    // Disk.
    const QJsonObject disk = report["disk"].toObject();
    ASSERT_TRUE(std::regex_match(lines.at(at++), m, std::regex("Disk  (.+): (.+) free of (.+)")));
    EXPECT_EQ(m[1], str(disk["name"]));
    EXPECT_EQ(m[2], Bytes::disk(bytes(disk["available"])));
    EXPECT_EQ(m[3], Bytes::disk(bytes(disk["total"])));
    EXPECT_EQ(bytes(disk["total"]), 500'107'862'016);
    EXPECT_EQ(bytes(disk["used"]), bytes(disk["total"]) - bytes(disk["available"]));

    // Memory: every worded amount of the line is the JSON figure worded.
    const QJsonObject memory = report["memory"].toObject();
    ASSERT_TRUE(
        std::regex_match(lines.at(at++), m,
                         std::regex("RAM   (.+) used of (.+) · app (.+) · wired (.+) · compressed (.+) · "
                                    "cached (.+) · swap (.+) · pressure (.+)")));
    const char* keys[] = {"used", "total", "app", "wired", "compressed", "cached", "swapUsed"};
    for (std::size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(m[i + 1], Bytes::memory(static_cast<std::uint64_t>(bytes(memory[keys[i]])))) << keys[i];
    EXPECT_EQ(m[8], str(memory["pressure"]));
    EXPECT_EQ(bytes(memory["total"]), std::int64_t{16} << 30);
    EXPECT_EQ(bytes(memory["app"]), (std::int64_t{6} << 30) + 123 * 1024);

    // Junk: each kind's title line, then its first six items in the same order.
    const QJsonArray junk = report["junk"].toArray();
    ASSERT_EQ(junk.size(), 5);
    const std::regex heading("\\n?(.+): (.+) \\((.+) pre-selected\\)( — access denied)?");
    const std::regex itemLine("  (☑|☐) (.{10}) (.+)");
    for (const QJsonValue& value : junk) {
        const QJsonObject kind = value.toObject();
        ASSERT_EQ(lines.at(at++), "");
        ASSERT_TRUE(std::regex_match(lines.at(at++), m, heading)) << lines.at(at - 1);
        EXPECT_EQ(m[1], str(kind["title"]));
        EXPECT_EQ(m[2], Bytes::disk(bytes(kind["size"])));
        EXPECT_EQ(m[3], Bytes::disk(bytes(kind["selectedSize"])));
        EXPECT_EQ(m[4].matched, kind["accessDenied"].toBool());

        const QJsonArray items = kind["items"].toArray();
        std::int64_t total = 0;
        std::int64_t selected = 0;
        for (const QJsonValue& item : items) {
            total += bytes(item["size"]);
            if (item["selected"].toBool()) selected += bytes(item["size"]);
        }
        EXPECT_EQ(total, bytes(kind["size"]));
        EXPECT_EQ(selected, bytes(kind["selectedSize"]));

        const auto shown = std::min<qsizetype>(items.size(), 6);
        for (qsizetype i = 0; i < shown; ++i) {
            const QJsonObject item = items[i].toObject();
            ASSERT_TRUE(std::regex_match(lines.at(at++), m, itemLine)) << lines.at(at - 1);
            EXPECT_EQ(m[1] == "☑", item["selected"].toBool());
            EXPECT_EQ(trimmed(m[2]), Bytes::disk(bytes(item["size"])));
            EXPECT_EQ(m[3], str(item["name"]));
            EXPECT_FALSE(str(item["path"]).empty());
        }
    }
    // The JSON holds every item the text cuts off, and the fixture's states all showed up.
    EXPECT_EQ(junk[0]["items"].toArray().size(), 8);
    EXPECT_FALSE(junk[0]["items"][0]["selected"].toBool()); // the desktop cache, largest, unchecked
    EXPECT_EQ(junk[1]["items"].toArray().size(), 1);
    EXPECT_TRUE(junk[4]["accessDenied"].toBool());

    // Processes: the same eight, heaviest first.
    ASSERT_EQ(lines.at(at++), "");
    ASSERT_EQ(lines.at(at++), "Top processes");
    const QJsonArray processes = report["topProcesses"].toArray();
    ASSERT_EQ(processes.size(), 8);
    ASSERT_EQ(lines.size(), at + 8);
    for (const QJsonValue& value : processes) {
        const QJsonObject process = value.toObject();
        ASSERT_TRUE(std::regex_match(lines.at(at++), m, std::regex("  (.{10}) (.+)")));
        EXPECT_EQ(trimmed(m[1]), Bytes::memory(static_cast<std::uint64_t>(bytes(process["footprint"]))));
        EXPECT_EQ(m[2], str(process["name"]));
        EXPECT_EQ(str(process["name"]), "proc" + std::to_string(process["pid"].toInt()));
    }
    // The heaviest first: one of the processes of 4,000 KiB.
    EXPECT_EQ(processes[0]["pid"].toInt() % 4, 3);
    EXPECT_EQ(bytes(processes[0]["footprint"]), 4000 * 1024);
}

// Memory beyond the signed range is held at the top and survives the text form exactly, which a
// double would not; names are kept as they are, since JSON escapes them itself.
TEST(ReportJsonPieces, FiguresAreClampedAndNamesKeptAsTheyAre) {
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
