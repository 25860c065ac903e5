// Mounts inside the places junk is taken from: a file system mounted in a cache folder, a folder of
// the user's bind-mounted there, a projects disk mounted in the home folder. Each test runs in a
// child with a private mount namespace, so nothing it mounts is seen outside.
#include "core/finders/NodeModulesFinder.h"
#include "core/junk/JunkScanner.h"
#include "core/removal/Cleaner.h"
#include "core/removal/SafeRemove.h"
#include "core/removal/TrashEmptier.h"

#include "support/Entries.h"
#include "support/MountNamespace.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <cerrno>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using SafeRemove::Outcome;
using SafeRemove::State;
using test::Checks;

using test::present;

std::vector<std::string> itemNames(const JunkCategory& category) {
    std::vector<std::string> names;
    for (const JunkItem& item : category.items)
        names.push_back(item.url.filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A fixture home whose cache folder and Trash hold, besides ordinary entries, a tmpfs, bind mounts
// of the user's own folders (outside the deletion roots) and a bind-mounted file. Built in the
// parent; mounted in the child by mountAll().
struct MountedHome {
    mutable test::TempTree tree;
    fs::path home = tree.path("home");
    fs::path cache = tree.dir("home/.cache");
    fs::path trash = tree.dir("home/.local/share/Trash");
    Locations locations = Locations::forHome(home, tree.path("tmp"), JunkLayout::freedesktop);

    MountedHome() {
        // Never the system's own crash folder: everything found here gets deleted.
        locations.crashDir = tree.dir("crash");
        tree.build(R"(
            home/.cache/plain/data 200000
            home/.cache/{tmpfs/,remote/,file-bound}
            home/.local/share/Trash/files/{plain/data,holder/own} 100000
            home/.local/share/Trash/files/{bound/,holder/inner/}
            outside/{documents/letter.odt,photos/cat.jpg,music/song.ogg,notes.txt} 300000)");
    }

    void mountAll() const {
        test::mountTmpfs(cache / "tmpfs");
        tree.file("home/.cache/tmpfs/big", 300'000);
        test::bindMount(tree.path("outside/documents"), cache / "remote");
        test::bindMount(tree.path("outside/notes.txt"), cache / "file-bound");
        test::bindMount(tree.path("outside/photos"), trash / "files/bound");
        test::bindMount(tree.path("outside/music"), trash / "files/holder/inner");
    }

    void expectOutsideIntact(Checks& checks) const {
        for (const char* precious : {"documents/letter.odt", "photos/cat.jpg", "music/song.ogg", "notes.txt"})
            checks.expect(fs::file_size(tree.path(std::string("outside/") + precious)) == 300'000,
                          std::string("outside/") + precious + " was touched");
        checks.expect(present(cache / "tmpfs" / "big"), "the tmpfs in the cache folder was emptied");
    }
};

TEST(MountSafety, AJunkScanNeitherMeasuresNorOffersMountPoints) {
    const MountedHome h;
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inMountNamespace([&](Checks& checks) {
        h.mountAll();
        QThreadPool pool;
        const JunkCategory caches = JunkScanner::scan(JunkKind::appCaches, h.locations, pool);
        checks.expect(itemNames(caches) == std::vector<std::string>{"plain"}, "cache items other than plain");
        const JunkCategory trash = JunkScanner::scan(JunkKind::trash, h.locations, pool);
        // "holder" is not a mount point itself: it is offered, measured without the mount inside.
        checks.expect(itemNames(trash) == std::vector<std::string>{"holder", "plain"}, "Trash items");
        for (const JunkItem& item : trash.items)
            checks.expect(item.size < 200'000, item.url.string() + " measured through a mount");
    }));
}

TEST(MountSafety, RemovalRefusesMountPointsAndWaysThroughThem) {
    const MountedHome h;
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inMountNamespace([&](Checks& checks) {
        h.mountAll();
        const std::string cache = h.cache;
        // Handed in directly, as a stale or forged selection would be.
        const std::vector<std::pair<fs::path, std::int64_t>> items = {
            {h.cache / "tmpfs", 300'000},
            {h.cache / "remote", 300'000},
            {h.cache / "remote/letter.odt", 300'000},
            {h.cache / "file-bound", 300'000},
            {h.trash / "files/bound", 300'000},
        };
        const CleanResult result = Cleaner::deleteItems(items, h.locations);
        checks.expect(result.freed == 0, "bytes counted as freed: " + std::to_string(result.freed));
        checks.expect(result.failed.size() == items.size(), "an item not reported as failed");

        checks.expect(SafeRemove::removeTree(cache, "tmpfs", cache) == Outcome{State::refused, false, EBUSY},
                      "a tmpfs item was not refused as such");
        checks.expect(SafeRemove::removeTree(cache + "/remote", "letter.odt", cache) ==
                          Outcome{State::refused, false, EXDEV},
                      "a way through a bind mount was not refused");
        checks.expect(!SafeRemove::removeNonFolder(cache, "file-bound", cache),
                      "a bind-mounted file was unlinked");
        // Without a confining root the way may cross mounts (a projects disk): only the item's own
        // mount counts then, and the item is the mounted folder's entry, not a mount point.
        checks.expect(SafeRemove::removeTree(cache + "/remote", "letter.odt") ==
                          Outcome{State::removed, false, 0},
                      "an unconfined removal below a mount failed");
        h.tree.file("outside/documents/letter.odt", 300'000);
        h.expectOutsideIntact(checks);
    }));
}

TEST(MountSafety, RemovalEmptiesAnItemAroundTheMountsInsideIt) {
    const MountedHome h;
    h.tree.build("home/.cache/app/{data,sub/more} 10000\nhome/.cache/app/{tmpfs,sub/bound}/");
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inMountNamespace([&](Checks& checks) {
        h.mountAll();
        const fs::path app = h.cache / "app";
        test::mountTmpfs(app / "tmpfs");
        h.tree.file("home/.cache/app/tmpfs/kept", 1000);
        test::bindMount(h.tree.path("outside/documents"), app / "sub/bound");
        // What stays cannot be measured from the item's file system, yet it stays.
        checks.expect(SafeRemove::removeTree(h.cache, "app", h.cache) == Outcome{State::partial, true, EBUSY},
                      "the outcome does not tell what was left on the other mounts");
        checks.expect(!present(app / "data") && !present(app / "sub/more"), "the item's own files stayed");
        checks.expect(present(app / "tmpfs/kept"), "the tmpfs inside the item was emptied");
        const CleanResult again = Cleaner::deleteItems({{app, 20'000}}, h.locations);
        checks.expect(again.failed == std::vector<fs::path>{app},
                      "the cleaner did not report the item failed");
        h.expectOutsideIntact(checks);
    }));
}

TEST(MountSafety, EmptyingTheTrashLeavesMountsAtAndInsideEntriesAlone) {
    const MountedHome h;
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inMountNamespace([&](Checks& checks) {
        h.mountAll();
        const TrashEmptier::Result result = TrashEmptier::emptyFolder(h.trash);
        checks.expect(result.notRemoved == 2, "items left: " + std::to_string(result.notRemoved));
        checks.expect(result.firstError == EBUSY, "first error " + std::to_string(result.firstError));
        checks.expect(!present(h.trash / "files/plain"), "an ordinary entry stayed");
        checks.expect(!present(h.trash / "files/holder/own"), "the entry holding a mount kept its own files");
        h.expectOutsideIntact(checks);
    }));
}

// What a user does: scan every kind, select everything, clean, find node_modules on a projects disk
// mounted in the home folder and delete them, empty the Trash. Only the selected node_modules on the
// projects disk may lose anything of a mounted file system.
TEST(MountSafety, CleaningAHomeWithMountsTouchesOnlyWhatWasSelectedOnTheProjectsDisk) {
    const MountedHome h;
    const fs::path projects = h.tree.dir("home/projects");
    h.tree.file("outside/shared-libs/lib.js", 300'000);
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inMountNamespace([&](Checks& checks) {
        h.mountAll();
        test::mountTmpfs(projects);
        h.tree.build(R"(
            home/projects/app/{package.json,src/main.js} 1000
            home/projects/app/node_modules/lib/index.js 200000
            home/projects/app/node_modules/shared/)");
        test::bindMount(h.tree.path("outside/shared-libs"), projects / "app/node_modules/shared");

        QThreadPool pool;
        std::vector<std::pair<fs::path, std::int64_t>> selected;
        for (const JunkKind kind :
             {JunkKind::appCaches, JunkKind::logs, JunkKind::xcode, JunkKind::devCaches, JunkKind::trash})
            for (const JunkItem& item : JunkScanner::scan(kind, h.locations, pool).items)
                selected.emplace_back(item.url, item.size);
        const auto folders = NodeModulesFinder::find(projects, h.home, pool);
        checks.expect(folders.size() == 1, "node_modules found: " + std::to_string(folders.size()));
        for (const NodeModulesFolder& folder : folders)
            selected.emplace_back(folder.url, folder.size);
        Cleaner::deleteItems(selected, h.locations);
        TrashEmptier::emptyFolder(h.trash);

        h.expectOutsideIntact(checks);
        checks.expect(fs::file_size(h.tree.path("outside/shared-libs/lib.js")) == 300'000,
                      "the folder bind-mounted into node_modules was emptied");
        checks.expect(!present(projects / "app/node_modules/lib"),
                      "the selected node_modules kept its files");
        checks.expect(present(projects / "app/src/main.js") && present(projects / "app/package.json"),
                      "the project itself was touched");
        checks.expect(!present(h.cache / "plain"), "the ordinary cache stayed");
    }));
}

} // namespace
} // namespace brisklet
