#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brisklet {

// The contents of a small regular file (a desktop entry, a .trashinfo), at most `maxSize` bytes of
// it. Nothing for anything that is not a regular file: a fifo or a device named like a config
// file must never block or flood the reader.
std::optional<std::string> readSmallFile(const std::filesystem::path& file, std::size_t maxSize);

// A line of a key file without the spaces, tabs and carriage return around it.
std::string_view trimmedLine(std::string_view line);

} // namespace brisklet
