#include "core/fs/DiskInfo.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

// More available than the total (a quota, a racing read) never makes a negative use.
TEST(DiskInfo, DerivedFiguresStayInRange) {
    const struct {
        DiskInfo disk;
        std::int64_t used;
        double fraction;
    } rows[] = {{{"x", 0, 0}, 0, 0.0}, {{"x", 100, 250}, 0, 0.0}, {{"x", 1000, 250}, 750, 0.75}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.disk.used(), row.used) << row.disk.total;
        EXPECT_DOUBLE_EQ(row.disk.usedFraction(), row.fraction) << row.disk.total;
    }
    EXPECT_NE((DiskInfo{"x", 1000, 250}), (DiskInfo{"y", 1000, 250}));
}

// Each figure the system could not give falls back on its own; what the user may write wins over
// the plain available figure. A folder that does not exist reads as the default, a real one as its
// volume.
TEST(DiskInfo, FallsBackFigureByFigure) {
    using F = DiskInfo::Figures;
    const std::pair<std::optional<F>, DiskInfo> rows[] = {
        {std::nullopt, {"Local Disk", 0, 0}},
        {F{}, {"Local Disk", 0, 0}},
        {F{"", 500, std::nullopt, 300}, {"Local Disk", 500, 300}},
        {F{"Data", 500, 200, 300}, {"Data", 500, 200}},
    };
    for (const auto& [figures, disk] : rows)
        EXPECT_EQ(DiskInfo::fromFigures(figures), disk) << disk.name;
    EXPECT_EQ(DiskInfo::current("/nonexistent/brisklet/volume"), (DiskInfo{"Local Disk", 0, 0}));
    test::TempTree tree;
    const DiskInfo info = DiskInfo::current(tree.root());
    EXPECT_FALSE(info.name.empty());
    EXPECT_GT(info.total, 0);
    EXPECT_GE(info.available, 0);
    EXPECT_LE(info.available, info.total);
}

} // namespace
} // namespace brisklet
