#pragma once

#include "core/proc/ProcessSample.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet::ProcessReader {

// Every user-space process under the proc root, in the kernel's listing order. Processes that
// vanish or cannot be read while listing are left out; kernel threads are never included.
std::vector<ProcessSample> sample(const std::filesystem::path& procRoot = "/proc");

// One process; nothing when it does not exist (any more), is a kernel thread, or cannot be read.
std::optional<ProcessSample> read(std::int32_t pid, const std::filesystem::path& procRoot = "/proc");

// The command line as the process left it; empty when unreadable.
std::vector<std::string> arguments(std::int32_t pid, const std::filesystem::path& procRoot = "/proc");

std::optional<std::string> workingDirectory(std::int32_t pid,
                                            const std::filesystem::path& procRoot = "/proc");

// The parsing of the per-process files, apart from reading them. A process chooses its own name
// and command line, so these texts may hold anything.

struct StatFields {
    std::string_view name; // raw bytes, within the text given to parseStat
    std::int32_t parent = 0;
};

// "pid (name) state ppid …". The name is whatever the process called itself, parentheses and
// spaces included, so it runs from the first "(" to the last ")".
std::optional<StatFields> parseStat(std::string_view stat);

// Private memory of the process from its status: resident anonymous pages plus what was swapped
// out. Nothing when there is no RssAnon line, which is how kernel threads and zombies look.
std::optional<std::uint64_t> parseFootprint(std::string_view status);

// The arguments of a cmdline, as displayable UTF-8. Arguments end in NUL; a process that rewrote
// its command line may leave the last one open.
std::vector<std::string> splitArguments(std::string_view cmdline);

// Asks the process to quit (SIGTERM). False when it could not be signalled. Identifiers below 1
// are refused outright: kill() would read them as a process group or as every process.
bool terminate(std::int32_t pid);

} // namespace brisklet::ProcessReader
