#include "core/junk/JunkScanner.h"
#include "core/junk/TrashInfo.h"
#include "core/junk/TrashRule.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brisklet {
namespace {

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
        {"", std::nullopt},
        {"Path=/a/outside-any-group\n", std::nullopt},
        {"[Trash Info]\nPath=/a/folder/\n", std::nullopt},
        {"[Trash Info]\nPath=\n", std::nullopt},
    };
    for (const auto& [contents, name] : rows)
        EXPECT_EQ(TrashInfo::originalNameFromContents(contents), name) << contents;
}

TEST(TrashInfo, DecodesOnlyWellFormedPercentEscapes) {
    using TrashInfo::percentDecode;
    EXPECT_EQ(percentDecode("a%20b%2Fc%2fd%2a%2A"), "a b/c/d**");
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
    // Only the Mac Trash holds the Finder's bookkeeping, which is no trashed file.
    tree.build("home/.Trash/{.DS_Store,.secret,movie.mov}");
    EXPECT_EQ(names(trashCandidates(mac)), (std::vector<std::string>{".secret", "movie.mov"}));
}

} // namespace
} // namespace brisklet
