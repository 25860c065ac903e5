#pragma once

#include <cstdint>
#include <filesystem>

class QThreadPool;

namespace brisklet::FileSize {

// When and how far FileSize::onDisk splits a folder over threads. Tests and benchmarks set their
// own to split small trees, or none.
struct Split {
    // Entries walked before the folder counts as large: small folders, which scans measure by the
    // hundred, never pay for a helper.
    std::uint64_t provenLarge;
    // How often, in entries, a large walk asks again for helpers it could not get at first.
    std::uint64_t askAgainEvery;
    // Helper threads at most, besides the caller.
    int helpers;

    static Split standard();
};

// What one measurement did, for the tests that must know a split really happened.
struct SplitReport {
    int helpers = 0;
    std::uint64_t handedOver = 0;      // subfolders
    std::uint64_t listsHandedOver = 0; // parts of a folder's listing
    // Entries with several links that more than one thread counted, and that counted once in the end.
    std::uint64_t linksMetTwice = 0;
};

std::int64_t onDisk(const std::filesystem::path& path, QThreadPool& helpers, const Split& split,
                    SplitReport* report = nullptr);

} // namespace brisklet::FileSize
