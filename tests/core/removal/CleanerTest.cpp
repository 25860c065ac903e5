#include "core/removal/Cleaner.h"

#include "support/DeepChain.h"
#include "support/Entries.h"
#include "support/MountNamespace.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>

#include <atomic>
#include <thread>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

using test::entryCount;
using test::present;

// A fixture home with the usual roots; the temporary folder sits beside it.
struct Home {
    test::TempTree tree;
    fs::path home = tree.path("home");
    fs::path cache = tree.dir("home/.cache");
    Locations freedesktop = Locations::forHome(home, tree.path("tmp"), JunkLayout::freedesktop);
};

TEST(Cleaner, AccountsForEveryItemInInputOrder) {
    Home h;
    h.tree.build(R"(
        home/.cache/app/a 20000
        home/.cache/app/sub/b 30000
        home/.npm/_cacache/index 4000
        home/Documents/keep.txt 1000
        home/.cache/negative)"
                 "\nhome/.cache/caf\xe9-\xff\xfe/{\x80\x81.bin,caf\xe9-\xff\xfe/x} 10000"
                 R"(
        outside/x 100
        precious/{a,sub/b}
        home/.cache/out -> @outside
        home/.cache/link -> @precious
        home/.local/share/Trash/files/folder/inner 1000
        home/.local/share/Trash/info/{folder,gone,other}.trashinfo = [Trash Info]\nPath=/x/y\n)");
    const fs::path folder = h.cache / "app", single = h.tree.path("home/.npm/_cacache/index"),
                   documents = h.tree.path("home/Documents/keep.txt"), negative = h.cache / "negative",
                   odd = h.cache / "caf\xe9-\xff\xfe", link = h.cache / "link",
                   trash = h.tree.path("home/.local/share/Trash");

    const CleanResult result = Cleaner::deleteItems(
        {
            {folder, 50'000},                     // removed: counts the given size
            {documents, 1'000},                   // refused: untouched, failed
            {h.cache / "out" / "x", 100},         // refused: a link leads out of the root
            {h.cache / "..", 100},                // refused: names the home folder by relation
            {single, 4'096},                      // a single file
            {h.cache / "gone", 700},              // already gone: its bytes are freed all the same
            {folder, 50'000},                     // the same item again: counted once
            {folder / "sub", 30'000},             // inside an item removed before: counted with it
            {negative, -5},                       // a nonsense size counts nothing
            {h.cache / "missing" / "x" / "y", 9}, // gone with its parent
            {odd, 12'288},                        // names that are not UTF-8
            {link.native() + "/", 10},            // still names the link, not the folder it points to
            {trash / "files/folder", 5'000},      // a Trash entry takes its record along
            {trash / "files/gone", 100},          // and one already gone its record that lists nothing
        },
        h.freedesktop);

    EXPECT_EQ(result, (CleanResult{50'000 + 4'096 + 700 + 9 + 12'288 + 10 + 5'000 + 100,
                                   {documents, h.cache / "out" / "x", h.cache / ".."}}));
    for (const fs::path& gone : {folder, single, negative, odd, link, trash / "files/folder",
                                 trash / "info/folder.trashinfo", trash / "info/gone.trashinfo"})
        EXPECT_FALSE(present(gone)) << gone;
    EXPECT_TRUE(present(trash / "info/other.trashinfo"));
    EXPECT_TRUE(present(documents));
    EXPECT_TRUE(present(h.tree.path("outside/x")));
    EXPECT_EQ(entryCount(h.tree.path("precious")), 3u);

    // Sizes come from the caller: absurd ones saturate rather than overflow.
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    const auto a = h.tree.file("home/.cache/a", 1);
    const auto b = h.tree.file("home/.cache/b", 1);
    EXPECT_EQ(Cleaner::deleteItems({{a, huge}, {b, huge}}, h.freedesktop), (CleanResult{huge, {}}));
    EXPECT_EQ(Cleaner::deleteItems({}, h.freedesktop), CleanResult{});
}

TEST(Cleaner, RemovesATreeDeeperThanAnyPathWithFewDescriptorsAndLeaksNone) {
    Home h;
    const fs::path item = h.tree.dir("home/.cache/deep");
    // 1000 levels: the path to the bottom is far longer than PATH_MAX, so the tree can only be
    // removed relative to folder descriptors.
    test::DeepChain(item, 1000).file("bottom", 10);

    // With only a few descriptors to spare, a walk that keeps one per level could not finish. New
    // descriptors take the lowest free numbers, so at least 40 stay available below the limit. In a
    // child, where no idle pool thread ends meanwhile and closes its own descriptors.
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inChild([&](test::Checks& checks) {
        const std::size_t before = test::openDescriptors();
        const rlimit tight{before + 40, before + 40};
        checks.expect(::setrlimit(RLIMIT_NOFILE, &tight) == 0, "setrlimit");
        const CleanResult result =
            Cleaner::deleteItems({{item, 1'000'000}, {h.cache / "nothing", 1}}, h.freedesktop);
        checks.expect(result == CleanResult{1'000'001, {}}, "not every byte counted, or a failure");
        checks.expect(!present(item), "the deep item is still there");
        checks.expect(test::openDescriptors() == before, "descriptors leaked");
    }));
}

// ---- Races: a folder inside the item swapped for a link to a precious folder. ----

fs::path makePrecious(test::TempTree& tree, const std::string& where) {
    for (int i = 0; i < 5; ++i)
        tree.file(where + "/file" + std::to_string(i), 10);
    return tree.file(where + "/deeper/inner", 10).parent_path().parent_path();
}

void fillItem(test::TempTree& tree, const std::string& where) {
    for (int i = 0; i < 8; ++i) {
        tree.file(where + "/f" + std::to_string(i), 1);
        tree.file(where + "/sub/s" + std::to_string(i), 1);
        tree.file(where + "/sub/deeper/d" + std::to_string(i), 1);
    }
}

// Exchanges two names back and forth, atomically, while `work` runs or until one of them is gone;
// tells how often it did.
template <class Work> long whileSwapping(const fs::path& a, const fs::path& b, Work work) {
    std::atomic<long> swaps{0};
    {
        const std::jthread swapper([&](const std::stop_token& stop) {
            while (!stop.stop_requested() &&
                   ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0)
                ++swaps;
        });
        work();
    }
    return swaps;
}

// Two swaps: a folder inside the item for a link to a precious folder, and the item's parent for a
// link to a folder that holds a precious folder of the item's name.
TEST(Cleaner, AFolderOrParentSwappedForALinkDuringRemovalNeverLeadsOutside) {
    Home h;
    const fs::path precious = makePrecious(h.tree, "precious");
    const fs::path namesake = makePrecious(h.tree, "elsewhere/victim");
    const std::size_t entries = entryCount(precious);
    long swaps = 0;
    for (int round = 0; round < 400; ++round) {
        const bool parent = round % 2 == 1;
        const std::string at = "home/.cache/r" + std::to_string(round);
        const std::string item = parent ? at + "/victim" : at;
        fillItem(h.tree, item);
        const fs::path link = parent ? h.tree.symlink(at + "-link", h.tree.path("elsewhere"))
                                     : h.tree.symlink(item + "/link", precious);
        swaps += whileSwapping(h.tree.path(parent ? at : item + "/sub"), link, [&] {
            Cleaner::deleteItems({{h.tree.path(item), 1}}, h.freedesktop);
        });
        ASSERT_EQ(entryCount(precious), entries) << "round " << round;
        ASSERT_EQ(entryCount(namesake), entries) << "round " << round;
        if (parent) continue;
        // Whatever the swaps left behind goes now, without a race.
        Cleaner::deleteItems({{h.tree.path(item), 1}}, h.freedesktop);
        ASSERT_FALSE(present(h.tree.path(item))) << "round " << round;
    }
    EXPECT_GT(swaps, 0);
}

// ---- Moving to the Trash, with the environment Qt reads pointed at a fixture. ----

// A fixture home, and the working folder and the variables Qt reads pointed at it until destroyed.
struct TrashHome {
    Home h;
    fs::path oldWorkingFolder = fs::current_path();
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;

    TrashHome() {
        fs::current_path(h.tree.dir("cwd"));
        set("HOME", h.home.native());
        set("XDG_DATA_HOME", std::nullopt);
    }
    ~TrashHome() {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            it->second ? ::setenv(it->first, it->second->c_str(), 1) : ::unsetenv(it->first);
        fs::current_path(oldWorkingFolder);
    }
    void set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
};

TEST(CleanerTrash, MovesFilesIntoAFreshTrashWithARecordOnlyWhereTheXdgRulesAgree) {
    TrashHome t;
    const fs::path file = t.h.tree.file("home/Movies/big.mov", 1'000);
    const fs::path missing = t.h.home / "Movies" / "missing.mov";
    // The data home does not exist yet: Qt alone would put the file in the working folder.
    const fs::path trash = t.h.tree.path("nowhere/yet/share/Trash");
    t.set("XDG_DATA_HOME", trash.parent_path().native());

    EXPECT_EQ(Cleaner::moveToTrash({file, missing, "relative.mov"}),
              (TrashMoveResult{{file}, {missing, "relative.mov"}}));
    EXPECT_FALSE(present(file));
    EXPECT_TRUE(present(trash / "files/big.mov"));
    EXPECT_TRUE(present(trash / "info/big.mov.trashinfo"));
    EXPECT_EQ(entryCount(t.h.tree.path("cwd")), 0u);
    struct stat st {};
    ASSERT_EQ(::stat(trash.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Nothing moves where Qt and the XDG rules would disagree: the XDG rules ignore a relative data
    // home, which Qt would take as relative to the working folder.
    t.set("XDG_DATA_HOME", "relative/share");
    const fs::path iso = t.h.tree.file("home/big.iso", 1'000);
    EXPECT_EQ(Cleaner::moveToTrash({iso}), (TrashMoveResult{{}, {iso}}));
    EXPECT_EQ(entryCount(t.h.tree.path("cwd")), 0u);
    // Without a home folder Qt would pick the volume's own trash.
    t.set("HOME", t.h.tree.path("no-such-home").native());
    t.set("XDG_DATA_HOME", t.h.tree.path("data").native());
    EXPECT_EQ(Cleaner::moveToTrash({iso}), (TrashMoveResult{{}, {iso}}));
    EXPECT_TRUE(present(iso));
}

} // namespace
} // namespace brisklet
