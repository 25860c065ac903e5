#include "core/junk/TrashRule.h"

#include "core/fs/DirectoryListing.h"
#include "core/fs/Utf8.h"
#include "core/junk/TrashInfo.h"

#include <cerrno>

namespace brisklet {

TrashCandidates trashCandidates(const Locations& locations) {
    TrashCandidates result;
    const std::filesystem::path folder = locations.trashFiles();
    // Hidden entries are trashed files like any other.
    const DirectoryListing listing = listDirectory(folder, HiddenEntries::include);
    if (listing.error != 0) {
        result.accessDenied = listing.error != ENOENT;
        return result;
    }
    const bool freedesktop = locations.layout == JunkLayout::freedesktop;
    const std::filesystem::path infoFolder = locations.dataHome / "Trash" / "info";
    for (const std::string& entry : listing.names) {
        if (!freedesktop && entry == ".DS_Store")
            continue; // Finder's own bookkeeping, not something the user threw away
        JunkScanner::Candidate candidate;
        candidate.url = folder / entry;
        std::optional<std::string> original;
        if (freedesktop) original = TrashInfo::originalName(infoFolder / (entry + ".trashinfo"));
        candidate.name = original ? *original : validUtf8(entry);
        candidate.recommended = true;
        result.candidates.push_back(std::move(candidate));
    }
    return result;
}

} // namespace brisklet
