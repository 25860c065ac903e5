#include "core/FileSize.h"

#include "bench/CacheTree.h"

#include <benchmark/benchmark.h>

#include <fts.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_set>

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

void BM_FileSizeOnDisk(benchmark::State& state) {
    measureTree<brisklet::FileSize::onDisk>(state);
}
void BM_FtsWalk(benchmark::State& state) {
    measureTree<ftsOnDisk>(state);
}

BENCHMARK(BM_FileSizeOnDisk)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2);
BENCHMARK(BM_FtsWalk)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2);

} // namespace
