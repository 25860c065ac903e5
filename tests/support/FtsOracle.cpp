#include "support/FtsOracle.h"

#include <fts.h>
#include <sys/stat.h>

#include <set>
#include <string>

namespace brisklet::test {

std::int64_t ftsOnDisk(const std::filesystem::path& root) {
    std::string rootPath = root.string();
    char* roots[] = {rootPath.data(), nullptr};
    FTS* fts = ::fts_open(roots, FTS_PHYSICAL | FTS_NOCHDIR | FTS_XDEV, nullptr);
    if (fts == nullptr)
        return 0;
    std::set<ino_t> seen;
    std::int64_t total = 0;
    while (const FTSENT* entry = ::fts_read(fts)) {
        const int info = entry->fts_info;
        if (info != FTS_F && info != FTS_SL && info != FTS_SLNONE && info != FTS_DEFAULT)
            continue;
        if (entry->fts_statp->st_nlink >= 2 && !seen.insert(entry->fts_statp->st_ino).second)
            continue;
        total += static_cast<std::int64_t>(entry->fts_statp->st_blocks) * 512;
    }
    ::fts_close(fts);
    return total;
}

} // namespace brisklet::test
