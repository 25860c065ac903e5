// /proc/PID/status, for the private memory of a process.

#include "core/proc/ProcessReader.h"

#include "FuzzCheck.h"

FUZZ_TEXT_HARNESS(text) {
    ProcessReader::parseFootprint(text);
    // Whatever comes before them, the last RssAnon and VmSwap lines decide, and their sum is exact.
    const std::uint64_t rssAnon = text.size() * 4 + 1;
    const std::uint64_t swap = text.size() % 7;
    const std::string status = std::string(text) + "\nRssAnon:\t" + std::to_string(rssAnon) +
                               " kB\nVmSwap:\t" + std::to_string(swap) + " kB\nThreads:\t1\n";
    FUZZ_CHECK(ProcessReader::parseFootprint(status) == (rssAnon + swap) * 1024);
}
