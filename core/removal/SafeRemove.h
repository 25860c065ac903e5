#pragma once

#include <functional>
#include <string>

// Removal that cannot be led astray by links or mounts, whatever happens in the tree while it runs.
// It works from folder descriptors: the parent is opened one component at a time without following
// links, every folder below is opened relative to its parent's descriptor with O_NOFOLLOW |
// O_DIRECTORY, and every entry is removed by name relative to the descriptor of the folder that
// holds it. A folder swapped for a link on the way can therefore never be entered: the open fails
// and the link itself is removed, which leaves its target alone.
//
// Mounts: an item that is itself the root of a mount (a file system mounted there, or a bind mount
// of a folder from elsewhere) is refused whole, and below the item nothing on another mount is
// touched (mount ids are compared, so a bind mount from the same file system counts as another
// mount). Moves: before a folder's entries are removed, and again before the folder itself is, the
// walk checks that the folder still lies inside the item (its chain of ".." still leads to the
// item's parent); a folder moved out meanwhile is left with everything in it.
//
// The walk keeps its own stack (any depth) and holds a small, fixed number of descriptors. Only the
// cleaner and the Trash emptier call it, the cleaner only with what the safety guard admitted.
namespace brisklet::SafeRemove {

enum class State {
    absent,      // nothing was there when the removal began
    removed,     // it was there and is gone now
    partial,     // it was there and something of it is left
    unreachable, // it could not even be looked at (a link or no permission on the way): untouched
    refused,     // it is the root of a mount, or the way to it leaves the mount it must stay on: untouched
};

struct Outcome {
    State state = State::unreachable;
    // Something of the item stays where measuring what is left at its path cannot see it: a file
    // system mounted inside the item (left alone on purpose), a folder that could be neither opened
    // nor removed, or a folder moved out of the item while it was being removed.
    bool leftUnmeasured = false;
    // The errno of the first failure met, 0 when nothing failed.
    int error = 0;

    bool operator==(const Outcome&) const = default;
};

// Removes the entry `name` of the folder `parent` and, when it is a folder, everything below it
// that can be removed, going on past every error. `parent` is an absolute path without links (as
// the guard resolved it); if any of its components is a link by now, nothing is touched. `name` is
// one path component. When `confinedTo` is given it must be `parent` or a folder above it (the
// deletion root that admitted the item): then the way from it down to the item must stay on its
// mount, so that a mount inside a deletion root never lets removal reach the mounted file system.
Outcome removeTree(const std::string& parent, const std::string& name, const std::string& confinedTo = {});

// The same below a folder that is already open.
Outcome removeAt(int parentFd, const std::string& name);

// Removes the entry `name` of the folder `parent` unless it is a folder or a mount point. True when
// no entry of that name is left. `confinedTo` as for removeTree.
bool removeNonFolder(const std::string& parent, const std::string& name, const std::string& confinedTo = {});

namespace testing {
// Called with a folder's name once its entries have been read and before any of them is removed,
// so a test can change the tree at exactly that moment. Not for concurrent removals.
void setListedHook(std::function<void(const std::string& folderName)> hook);
} // namespace testing

} // namespace brisklet::SafeRemove
