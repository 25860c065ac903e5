#pragma once

#include "core/junk/JunkKind.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace brisklet {

// One removable file or folder, measured.
struct JunkItem {
    std::filesystem::path url;
    std::string name;         // what the user sees
    std::int64_t size = 0;    // bytes allocated on disk
    bool recommended = false; // preselected for cleaning
    std::optional<std::string> note;
    std::optional<std::filesystem::path> appURL; // the owning application, for its icon

    const std::string& id() const { return url.native(); }
    bool operator==(const JunkItem&) const = default;
};

// One kind's scan result.
struct JunkCategory {
    JunkKind kind = JunkKind::appCaches;
    std::vector<JunkItem> items;
    bool accessDenied = false;

    JunkKind id() const { return kind; }
    std::int64_t size() const {
        return std::accumulate(items.begin(), items.end(), std::int64_t{0},
                               [](std::int64_t sum, const JunkItem& item) { return sum + item.size; });
    }
    bool operator==(const JunkCategory&) const = default;
};

} // namespace brisklet

template <> struct std::hash<brisklet::JunkItem> {
    std::size_t operator()(const brisklet::JunkItem& item) const noexcept;
};
