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
