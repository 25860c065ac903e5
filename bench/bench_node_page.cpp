// The node_modules page with 2,000 folders: how long it takes to build and show the results up to
// their first picture, and how long a toggle takes from the key press to the repainted rows. The
// folders come from the real storage model searching a fixture home with 2,000 small projects.
#include "bench/PageBench.h"
#include "ui/pages/NodeModulesListModel.h"
#include "ui/pages/NodeModulesListView.h"
#include "ui/pages/NodeModulesView.h"

#include <stdexcept>

namespace {

using namespace brisklet;

constexpr int kFolders = 2000;

// A Desktop of kFolders projects, each with a manifest and one small dependency, and a storage
// model that has searched it.
struct Fixture : bench::PageFixture {
    Fixture()
        : PageFixture("bench_node_page", [](test::TempTree& tree) {
              for (int i = 0; i < kFolders; ++i) {
                  const std::string project = "home/Desktop/project-" + std::to_string(i);
                  tree.text(project + "/package.json", "{}\n");
                  tree.file(project + "/node_modules/lib/index.js", 4'000 + static_cast<std::size_t>(i));
              }
          }) {
        storage->scanNodeModules();
        while (storage->isScanningNode())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (storage->nodeFolders()->size() != kFolders)
            throw std::runtime_error("the fixture home did not search to 2,000 folders");
    }

    std::unique_ptr<ui::NodeModulesView> openPage() {
        auto page = std::make_unique<ui::NodeModulesView>(context(), home);
        page->resize(900, 700);
        page->show();
        return page;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// As the user first opens the page on a held list.
void BM_ShowNodePage(benchmark::State& state) {
    Fixture& f = fixture();
    bench::showPage(state, [&f] { return f.openPage(); });
}
BENCHMARK(BM_ShowNodePage)->Unit(benchmark::kMillisecond);

// On a folder row.
void BM_ToggleFolder(benchmark::State& state) {
    auto page = fixture().openPage();
    ui::NodeModulesListView& list = *page->list();
    list.setFocus();
    list.setCurrentIndex(page->model()->index(3));
    bench::toggleCurrentRow(state, list);
}
BENCHMARK(BM_ToggleFolder)->Unit(benchmark::kMillisecond);

} // namespace
