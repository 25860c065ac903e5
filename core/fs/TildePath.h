#pragma once

#include <filesystem>
#include <string>

namespace brisklet {

// A location as shown to the user: the home folder written as "~" ("~/Projects/app"), anything
// outside it unchanged. Only whole components match, so /home/ann2 is not under /home/ann.
// The result is displayable UTF-8 even when the path's bytes are not.
std::string tildePath(const std::filesystem::path& path, const std::filesystem::path& home);

} // namespace brisklet
