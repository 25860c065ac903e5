#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace brisklet {

// Empties freedesktop Trash folders ourselves, with no child process: the entries of files/, each
// followed by its info/NAME.trashinfo, then orphaned .trashinfo files, the leftovers in expunged/
// and the directorysizes cache. Every entry goes through the same guarded removal walk as the
// cleaner's: links are never followed, nothing on another mount is touched (an entry that is a mount
// point stays whole), a folder moved out of the Trash meanwhile is left alone, and an error leaves
// that item behind while the work goes on with the next one.
namespace TrashEmptier {

struct Result {
    int notRemoved = 0; // items left behind: a files/ entry (with its info), an orphan, a leftover
    int firstError = 0; // errno of the first failure, 0 when there was none

    bool operator==(const Result&) const = default;
    Result& operator+=(const Result& other);
};

// One Trash folder (the folder holding files/ and info/). A missing folder is an empty Trash;
// a link in its place, or one that cannot be opened, counts as one item left behind.
Result emptyFolder(const std::filesystem::path& trash);

// The user's Trash on each volume: $top/.Trash/$uid when $top/.Trash is a real, sticky folder
// and $top/.Trash/$uid a real folder owned by `uid`; $top/.Trash-$uid when it is a real folder
// owned by `uid`. Anything else on a volume is not this user's Trash and is left alone.
Result emptyVolumeTrashes(const std::vector<std::filesystem::path>& mountPoints, uid_t uid);

// "N items couldn't be removed." then the first error's text as a sentence of its own, e.g.
// "2 items couldn't be removed. Permission denied." ("1 item" for one).
std::string failureMessage(const Result& result);

} // namespace TrashEmptier
} // namespace brisklet
