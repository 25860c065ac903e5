#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brisklet::TrashInfo {

// The original file name recorded in a freedesktop `.trashinfo` file: the last component of
// its `Path=` key, percent-decoded, as displayable UTF-8. Nothing when the file cannot be read,
// has no `Path=` in its `[Trash Info]` group, or the name comes out empty.
std::optional<std::string> originalName(const std::filesystem::path& infoFile);

// The same, from the file's contents.
std::optional<std::string> originalNameFromContents(std::string_view contents);

// Decodes every "%XX" with two hex digits; any other "%" (and "+") stays as it is.
std::string percentDecode(std::string_view text);

} // namespace brisklet::TrashInfo
