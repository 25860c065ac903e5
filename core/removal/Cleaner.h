#pragma once

#include "core/junk/Locations.h"

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

namespace brisklet {

// What a permanent deletion achieved.
struct CleanResult {
    std::int64_t freed = 0;
    // Refused items and items that were not removed completely, in input order.
    std::vector<std::filesystem::path> failed;

    bool operator==(const CleanResult&) const = default;
};

struct TrashMoveResult {
    std::vector<std::filesystem::path> moved;
    std::vector<std::filesystem::path> failed;

    bool operator==(const TrashMoveResult&) const = default;
};

// The only place that removes files. Nothing here throws; every failure ends up in a failed list.
namespace Cleaner {

// Deletes each item permanently, in input order, if the safety guard admits it; a refused item is
// not touched and is reported failed. `size` is the on-disk size the caller measured when it found
// the item. A removed item counts its given size. One that could only partly be removed counts the
// given size minus what is left on disk (never below 0), and is failed while at least one byte is
// left, or while something stays that cannot be measured (a file system mounted inside it, a
// folder that could be neither read nor removed). An item already gone counts its given size and
// is not failed, unless it lay inside an item removed earlier in the same call: its bytes were
// counted with that one.
// In the freedesktop layout, removing an entry of the Trash also removes its .trashinfo record.
CleanResult deleteItems(const std::vector<std::pair<std::filesystem::path, std::int64_t>>& items,
                        const Locations& locations);

// Moves each path to the user's Trash (no guard: the user picked each file, and the Trash keeps it).
// A move counts only when the file really arrived in a Trash's files folder; anything else is moved
// back and reported failed. Never copies and deletes.
TrashMoveResult moveToTrash(const std::vector<std::filesystem::path>& paths);

} // namespace Cleaner

} // namespace brisklet
