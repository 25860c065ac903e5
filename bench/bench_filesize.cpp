#include "core/fs/FileSize.h"

#include "bench/CacheTree.h"
#include "core/fs/FileSizeSplit.h"
#include "core/fs/SizeWalk.h"
#include "core/junk/ParallelMeasure.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <fts.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One 100 000-file tree for every benchmark in this program, made on first use and removed at exit.
class SharedTree {
public:
    static const SharedTree& get() {
        static const SharedTree tree;
        return tree;
    }

    const fs::path& root() const { return m_root; }
    std::int64_t entries() const { return m_entries; }

    ~SharedTree() {
        std::error_code ec;
        if (!m_root.empty()) fs::remove_all(m_root, ec);
    }

private:
    SharedTree() {
        char name[] = "/tmp/brisklet-bench-XXXXXX";
        if (::mkdtemp(name) == nullptr) return;
        m_root = name;
        m_entries = brisklet::bench::makeCacheTree(m_root, 100000);
    }

    fs::path m_root;
    std::int64_t m_entries = 0;
};

// The same measurement done the textbook way, for comparison.
std::int64_t ftsOnDisk(const fs::path& root) {
    std::string rootPath = root.string();
    char* roots[] = {rootPath.data(), nullptr};
    FTS* fts = ::fts_open(roots, FTS_PHYSICAL | FTS_NOCHDIR | FTS_XDEV, nullptr);
    if (fts == nullptr) return 0;
    std::unordered_set<ino_t> seen;
    std::int64_t total = 0;
    while (const FTSENT* entry = ::fts_read(fts)) {
        const int info = entry->fts_info;
        if (info != FTS_F && info != FTS_SL && info != FTS_SLNONE && info != FTS_DEFAULT) continue;
        if (entry->fts_statp->st_nlink >= 2 && !seen.insert(entry->fts_statp->st_ino).second) continue;
        total += static_cast<std::int64_t>(entry->fts_statp->st_blocks) * 512;
    }
    ::fts_close(fts);
    return total;
}

template <std::int64_t (*Measure)(const fs::path&)> void measureTree(benchmark::State& state) {
    const SharedTree& tree = SharedTree::get();
    if (tree.entries() == 0) {
        state.SkipWithError("could not make the tree");
        return;
    }
    std::int64_t bytes = 0;
    for (auto _ : state) {
        bytes = Measure(tree.root());
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * tree.entries());
    state.counters["MiB"] = static_cast<double>(bytes) / (1 << 20);
}

// The same walk kept on one thread: what splitting a large folder over the cores buys.
std::int64_t oneThreadOnDisk(const fs::path& root) {
    brisklet::FileSize::Split none = brisklet::FileSize::Split::standard();
    none.helpers = 0;
    return brisklet::FileSize::onDisk(root, brisklet::measuringPool(), none);
}

void BM_FileSizeOnDisk(benchmark::State& state) {
    measureTree<brisklet::FileSize::onDisk>(state);
}
void BM_FileSizeOnDiskOneThread(benchmark::State& state) {
    measureTree<oneThreadOnDisk>(state);
}
void BM_FtsWalk(benchmark::State& state) {
    measureTree<ftsOnDisk>(state);
}

// The walk's one system call per entry, the older call against the one that also tells the mount:
// every entry of the tree's largest flat folder, by name relative to the open folder.
bool fstatatEntry(int folder, const char* name) {
    struct stat st {};
    return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0;
}
bool statxEntry(int folder, const char* name) {
    struct statx sx {};
    return ::statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, brisklet::kSizeWalkStatx, &sx) == 0;
}

template <bool (*Stat)(int, const char*)> void statFlatFolder(benchmark::State& state) {
    const fs::path folder = SharedTree::get().root() / "browser/Cache_Data";
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename());
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || names.empty()) {
        state.SkipWithError("could not list the folder");
        return;
    }
    for (auto _ : state) {
        std::size_t ok = 0;
        for (const std::string& name : names)
            ok += Stat(fd, name.c_str()) ? 1 : 0;
        benchmark::DoNotOptimize(ok);
    }
    ::close(fd);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(names.size()));
}

void BM_StatEntriesFstatat(benchmark::State& state) {
    statFlatFolder<fstatatEntry>(state);
}
void BM_StatEntriesStatx(benchmark::State& state) {
    statFlatFolder<statxEntry>(state);
}

BENCHMARK(BM_FileSizeOnDisk)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2)->UseRealTime();
BENCHMARK(BM_FileSizeOnDiskOneThread)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2)->UseRealTime();
BENCHMARK(BM_FtsWalk)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2)->UseRealTime();
BENCHMARK(BM_StatEntriesFstatat)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2);
BENCHMARK(BM_StatEntriesStatx)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2);

} // namespace
