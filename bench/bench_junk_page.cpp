// The System Junk page with 5,000 items in one open category: how long it takes to build and show
// it up to its first picture, and how long a toggle takes from the key press to the repainted rows.
// The items come from the real storage model scanning a fixture home with 5,000 small cache folders.
#include "bench/PageBench.h"
#include "ui/pages/JunkTreeModel.h"
#include "ui/pages/JunkTreeView.h"
#include "ui/pages/JunkView.h"

#include <stdexcept>

namespace {

using namespace brisklet;

constexpr int kItems = 5000;

// A home whose cache folder holds kItems folders just above the scanner's 50,000-byte floor, and a
// storage model that has scanned it.
struct Fixture : bench::PageFixture {
    Fixture()
        : PageFixture("bench_junk_page", [](test::TempTree& tree) {
              for (int i = 0; i < kItems; ++i)
                  tree.file("home/.cache/app-" + std::to_string(i) + "/blob", 52'000 + static_cast<std::size_t>(i));
          }) {
        storage->scanJunk({JunkKind::appCaches});
        while (!storage->scanningJunk().empty())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (storage->junk().at(JunkKind::appCaches).items.size() != kItems)
            throw std::runtime_error("the fixture home did not scan to 5,000 items");
    }

    std::unique_ptr<ui::JunkView> openPage() {
        auto page = std::make_unique<ui::JunkView>(context(), home);
        page->resize(900, 700);
        page->setExpanded(JunkKind::appCaches, true);
        page->show();
        return page;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// With the group open.
void BM_ShowJunkPage(benchmark::State& state) {
    Fixture& f = fixture();
    bench::showPage(state, [&f] { return f.openPage(); });
}
BENCHMARK(BM_ShowJunkPage)->Unit(benchmark::kMillisecond);

// On an item row.
void BM_ToggleItem(benchmark::State& state) {
    auto page = fixture().openPage();
    ui::JunkTreeView& list = *page->list();
    list.setFocus();
    list.setCurrentIndex(page->model()->index(3, 0, page->model()->categoryIndex(JunkKind::appCaches)));
    bench::toggleCurrentRow(state, list);
}
BENCHMARK(BM_ToggleItem)->Unit(benchmark::kMillisecond);

} // namespace
