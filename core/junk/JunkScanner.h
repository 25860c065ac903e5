#pragma once

#include "core/junk/JunkItem.h"
#include "core/junk/JunkKind.h"
#include "core/junk/Locations.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QThreadPool;

namespace brisklet::JunkScanner {

// What a kind's rule offers before anything is measured.
struct Candidate {
    std::filesystem::path url;
    std::string name;
    bool recommended = false;
    std::optional<std::string> note;
    std::optional<std::filesystem::path> appURL;

    bool operator==(const Candidate&) const = default;
};

// Items smaller than this are not worth offering (decimal: 50 KB, not 50 KiB).
inline constexpr std::int64_t kMinimumItemSize = 50'000;

// Finds one kind's junk under `locations`, measures every candidate in parallel, keeps those of
// at least kMinimumItemSize and sorts them largest first (ties keep the rule's order). Never
// fails: unreadable places yield nothing, and only the Trash reports that it could not be read. A
// candidate that is a mount point, or lies on another mount than the folder its rule lists, is
// dropped before measuring.
JunkCategory scan(JunkKind kind, const Locations& locations);
// The same, measuring on the given pool (benchmarks compare pool sizes with it).
JunkCategory scan(JunkKind kind, const Locations& locations, QThreadPool& measuring);

// Measures candidates into items, in the same order.
std::vector<JunkItem> measure(const std::vector<Candidate>& candidates, QThreadPool& measuring);

// The floor and the order every category's items get, applied to measured items.
std::vector<JunkItem> keepLargestFirst(std::vector<JunkItem> items);

} // namespace brisklet::JunkScanner
