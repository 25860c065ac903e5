#include "core/junk/JunkScanner.h"
#include "core/junk/TrashInfo.h"
#include "core/junk/TrashRule.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

TEST(TrashInfo, ReadsTheOriginalNameOrNothing) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"[Trash Info]\nPath=/home/a/Report%202024.pdf\nDeletionDate=2026-01-01T10:00:00\n",
         "Report 2024.pdf"},
        {"[Trash Info]\r\nPath=/home/a/x.txt\r\n", "x.txt"},
        {"[Trash Info]\nPath=plain\n", "plain"},
        // Only the first Path= of the [Trash Info] group counts.
        {"[Other]\nPath=/a/wrong\n[Trash Info]\nPath=/a/right\nPath=/a/later\n", "right"},
        {"[Trash Info]\nPath=/a/first\n[Other]\nPath=/a/wrong\n", "first"},
        // An escaped slash is part of the name; bad bytes show as replacement characters.
        {"[Trash Info]\nPath=/a/x%2Fy\n", "y"},
        {"[Trash Info]\nPath=/a/caf%E9\n", "caf\xEF\xBF\xBD"},
        {"[Trash Info]\nPath=/a/caf%C3%A9\n", "caf\xC3\xA9"},
        {"", std::nullopt},
        {"Path=/a/outside-any-group\n", std::nullopt},
        {"[Trash Info]\nDeletionDate=2026-01-01T10:00:00\n", std::nullopt},
        {"[Trash Info]\nPath=/a/folder/\n", std::nullopt},
        {"[Trash Info]\nPath=\n", std::nullopt},
    };
    for (const auto& [contents, name] : rows)
        EXPECT_EQ(TrashInfo::originalNameFromContents(contents), name) << contents;
}

TEST(TrashInfo, DecodesOnlyWellFormedPercentEscapes) {
    using TrashInfo::percentDecode;
    EXPECT_EQ(percentDecode("a%20b%2Fc%2fd"), "a b/c/d");
    EXPECT_EQ(percentDecode("100%"), "100%");
    EXPECT_EQ(percentDecode("%zz%2"), "%zz%2");
    EXPECT_EQ(percentDecode("a+b"), "a+b");
    EXPECT_EQ(percentDecode("%%41"), "%A");
}

struct TrashFixture : ::testing::Test {
    test::TempTree tree;
    Locations freedesktop = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    Locations mac = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::macOS);

    std::vector<std::string> names(const TrashCandidates& trash) {
        std::vector<std::string> out;
        for (const auto& c : trash.candidates)
            out.push_back(c.name);
        std::sort(out.begin(), out.end());
        return out;
    }
};

// A missing Trash (a dangling link too) is an empty one; one that is no folder is denied.
TEST_F(TrashFixture, OnlyATrashThatIsNoFolderIsDenied) {
    for (const Locations& l : {freedesktop, mac}) {
        EXPECT_TRUE(trashCandidates(l).candidates.empty());
        EXPECT_FALSE(trashCandidates(l).accessDenied);
    }
    tree.symlink("home/.local/share/Trash/files", tree.path("nowhere"));
    EXPECT_FALSE(trashCandidates(freedesktop).accessDenied);
    fs::remove(tree.path("home/.local/share/Trash/files"));
    tree.text("home/.local/share/Trash/files", "not a folder");
    EXPECT_TRUE(trashCandidates(freedesktop).accessDenied);
    tree.symlink("home/.Trash", tree.path("home/.Trash")); // a link loop
    EXPECT_TRUE(trashCandidates(mac).accessDenied);
}

TEST_F(TrashFixture, FreedesktopEntriesAreNamedFromTheirTrashInfo) {
    // .DS_Store is a real trashed file on Linux.
    tree.build(R"(
        home/.local/share/Trash/files/{report.2.pdf,no-info,.hidden,.DS_Store,folder/,bad)"
               "\xFF"
               R"(name}
        home/.local/share/Trash/info/report.2.pdf.trashinfo = [Trash Info]\nPath=/home/a/Documents/report.pdf\n
        home/.local/share/Trash/info/folder.trashinfo = garbage without a group)");

    const TrashCandidates trash = trashCandidates(freedesktop);
    EXPECT_FALSE(trash.accessDenied);
    EXPECT_EQ(names(trash), (std::vector<std::string>{".DS_Store", ".hidden", "bad\xEF\xBF\xBDname", "folder",
                                                      "no-info", "report.pdf"}));
    for (const auto& c : trash.candidates) {
        EXPECT_TRUE(c.recommended);
        EXPECT_EQ(c.note, std::nullopt);
        EXPECT_EQ(c.appURL, std::nullopt);
        EXPECT_EQ(c.url.parent_path(), freedesktop.trashFiles());
    }
}

TEST_F(TrashFixture, TheMacTrashSkipsFindersBookkeepingOnly) {
    tree.build("home/.Trash/{.DS_Store,.secret,movie.mov}");
    const TrashCandidates trash = trashCandidates(mac);
    EXPECT_EQ(names(trash), (std::vector<std::string>{".secret", "movie.mov"}));
}

} // namespace
} // namespace brisklet
