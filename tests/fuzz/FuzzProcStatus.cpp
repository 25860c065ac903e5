// /proc/PID/status, for the private memory of a process.

#include "core/proc/ProcessReader.h"

#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace brisklet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ProcessReader::parseFootprint(text);
    // Whatever comes before them, the last RssAnon and VmSwap lines decide, and their sum is exact.
    const std::uint64_t rssAnon = size * 4 + 1;
    const std::uint64_t swap = size % 7;
    const std::string status = std::string(text) + "\nRssAnon:\t" + std::to_string(rssAnon) +
                               " kB\nVmSwap:\t" + std::to_string(swap) + " kB\nThreads:\t1\n";
    FUZZ_CHECK(ProcessReader::parseFootprint(status) == (rssAnon + swap) * 1024);
    return 0;
}
