#include "core/fs/DiskInfo.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

TEST(DiskInfo, FiguresStayInRangeAndFallBackOneByOne) {
    EXPECT_EQ((DiskInfo{"x", 0, 0}.usedFraction()), 0.0);
    EXPECT_EQ((DiskInfo{"x", 100, 250}.used()), 0); // more free than the disk holds reads as empty
    EXPECT_DOUBLE_EQ((DiskInfo{"x", 1000, 250}.usedFraction()), 0.75);

    EXPECT_EQ(DiskInfo::fromFigures(std::nullopt), (DiskInfo{"Local Disk", 0, 0}));
    DiskInfo::Figures figures{.name = "", .total = 500, .userAvailable = {}, .plainAvailable = 300};
    EXPECT_EQ(DiskInfo::fromFigures(figures), (DiskInfo{"Local Disk", 500, 300}));
    figures.name = "Data";
    figures.userAvailable = 200; // what the user may write wins over the plain figure
    EXPECT_EQ(DiskInfo::fromFigures(figures), (DiskInfo{"Data", 500, 200}));
    EXPECT_EQ(DiskInfo::current("/nonexistent/brisklet/volume"), (DiskInfo{"Local Disk", 0, 0}));
}

} // namespace
} // namespace brisklet
