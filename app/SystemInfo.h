#pragma once

#include <filesystem>
#include <string>

namespace brisklet::SystemInfo {

// What the header of the window says about this machine. The fixed facts are read once, on first
// use, and kept; the greeting follows the clock.
const std::string& computerName();
const std::string& chip();
const std::string& osVersion();
std::string greeting();

// "Good morning" from 5 to 11 o'clock, "Good afternoon" from 12 to 16, "Good evening" otherwise.
std::string greetingForHour(int hour);

// Where the facts come from; tests point these at fixture files.
struct Sources {
    std::filesystem::path machineInfo = "/etc/machine-info";
    std::filesystem::path osRelease = "/etc/os-release";
    std::filesystem::path osReleaseFallback = "/usr/lib/os-release";
    std::filesystem::path cpuInfo = "/proc/cpuinfo";
    std::filesystem::path hostname = "/proc/sys/kernel/hostname";
    std::filesystem::path kernelRelease = "/proc/sys/kernel/osrelease";
};

// The name the user gave the machine, else its host name, else "Your computer".
std::string readComputerName(const Sources& sources);
// The processor's marketing name, else "Unknown processor".
std::string readChip(const Sources& sources);
// Distribution name and version ("Debian GNU/Linux 12"), else the kernel version ("Linux 6.1").
std::string readOsVersion(const Sources& sources);

} // namespace brisklet::SystemInfo
