#pragma once

#include <cstdint>
#include <string>

namespace brisklet::Bytes {

// The only two ways a byte amount is worded for the user. Disk amounts use decimal multiples
// (1 KB = 1000 bytes), memory amounts binary ones (1 KB = 1024 bytes); both read alike:
// "Zero KB", "1 byte", "512 bytes", "12 KB", "1.5 MB", "1.23 GB".
std::string disk(std::int64_t bytes);
std::string memory(std::uint64_t bytes);

} // namespace brisklet::Bytes
