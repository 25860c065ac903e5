#include "core/proc/ProcessReader.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace brisklet {
namespace {

// These tests only mean something when permissions are enforced.
struct UnprivilegedProcessReader : ::testing::Test {
    void SetUp() override { ASSERT_NE(::geteuid(), 0u) << "run through tests/run-unprivileged.sh"; }
};

void addProcess(test::TempTree& t, int pid) {
    const std::string dir = "proc/" + std::to_string(pid) + "/";
    t.text(dir + "stat", std::to_string(pid) + " (p" + std::to_string(pid) + ") S 1 1 1 0 -1\n");
    t.text(dir + "status", "Name:\tp\nRssAnon:\t  64 kB\nVmSwap:\t 0 kB\n");
    t.text(dir + "cmdline", std::string("p\0-x\0", 5));
    t.symlink(dir + "cwd", t.root());
}

TEST_F(UnprivilegedProcessReader, UnreadableProcessesAreLeftOutAndTheRestRemain) {
    test::TempTree t;
    for (const int pid : {10, 11, 12, 13})
        addProcess(t, pid);
    ASSERT_EQ(::chmod(t.path("proc/11/status").c_str(), 0), 0);
    ASSERT_EQ(::chmod(t.path("proc/12/stat").c_str(), 0), 0);
    ASSERT_EQ(::chmod(t.path("proc/13").c_str(), 0), 0);
    // An unreadable command line leaves the process itself readable.
    ASSERT_EQ(ProcessReader::arguments(10, t.path("proc")), (std::vector<std::string>{"p", "-x"}));
    ASSERT_EQ(::chmod(t.path("proc/10/cmdline").c_str(), 0), 0);
    EXPECT_TRUE(ProcessReader::arguments(10, t.path("proc")).empty());

    const auto samples = ProcessReader::sample(t.path("proc"));
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].pid, 10);
    EXPECT_FALSE(ProcessReader::read(13, t.path("proc")));
    EXPECT_TRUE(ProcessReader::arguments(13, t.path("proc")).empty());
    EXPECT_FALSE(ProcessReader::workingDirectory(13, t.path("proc")));

    ASSERT_EQ(::chmod(t.path("proc").c_str(), 0), 0);
    EXPECT_TRUE(ProcessReader::sample(t.path("proc")).empty());
    EXPECT_FALSE(ProcessReader::read(10, t.path("proc")));
}

} // namespace
} // namespace brisklet
