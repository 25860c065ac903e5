#pragma once

#include "core/junk/JunkScanner.h"
#include "core/junk/Locations.h"

#include <vector>

namespace brisklet {

struct TrashCandidates {
    std::vector<JunkScanner::Candidate> candidates;
    // The Trash exists but could not be listed (no permission, not a folder, a link loop).
    bool accessDenied = false;
};

// Everything in the user's Trash, each preselected. A Trash that does not exist is simply empty.
// In the freedesktop layout an entry is named after the original file recorded in its
// `.trashinfo`, since the names in files/ are made unique by the file manager ("a.2.txt").
TrashCandidates trashCandidates(const Locations& locations);

} // namespace brisklet
