#include "core/junk/Locations.h"

#include <gtest/gtest.h>

#include <map>

namespace brisklet {
namespace {

using Variables = std::map<std::string, std::string>;
using Paths = std::vector<std::filesystem::path>;

Locations::Environment environment(Variables values) {
    return [values = std::move(values)](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

// The XDG defaults below a home folder, with the temporary folder and the data folders given.
Locations defaults(const std::string& home, const char* temp = "/tmp",
                   Paths dataDirs = {"/usr/local/share", "/usr/share"}) {
    return {home,
            temp,
            home + "/.cache",
            home + "/.local/share",
            home + "/.local/state",
            std::move(dataDirs),
            "/var/crash",
            JunkLayout::freedesktop};
}

// Only absolute values count; an empty or relative one leaves the default.
TEST(Locations, TakesOnlyAbsoluteXdgValues) {
    Locations fast = defaults("/home/ann", "/var/tmp/ann", {"/opt/share", "/usr/share"});
    fast.cacheHome = "/fast/cache";
    const std::pair<Variables, Locations> rows[] = {
        {{{"HOME", "/home/ann"}}, defaults("/home/ann")},
        {{{"HOME", "/home/ann"},
          {"TMPDIR", "/var/tmp/ann"},
          {"XDG_CACHE_HOME", "/fast/cache"},
          {"XDG_DATA_HOME", "relative/share"},
          {"XDG_STATE_HOME", ""},
          {"XDG_DATA_DIRS", "rel:/opt/share::/usr/share:x"}},
         fast},
        // Data folders that are all relative leave none; an empty list is no list.
        {{{"HOME", "/h"}, {"XDG_DATA_DIRS", "a:b"}}, defaults("/h", "/tmp", {})},
        {{{"HOME", "/h"}, {"XDG_DATA_DIRS", ""}, {"TMPDIR", ""}}, defaults("/h")},
    };
    for (const auto& [variables, expected] : rows)
        EXPECT_EQ(Locations::fromEnvironment(environment(variables), JunkLayout::freedesktop), expected)
            << variables.begin()->second;
    EXPECT_EQ(defaults("/home/ann").trashFiles(), "/home/ann/.local/share/Trash/files");
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
