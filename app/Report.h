#pragma once

#include "core/fs/DiskInfo.h"
#include "core/junk/JunkItem.h"
#include "core/junk/Locations.h"
#include "core/proc/MemorySnapshot.h"
#include "core/proc/ProcessSample.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace brisklet::Report {

// Prints the plain-text report of disk, memory, junk and the heaviest processes to standard
// output, each line as soon as it is known.
void print();

// Where the report reads from; the real system unless a test says otherwise.
struct Sources {
    Locations locations = Locations::current();
    std::filesystem::path procRoot = "/proc";
    std::filesystem::path sysRoot = "/sys";
    // The volume's figures change under a running system; tests that compare two reports pin them.
    std::function<DiskInfo(const std::filesystem::path&)> disk = &DiskInfo::current;
};

void write(std::ostream& out, const Sources& sources);

// The report's pieces, one string per printed line.
std::string diskLine(const DiskInfo& disk);
std::string memoryLine(const MemorySnapshot& memory);
std::vector<std::string> junkLines(const JunkCategory& category);
std::vector<std::string> processLines(const std::vector<ProcessSample>& samples);

// The processes the report lists: the heaviest by footprint, ties in the reader's order.
std::vector<ProcessSample> topProcesses(const std::vector<ProcessSample>& samples);
// The amount a category's title line calls pre-selected.
std::int64_t preselectedSize(const JunkCategory& category);

} // namespace brisklet::Report
