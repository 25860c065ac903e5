#include "core/fs/DirectoryListing.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>

namespace brisklet {

DirectoryListing listDirectory(const std::filesystem::path& folder, HiddenEntries hidden) {
    DirectoryListing listing;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        listing.error = errno != 0 ? errno : EIO;
        return listing;
    }
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break; // the end, or a read error part-way: keep what was listed
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (hidden == HiddenEntries::skip && name[0] == '.') continue;
        listing.names.emplace_back(name);
    }
    ::closedir(dir);
    return listing;
}

} // namespace brisklet
