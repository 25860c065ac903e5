#include "app/SystemInfo.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <optional>
#include <string>

namespace brisklet {
namespace {

using test::TempTree;

// Sources pointing into a fixture tree; only the files a case writes exist.
SystemInfo::Sources fixtureSources(const TempTree& t) {
    SystemInfo::Sources s;
    s.machineInfo = t.path("etc/machine-info");
    s.osRelease = t.path("etc/os-release");
    s.osReleaseFallback = t.path("usr/lib/os-release");
    s.cpuInfo = t.path("proc/cpuinfo");
    s.hostname = t.path("proc/sys/kernel/hostname");
    s.kernelRelease = t.path("proc/sys/kernel/osrelease");
    return s;
}

TEST(SystemInfo, GreetingFollowsTheHour) {
    struct Row {
        int hour;
        const char* greeting;
    };
    const Row rows[] = {
        {0, "Good evening"},    {4, "Good evening"},    {5, "Good morning"},  {11, "Good morning"},
        {12, "Good afternoon"}, {16, "Good afternoon"}, {17, "Good evening"}, {23, "Good evening"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SystemInfo::greetingForHour(row.hour), row.greeting) << row.hour;
    const std::string now = SystemInfo::greeting();
    EXPECT_TRUE(now == "Good morning" || now == "Good afternoon" || now == "Good evening") << now;
}

TEST(SystemInfo, ComputerNamePrefersThePrettyName) {
    struct Row {
        const char* what;
        std::optional<std::string> machineInfo;
        std::optional<std::string> hostname;
        const char* expected;
    };
    const Row rows[] = {
        {"double quoted", "PRETTY_HOSTNAME=\"Ada's Laptop\"\n", "ada-laptop", "Ada's Laptop"},
        {"single quoted", "PRETTY_HOSTNAME='Lab \"B\" \\n'\n", "lab", "Lab \"B\" \\n"},
        {"unquoted", "PRETTY_HOSTNAME=Workstation", "ws", "Workstation"},
        {"unquoted with blanks", "PRETTY_HOSTNAME=Family PC   \n", "pc", "Family PC"},
        {"escapes in double quotes", "PRETTY_HOSTNAME=\"Say \\\"hi\\\" \\\\ \\$5 \\q\"\n", "h",
         "Say \"hi\" \\ $5 \\q"},
        {"joined quoted parts", "PRETTY_HOSTNAME=\"Ada\"\\''s'\\ Box\n", "h", "Ada's Box"},
        {"among other keys and comments",
         "# set by hostnamectl\nICON_NAME=computer-laptop\n  PRETTY_HOSTNAME=\"Desk\"\nCHASSIS=desktop\n",
         "h", "Desk"},
        {"last assignment wins", "PRETTY_HOSTNAME=Old\nPRETTY_HOSTNAME=New\n", "h", "New"},
        {"invalid UTF-8", "PRETTY_HOSTNAME=\"Caf\xe9\"\n", "h", "Caf\xef\xbf\xbd"},
        {"empty pretty name", "PRETTY_HOSTNAME=\n", "debian-box\n", "debian-box"},
        {"blank pretty name", "PRETTY_HOSTNAME=\"   \"\n", "debian-box", "debian-box"},
        {"only a similar key", "XPRETTY_HOSTNAME=Nope\n#PRETTY_HOSTNAME=Nope\n", "debian-box", "debian-box"},
        {"no machine-info", std::nullopt, "  debian-box  \n", "debian-box"},
        {"empty host name", std::nullopt, "\n", "Your computer"},
        {"kernel's placeholder", std::nullopt, "(none)\n", "Your computer"},
        {"invalid UTF-8 host name", std::nullopt, "h\xffst\n", "h\xef\xbf\xbdst"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        if (row.machineInfo) t.text("etc/machine-info", *row.machineInfo);
        if (row.hostname) t.text("proc/sys/kernel/hostname", *row.hostname);
        EXPECT_EQ(SystemInfo::readComputerName(fixtureSources(t)), row.expected);
    }
}

TEST(SystemInfo, ComputerNameAsksTheSystemWithoutAHostnameFile) {
    TempTree t;
    std::array<char, 256> host{};
    ASSERT_EQ(::gethostname(host.data(), host.size() - 1), 0);
    const std::string expected = host[0] == '\0' ? "Your computer" : host.data();
    EXPECT_EQ(SystemInfo::readComputerName(fixtureSources(t)), expected);
}

TEST(SystemInfo, ChipIsTheFirstModelName) {
    struct Row {
        const char* what;
        std::optional<std::string> cpuinfo;
        const char* expected;
    };
    const Row rows[] = {
        {"several processors",
         "processor\t: 0\nvendor_id\t: AuthenticAMD\nmodel\t\t: 80\n"
         "model name\t: AMD Ryzen 7 5800U with Radeon Graphics\nstepping\t: 0\n\n"
         "processor\t: 1\nmodel name\t: Something Else\n",
         "AMD Ryzen 7 5800U with Radeon Graphics"},
        {"padded", "model name\t:   Intel(R) Xeon(R) CPU           E5-2680 v4 @ 2.40GHz   \n",
         "Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz"},
        {"first one empty", "model name\t:\nmodel name\t: Real Name\n", "Real Name"},
        {"no model name (ARM)",
         "processor\t: 0\nBogoMIPS\t: 108.00\nCPU implementer\t: 0x41\nModel\t: Raspberry Pi\n",
         "Unknown processor"},
        {"model is not model name", "model\t\t: 80\n", "Unknown processor"},
        {"invalid UTF-8", "model name\t: Chip\xff\n", "Chip\xef\xbf\xbd"},
        {"empty file", "", "Unknown processor"},
        {"missing", std::nullopt, "Unknown processor"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        if (row.cpuinfo) t.text("proc/cpuinfo", *row.cpuinfo);
        EXPECT_EQ(SystemInfo::readChip(fixtureSources(t)), row.expected);
    }
}

TEST(SystemInfo, OsVersionFromOsReleaseElseTheKernel) {
    struct Row {
        const char* what;
        std::optional<std::string> etc, usrLib, kernel;
        const char* expected;
    };
    constexpr const char* kDebian =
        "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"
        "VERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\nID=debian\n";
    const std::optional<std::string> none;
    const Row rows[] = {
        {"quoted", kDebian, none, "6.1.0-18-amd64\n", "Debian GNU/Linux 12"},
        {"unquoted version", "NAME=\"Fedora Linux\"\nVERSION_ID=39\n", none, none, "Fedora Linux 39"},
        {"single quotes", "NAME='openSUSE Leap'\nVERSION_ID='15.5'\n", none, none, "openSUSE Leap 15.5"},
        {"rolling release without version", "NAME=\"Arch Linux\"\nID=arch\nBUILD_ID=rolling\n", none, none,
         "Arch Linux"},
        {"only in /usr/lib", none, "NAME=\"Ubuntu\"\nVERSION_ID=\"24.04\"\n", none, "Ubuntu 24.04"},
        {"/etc wins over /usr/lib", kDebian, "NAME=Other\nVERSION_ID=1\n", none, "Debian GNU/Linux 12"},
        {"no name: the kernel", "VERSION_ID=3\n", none, "6.1.0-18-amd64\n", "Linux 6.1"},
        {"no os-release", none, none, "6.1.0-18-amd64\n", "Linux 6.1"},
        {"kernel without suffix", none, none, "5.15", "Linux 5.15"},
        {"kernel with only a major number", none, none, "6\n", "Linux 6"},
        {"kernel with an odd minor", none, none, "6.x-custom\n", "Linux 6"},
        {"kernel release candidate", none, none, "6.9-rc3", "Linux 6.9"},
        {"kernel with three parts", none, none, "10.20.30", "Linux 10.20"},
        {"kernel string without numbers", none, none, "custom-build\n", "Linux"},
        {"empty kernel string", none, none, "", "Linux"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        if (row.etc) t.text("etc/os-release", *row.etc);
        if (row.usrLib) t.text("usr/lib/os-release", *row.usrLib);
        if (row.kernel) t.text("proc/sys/kernel/osrelease", *row.kernel);
        EXPECT_EQ(SystemInfo::readOsVersion(fixtureSources(t)), row.expected);
    }
}

TEST(SystemInfo, FixedFactsAreReadOnceAndKept) {
    EXPECT_EQ(&SystemInfo::computerName(), &SystemInfo::computerName());
    EXPECT_EQ(&SystemInfo::chip(), &SystemInfo::chip());
    EXPECT_EQ(&SystemInfo::osVersion(), &SystemInfo::osVersion());
    EXPECT_FALSE(SystemInfo::computerName().empty());
    EXPECT_FALSE(SystemInfo::chip().empty());
    EXPECT_FALSE(SystemInfo::osVersion().empty());
}

} // namespace
} // namespace brisklet
