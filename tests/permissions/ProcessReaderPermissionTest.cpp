#include "core/proc/ProcessReader.h"

#include "Unprivileged.h"

namespace brisklet {
namespace {

using UnprivilegedProcessReader = test::Unprivileged;

TEST_F(UnprivilegedProcessReader, UnreadableProcessesAreLeftOutAndTheRestRemain) {
    for (const std::string pid : {"10", "11", "12", "13"})
        tree.build("proc/" + pid + "/stat = " + pid + " (p" + pid + ") S 1 1 1 0 -1\\n\nproc/" + pid +
                   "/status = Name:\\tp\\nRssAnon:\\t  64 kB\\nVmSwap:\\t 0 kB\\n\nproc/" + pid +
                   "/cwd -> @");
    for (const char* pid : {"10", "13"})
        tree.text(std::string("proc/") + pid + "/cmdline", std::string("p\0-x\0", 5));
    const auto proc = tree.path("proc");
    chmod("proc/11/status", 0);
    chmod("proc/12/stat", 0);
    chmod("proc/13", 0);
    // An unreadable command line leaves the process itself readable.
    ASSERT_EQ(ProcessReader::arguments(10, proc), (std::vector<std::string>{"p", "-x"}));
    chmod("proc/10/cmdline", 0);
    EXPECT_TRUE(ProcessReader::arguments(10, proc).empty());

    const auto samples = ProcessReader::sample(proc);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].pid, 10);
    EXPECT_FALSE(ProcessReader::read(13, proc));
    EXPECT_TRUE(ProcessReader::arguments(13, proc).empty());
    EXPECT_FALSE(ProcessReader::workingDirectory(13, proc));

    chmod("proc", 0);
    EXPECT_TRUE(ProcessReader::sample(proc).empty());
    EXPECT_FALSE(ProcessReader::read(10, proc));
}

} // namespace
} // namespace brisklet
