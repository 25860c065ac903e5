#pragma once

#include <cstdint>
#include <string>

namespace brisklet {

// One running process as the memory view lists it.
struct ProcessSample {
    std::int32_t pid = 0;
    std::int32_t parent = 0;
    std::string name;            // executable's file name, or the kernel's short name when that is unknown
    std::string path;            // executable's full path; empty when it cannot be read
    std::uint64_t footprint = 0; // bytes of private memory: resident anonymous pages plus swapped-out ones

    bool operator==(const ProcessSample&) const = default;
};

} // namespace brisklet
