#include "core/fs/DiskInfo.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

TEST(DiskInfo, DerivedFiguresStayInRange) {
    EXPECT_EQ((DiskInfo{"x", 0, 0}.usedFraction()), 0.0);
    EXPECT_EQ((DiskInfo{"x", 100, 250}.used()), 0);
    EXPECT_EQ((DiskInfo{"x", 100, 250}.usedFraction()), 0.0);
    EXPECT_EQ((DiskInfo{"x", 1000, 250}.used()), 750);
    EXPECT_DOUBLE_EQ((DiskInfo{"x", 1000, 250}.usedFraction()), 0.75);
    EXPECT_NE((DiskInfo{"x", 1000, 250}), (DiskInfo{"y", 1000, 250}));
}

TEST(DiskInfo, FallsBackFigureByFigure) {
    EXPECT_EQ(DiskInfo::fromFigures(std::nullopt), (DiskInfo{"Local Disk", 0, 0}));

    DiskInfo::Figures figures;
    EXPECT_EQ(DiskInfo::fromFigures(figures), (DiskInfo{"Local Disk", 0, 0}));

    figures.name = "";
    figures.total = 500;
    figures.plainAvailable = 300;
    EXPECT_EQ(DiskInfo::fromFigures(figures), (DiskInfo{"Local Disk", 500, 300}));

    figures.name = "Data";
    figures.userAvailable = 200; // what the user may write wins over the plain figure
    EXPECT_EQ(DiskInfo::fromFigures(figures), (DiskInfo{"Data", 500, 200}));
}

TEST(DiskInfo, ReadsTheVolumeOfARealFolder) {
    test::TempTree tree;
    const DiskInfo info = DiskInfo::current(tree.root());
    EXPECT_FALSE(info.name.empty());
    EXPECT_GT(info.total, 0);
    EXPECT_GE(info.available, 0);
    EXPECT_LE(info.available, info.total);
}

TEST(DiskInfo, AFolderThatDoesNotExistReadsAsTheDefault) {
    EXPECT_EQ(DiskInfo::current("/nonexistent/brisklet/volume"), (DiskInfo{"Local Disk", 0, 0}));
}

} // namespace
} // namespace brisklet
