#include "core/junk/JunkScanner.h"

#include "core/fs/MountPlacement.h"
#include "core/junk/JunkRules.h"
#include "core/junk/ParallelMeasure.h"
#include "core/junk/TrashRule.h"

#include <algorithm>

namespace brisklet::JunkScanner {

namespace {

struct RuleResult {
    std::vector<Candidate> candidates;
    bool accessDenied = false;
};

RuleResult candidatesFor(JunkKind kind, const Locations& locations) {
    switch (kind) {
    case JunkKind::appCaches:
        return {JunkRules::appCaches(locations)};
    case JunkKind::logs:
        return {JunkRules::logs(locations)};
    case JunkKind::xcode:
        return {JunkRules::xcode(locations)};
    case JunkKind::devCaches:
        return {JunkRules::devCaches(locations)};
    case JunkKind::trash: {
        TrashCandidates trash = trashCandidates(locations);
        return {std::move(trash.candidates), trash.accessDenied};
    }
    }
    return {};
}

} // namespace

std::vector<JunkItem> measure(const std::vector<Candidate>& candidates, QThreadPool& measuring) {
    std::vector<std::filesystem::path> paths;
    paths.reserve(candidates.size());
    for (const Candidate& candidate : candidates)
        paths.push_back(candidate.url);
    const std::vector<std::int64_t> sizes = measureOnDisk(paths, measuring);

    std::vector<JunkItem> items;
    items.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& c = candidates[i];
        items.push_back(JunkItem{c.url, c.name, sizes[i], c.recommended, c.note, c.appURL});
    }
    return items;
}

std::vector<JunkItem> keepLargestFirst(std::vector<JunkItem> items) {
    std::erase_if(items, [](const JunkItem& item) { return item.size < kMinimumItemSize; });
    std::stable_sort(items.begin(), items.end(),
                     [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
    return items;
}

JunkCategory scan(JunkKind kind, const Locations& locations, QThreadPool& measuring) {
    RuleResult rule = candidatesFor(kind, locations);
    // A file system mounted in a cache folder (or a folder bind-mounted there from elsewhere) is not
    // junk whatever its name: it is neither measured nor offered, so it can never be selected.
    std::erase_if(rule.candidates, [](const Candidate& c) { return !staysOnParentMount(c.url); });
    JunkCategory category;
    category.kind = kind;
    category.items = keepLargestFirst(measure(rule.candidates, measuring));
    category.accessDenied = rule.accessDenied;
    return category;
}

JunkCategory scan(JunkKind kind, const Locations& locations) {
    return scan(kind, locations, measuringPool());
}

} // namespace brisklet::JunkScanner
