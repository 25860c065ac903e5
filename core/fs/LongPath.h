#pragma once

#include <string>
#include <string_view>

namespace brisklet {

// Opens (O_PATH) the folder that holds the last component of `path`, a path too long for one
// system call, a piece at a time. Each piece is resolved as the kernel resolves that part of a
// whole path (links in it are followed, ".." goes to the physical parent), so what a long path
// reaches is what a short one naming the same place would. The last component, left in `last` for
// the caller to open or stat as it needs (following a link or not), is never resolved here.
// Returns -1 when some folder on the way cannot be opened, or a single name is too long.
int openParentOfLongPath(std::string_view path, std::string& last);

} // namespace brisklet
