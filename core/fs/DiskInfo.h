#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace brisklet {

// What the volume holding the home folder holds. Read afresh whenever asked; there is no
// separate "empty" value: a volume that cannot be read reads as the default name and zeros.
struct DiskInfo {
    std::string name;
    std::int64_t total = 0;
    std::int64_t available = 0;

    std::int64_t used() const { return total - available > 0 ? total - available : 0; }
    double usedFraction() const {
        return total < 1 ? 0.0 : static_cast<double>(used()) / static_cast<double>(total);
    }

    bool operator==(const DiskInfo&) const = default;

    // The name a volume goes by when the file system gives it none, and after a failed read.
    static const std::string& defaultName();

    static DiskInfo current(const std::filesystem::path& path);

    // The volume figures as the file system may or may not give them. `userAvailable` is what
    // the user may still write (the figure that matters); `plainAvailable` is only its stand-in.
    struct Figures {
        std::optional<std::string> name;
        std::optional<std::int64_t> total;
        std::optional<std::int64_t> userAvailable;
        std::optional<std::int64_t> plainAvailable;
    };
    static DiskInfo fromFigures(const std::optional<Figures>& figures);
};

} // namespace brisklet
