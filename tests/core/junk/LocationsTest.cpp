#include "core/junk/Locations.h"

#include <gtest/gtest.h>

#include <map>

namespace brisklet {
namespace {

Locations::Environment environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

TEST(Locations, UsesTheXdgDefaultsBelowHome) {
    const Locations l =
        Locations::fromEnvironment(environment({{"HOME", "/home/ann"}}), JunkLayout::freedesktop);
    EXPECT_EQ(l.home, "/home/ann");
    EXPECT_EQ(l.tempDir, "/tmp");
    EXPECT_EQ(l.cacheHome, "/home/ann/.cache");
    EXPECT_EQ(l.dataHome, "/home/ann/.local/share");
    EXPECT_EQ(l.stateHome, "/home/ann/.local/state");
    EXPECT_EQ(l.dataDirs, (std::vector<std::filesystem::path>{"/usr/local/share", "/usr/share"}));
    EXPECT_EQ(l.trashFiles(), "/home/ann/.local/share/Trash/files");
    EXPECT_EQ(l.layout, JunkLayout::freedesktop);
}

TEST(Locations, TakesOnlyAbsoluteXdgValues) {
    const Locations l =
        Locations::fromEnvironment(environment({{"HOME", "/home/ann"},
                                                {"TMPDIR", "/var/tmp/ann"},
                                                {"XDG_CACHE_HOME", "/fast/cache"},
                                                {"XDG_DATA_HOME", "relative/share"},
                                                {"XDG_STATE_HOME", ""},
                                                {"XDG_DATA_DIRS", "rel:/opt/share::/usr/share:x"}}));
    EXPECT_EQ(l.tempDir, "/var/tmp/ann");
    EXPECT_EQ(l.cacheHome, "/fast/cache");
    EXPECT_EQ(l.dataHome, "/home/ann/.local/share");
    EXPECT_EQ(l.stateHome, "/home/ann/.local/state");
    EXPECT_EQ(l.dataDirs, (std::vector<std::filesystem::path>{"/opt/share", "/usr/share"}));
}

TEST(Locations, DataDirsWithNothingAbsoluteLeaveNoDataFolders) {
    const Locations l = Locations::fromEnvironment(environment({{"HOME", "/h"}, {"XDG_DATA_DIRS", "a:b"}}));
    EXPECT_TRUE(l.dataDirs.empty());
    const Locations empty = Locations::fromEnvironment(environment({{"HOME", "/h"}, {"XDG_DATA_DIRS", ""}}));
    EXPECT_EQ(empty.dataDirs, (std::vector<std::filesystem::path>{"/usr/local/share", "/usr/share"}));
    const Locations noTmp = Locations::fromEnvironment(environment({{"HOME", "/h"}, {"TMPDIR", ""}}));
    EXPECT_EQ(noTmp.tempDir, "/tmp");
}

TEST(Locations, WithoutAnAbsoluteHomeAsksTheUserDatabase) {
    const Locations unset = Locations::fromEnvironment(environment({}));
    EXPECT_FALSE(unset.home.empty());
    EXPECT_TRUE(unset.home.is_absolute());
    // A relative $HOME would make every folder depend on the working folder.
    const Locations relative = Locations::fromEnvironment(environment({{"HOME", "ann"}}));
    EXPECT_EQ(relative.home, unset.home);
    EXPECT_EQ(relative.cacheHome, unset.home / ".cache");
}

} // namespace
} // namespace brisklet
