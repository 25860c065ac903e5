#pragma once

#include "core/junk/Locations.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace brisklet::test {

// As root every folder is readable and none of these tests would test anything.
struct Unprivileged : ::testing::Test {
    void SetUp() override { ASSERT_NE(::geteuid(), 0u) << "run through tests/run-unprivileged.sh"; }

    void chmod(std::string_view relative, mode_t mode) {
        ASSERT_EQ(::chmod(tree.path(relative).c_str(), mode), 0) << relative;
    }

    TempTree tree;
    Locations locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
};

} // namespace brisklet::test
