#include "app/SystemInfo.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

using test::TempTree;

// Sources in the same places below a fixture tree; only the files a case writes exist.
SystemInfo::Sources fixtureSources(const TempTree& t) {
    SystemInfo::Sources s;
    for (std::filesystem::path* path :
         {&s.machineInfo, &s.osRelease, &s.osReleaseFallback, &s.cpuInfo, &s.hostname, &s.kernelRelease})
        *path = t.root() / path->relative_path();
    return s;
}

TEST(SystemInfo, GreetingFollowsTheHour) {
    const std::pair<int, const char*> rows[] = {
        {4, "Good evening"},    {5, "Good morning"},    {11, "Good morning"},
        {12, "Good afternoon"}, {16, "Good afternoon"}, {17, "Good evening"},
    };
    for (const auto& [hour, greeting] : rows)
        EXPECT_EQ(SystemInfo::greetingForHour(hour), greeting) << hour;
}

// The pretty name, unquoted the way a shell would, else the host name, else a fixed phrase.
TEST(SystemInfo, ComputerNamePrefersThePrettyName) {
    const std::optional<std::string> none;
    const std::tuple<std::optional<std::string>, std::optional<std::string>, const char*> rows[] = {
        {"PRETTY_HOSTNAME=\"Ada's Laptop\"\n", "h", "Ada's Laptop"},
        {"PRETTY_HOSTNAME='Lab \"B\" \\n'\n", "h", "Lab \"B\" \\n"},
        {"PRETTY_HOSTNAME=Family PC   \n", "h", "Family PC"},
        {"PRETTY_HOSTNAME=\"Say \\\"hi\\\" \\\\ \\$5 \\q\"\n", "h", "Say \"hi\" \\ $5 \\q"},
        {"# set by hostnamectl\nICON_NAME=computer-laptop\n  PRETTY_HOSTNAME=\"Desk\"\nCHASSIS=desktop", "h",
         "Desk"},
        {"PRETTY_HOSTNAME=Old\nPRETTY_HOSTNAME=New\n", "h", "New"},
        {"PRETTY_HOSTNAME=\"   \"\n", "debian-box", "debian-box"},
        {"XPRETTY_HOSTNAME=Nope\n#PRETTY_HOSTNAME=Nope\n", "debian-box", "debian-box"},
        {none, "  debian-box  \n", "debian-box"},
        {none, "\n", "Your computer"},
        {none, "(none)\n", "Your computer"},
        {none, "h\xffst\n", "h\xef\xbf\xbdst"},
    };
    for (const auto& [machineInfo, hostname, expected] : rows) {
        TempTree t;
        if (machineInfo) t.text("etc/machine-info", *machineInfo);
        if (hostname) t.text("proc/sys/kernel/hostname", *hostname);
        EXPECT_EQ(SystemInfo::readComputerName(fixtureSources(t)), expected)
            << machineInfo.value_or("(none)");
    }
}

TEST(SystemInfo, ChipIsTheFirstModelName) {
    const std::pair<std::optional<std::string>, const char*> rows[] = {
        {"processor\t: 0\nvendor_id\t: AuthenticAMD\nmodel\t\t: 80\n"
         "model name\t: AMD Ryzen 7 5800U with Radeon Graphics\nstepping\t: 0\n\n"
         "processor\t: 1\nmodel name\t: Something Else\n",
         "AMD Ryzen 7 5800U with Radeon Graphics"},
        {"model name\t:   Intel(R) Xeon(R) CPU           E5-2680 v4 @ 2.40GHz   \n",
         "Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz"},
        {"model name\t:\nmodel name\t: Real Name\n", "Real Name"},
        // ARM: neither "model" nor "Model" is the model name.
        {"processor\t: 0\nmodel\t\t: 80\nModel\t: Raspberry Pi\n", "Unknown processor"},
    };
    for (const auto& [cpuinfo, expected] : rows) {
        TempTree t;
        if (cpuinfo) t.text("proc/cpuinfo", *cpuinfo);
        EXPECT_EQ(SystemInfo::readChip(fixtureSources(t)), expected) << cpuinfo.value_or("(missing)");
    }
}

// Quoting is read the same way as in machine-info, so these rows are about which file and which keys.
TEST(SystemInfo, OsVersionFromOsReleaseElseTheKernel) {
    constexpr const char* kDebian =
        "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"
        "VERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\nID=debian\n";
    const std::optional<std::string> none;
    using Text = std::optional<std::string>;
    const std::tuple<Text, Text, Text, const char*> rows[] = {
        {kDebian, none, "6.1.0-18-amd64\n", "Debian GNU/Linux 12"},
        {"NAME=\"Arch Linux\"\nID=arch\n", none, none, "Arch Linux"}, // rolling, no version
        {none, "NAME=\"Ubuntu\"\nVERSION_ID=\"24.04\"\n", none, "Ubuntu 24.04"},
        {kDebian, "NAME=Other\nVERSION_ID=1\n", none, "Debian GNU/Linux 12"},
        {"VERSION_ID=3\n", none, "6.1.0-18-amd64\n", "Linux 6.1"}, // no name: the kernel
        {none, none, "6\n", "Linux 6"},
        {none, none, "6.x-custom\n", "Linux 6"},
        {none, none, "10.20.30", "Linux 10.20"},
        {none, none, "custom-build\n", "Linux"},
        {none, none, "", "Linux"},
    };
    for (const auto& [etc, usrLib, kernel, expected] : rows) {
        TempTree t;
        if (etc) t.text("etc/os-release", *etc);
        if (usrLib) t.text("usr/lib/os-release", *usrLib);
        if (kernel) t.text("proc/sys/kernel/osrelease", *kernel);
        EXPECT_EQ(SystemInfo::readOsVersion(fixtureSources(t)), expected) << expected;
    }
}

} // namespace
} // namespace brisklet
