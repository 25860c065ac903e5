// A junk scan with many candidates: the Trash of a generated home holding 400 folders of 250
// small files each (100,000 files). Measured with a one-thread measuring pool and with one
// thread per core, to show what the parallel fan-out buys.
#include "core/junk/JunkScanner.h"
#include "core/junk/Locations.h"

#include <QThread>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 400;
constexpr int kFilesPerFolder = 250;

class GeneratedHome {
public:
    GeneratedHome() {
        char pattern[] = "/tmp/brisklet-bench-scan.XXXXXX";
        m_root = fs::path(::mkdtemp(pattern));
        const fs::path files = m_root / ".local/share/Trash/files";
        const std::string data(3000, 'x');
        for (int f = 0; f < kFolders; ++f) {
            const fs::path folder = files / ("project-" + std::to_string(f)) / "cache";
            fs::create_directories(folder);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const fs::path file = folder / ("entry-" + std::to_string(i) + ".bin");
                const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd >= 0) {
                    // Sizes vary so the items don't all tie.
                    const auto n = static_cast<std::size_t>(1000 + (i * 37 + f * 11) % 2000);
                    (void)!::write(fd, data.data(), n);
                    ::close(fd);
                }
            }
        }
        m_locations = brisklet::Locations::forHome(m_root, "/tmp", brisklet::JunkLayout::freedesktop);
    }
    ~GeneratedHome() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    const brisklet::Locations& locations() const { return m_locations; }

private:
    fs::path m_root;
    brisklet::Locations m_locations;
};

const GeneratedHome& home() {
    static GeneratedHome generated;
    return generated;
}

void BM_TrashScan(benchmark::State& state) {
    const auto& locations = home().locations();
    QThreadPool pool;
    pool.setMaxThreadCount(static_cast<int>(state.range(0)));
    std::size_t items = 0;
    for (auto _ : state) {
        const auto category = brisklet::JunkScanner::scan(brisklet::JunkKind::trash, locations, pool);
        items = category.items.size();
        benchmark::DoNotOptimize(category);
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(kFolders) * kFilesPerFolder,
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_TrashScan)
    ->Arg(1)
    ->Arg(QThread::idealThreadCount())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
