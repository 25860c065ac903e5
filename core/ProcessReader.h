#pragma once

#include "core/ProcessSample.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
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

// Asks the process to quit (SIGTERM). False when it could not be signalled. Identifiers below 1
// are refused outright: kill() would read them as a process group or as every process.
bool terminate(std::int32_t pid);

} // namespace brisklet::ProcessReader
