#include "core/finders/LargeFileFinder.h"
#include "core/finders/NodeModulesFinder.h"

#include "bench/HomeTree.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// A generated tree shared by the benchmarks of one kind, made on first use and removed at exit.
class SharedTree {
public:
    static const SharedTree& projects() {
        static const SharedTree tree(
            [](const fs::path& root) { return brisklet::bench::makeProjectsTree(root, 100000); });
        return tree;
    }
    static const SharedTree& home() {
        static const SharedTree tree(
            [](const fs::path& root) { return brisklet::bench::makeHomeTree(root, 150000); });
        return tree;
    }

    const fs::path& root() const { return m_root; }
    std::int64_t entries() const { return m_entries; }

    ~SharedTree() {
        std::error_code ec;
        if (!m_root.empty()) fs::remove_all(m_root, ec);
    }

private:
    template <typename Make> explicit SharedTree(Make make) {
        char name[] = "/tmp/brisklet-bench-finders-XXXXXX";
        if (::mkdtemp(name) == nullptr) return;
        m_root = name;
        m_entries = make(m_root);
    }

    fs::path m_root;
    std::int64_t m_entries = 0;
};

// Many small files in nested node_modules: the walk is cheap, the measuring is most of the work.
void nodeModulesInProjects(benchmark::State& state) {
    const SharedTree& tree = SharedTree::projects();
    if (tree.entries() == 0) return state.SkipWithError("could not make the tree");
    std::size_t found = 0;
    for (auto _ : state) {
        found = brisklet::NodeModulesFinder::find(tree.root(), tree.root()).size();
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * tree.entries());
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(nodeModulesInProjects)->Unit(benchmark::kMillisecond)->UseRealTime();

// A home: the node_modules finder passes over everything but the projects folder's structure.
void nodeModulesInHome(benchmark::State& state) {
    const SharedTree& tree = SharedTree::home();
    if (tree.entries() == 0) return state.SkipWithError("could not make the tree");
    std::size_t found = 0;
    for (auto _ : state) {
        found = brisklet::NodeModulesFinder::find(tree.root(), tree.root()).size();
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * tree.entries());
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(nodeModulesInHome)->Unit(benchmark::kMillisecond)->UseRealTime();

// A home with a few huge files among many small ones, at the model's threshold and limit, and with
// every file qualifying (the cost of recording and sorting everything).
void largeFilesInHome(benchmark::State& state) {
    const SharedTree& tree = SharedTree::home();
    if (tree.entries() == 0) return state.SkipWithError("could not make the tree");
    const std::int64_t minSize = state.range(0);
    std::size_t found = 0;
    for (auto _ : state) {
        found = brisklet::LargeFileFinder::find(tree.root(), minSize, 300, tree.root()).size();
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * tree.entries());
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(largeFilesInHome)->Arg(100'000'000)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
