#pragma once

#include <string>

// Removal that cannot be led astray by links, whatever happens in the tree while it runs. It works
// from folder descriptors: the parent is opened one component at a time without following links,
// every folder below is opened relative to its parent's descriptor with O_NOFOLLOW | O_DIRECTORY,
// and every entry is removed by name relative to the descriptor of the folder that holds it. A
// folder swapped for a link on the way can therefore never be entered: the open fails and the link
// itself is removed, which leaves its target alone. The walk never leaves the mount of the item,
// keeps its own stack (any depth) and holds a small, fixed number of descriptors.
//
// Only the cleaner calls this, and only with what the safety guard admitted.
namespace brisklet::SafeRemove {

enum class State {
    absent,      // nothing was there when the removal began
    removed,     // it was there and is gone now
    partial,     // it was there and something of it is left
    unreachable, // it could not even be looked at (a link or no permission on the way): untouched
};

struct Outcome {
    State state = State::unreachable;
    // Something stays that measuring what is left cannot see: a file system mounted inside the item
    // (left alone on purpose) or a folder that could be neither opened nor removed.
    bool leftUnmeasured = false;

    bool operator==(const Outcome&) const = default;
};

// Removes the entry `name` of the folder `parent` and, when it is a folder, everything below it
// that can be removed, going on past every error. `parent` is an absolute path without links (as
// the guard resolved it); if any of its components is a link by now, nothing is touched. `name` is
// one path component.
Outcome removeTree(const std::string& parent, const std::string& name);

// Removes the entry `name` of the folder `parent` unless it is a folder. True when no entry of that
// name is left.
bool removeNonFolder(const std::string& parent, const std::string& name);

} // namespace brisklet::SafeRemove
