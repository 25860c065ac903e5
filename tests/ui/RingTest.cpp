#include "ui/components/PercentRing.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using brisklet::ui::PercentRing;

namespace {

TEST(PercentRingText, RoundsToWholePercentWithHalvesAwayFromZero) {
    const std::vector<std::pair<double, QString>> cases = {
        {0.125, "13%"},   {0.124, "12%"}, {0, "0%"},      {1, "100%"},
        {-0.125, "-13%"}, {1.5, "150%"},  {0.0049, "0%"}, {std::numeric_limits<double>::quiet_NaN(), "0%"},
    };
    for (const auto& [fraction, text] : cases)
        EXPECT_EQ(PercentRing::percentText(fraction), text) << "fraction " << fraction;
}

} // namespace
