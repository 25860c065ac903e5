#pragma once

#include "core/junk/Locations.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The one gate every permanent deletion passes. It confines deletion to a fixed set of cache-like
// folders (the deletion roots), the temporary folder, and folders named "node_modules" strictly
// below the home folder.
//
// How a path is judged:
// - It must be absolute and non-empty. Empty components (doubled or trailing slashes) are dropped;
//   the item is the entry named by the last remaining component, never what that entry points to.
//   A last component of "." or ".." is refused: it names a folder by a relation, not by a name of
//   its own, and "~/.cache/.." must never pass as something below ~/.cache.
// - Only the parent is resolved, the way the kernel walks a path: a symbolic link is replaced by its
//   target before a following ".." applies, so "a/link/.." is the folder that holds link's target.
//   The item's own name is appended unresolved: a link that is itself the item is judged by where
//   it lies, and deleting it removes only the link.
// - A parent that does not exist in full is resolved as far as it exists; the missing rest is
//   appended as text. That rest may not contain "." or ".." (what they mean below a missing folder
//   cannot be known, and the kernel refuses such a path anyway), and its first component must not
//   exist at all: a dangling link, a link loop, an unreadable folder or a file standing where a
//   folder should be makes the path unresolvable, and an unresolvable path is refused.
// - The roots are resolved the same way, so a root that is itself a link still admits what lies
//   below its target, and an item reached through a link is judged by where it really is. A root
//   that resolves to "/", to the home folder or to one of its ancestors is dropped: it would admit
//   the whole home folder. A home folder that is relative or cannot be resolved (a link loop, a
//   file on the way) leaves no roots at all: nothing can be told safe without knowing where home is.
// - The test is a plain string prefix: resolved target starts with resolved root + "/". A root
//   itself never qualifies, nor a sibling whose name merely begins like a root.
//
// The guarantee: nothing that is not strictly below a root (or, for "node_modules", strictly below
// the home folder) is ever admitted, whatever the text of the path.
namespace brisklet::SafetyGuard {

bool canDelete(const std::filesystem::path& url, const Locations& locations);

// The home folder and the deletion roots of one set of locations, resolved. Judging many paths
// against one Roots value saves resolving the roots again for each of them.
struct Roots {
    std::string home;               // empty when the home folder cannot be resolved
    std::vector<std::string> paths; // in table order, the temporary folder last
    std::string trashFiles;         // freedesktop layout: $XDG_DATA_HOME/Trash/files, else empty
    std::string trashInfo;          // freedesktop layout: $XDG_DATA_HOME/Trash/info, else empty

    bool operator==(const Roots&) const = default;
};

Roots resolveRoots(const Locations& locations);

// Where an admitted item really is: its resolved parent folder and its own, unresolved name.
struct Target {
    std::string parent;
    std::string name;
    // The resolved root that admitted the item: removal must not leave its mount on the way down. Empty
    // for a node_modules folder, which may lie on any disk mounted below the home folder.
    std::string root;
    // False when part of the parent did not exist when the path was judged: then the item cannot
    // exist either.
    bool parentExists = false;

    std::string path() const;
    bool operator==(const Target&) const = default;
};

std::optional<Target> admit(const std::filesystem::path& url, const Roots& roots);
// The same for a path given as text, which spares building a path object: for callers that judge
// many paths at once.
std::optional<Target> admitText(std::string_view path, const Roots& roots);
bool canDelete(const std::filesystem::path& url, const Roots& roots);

} // namespace brisklet::SafetyGuard
