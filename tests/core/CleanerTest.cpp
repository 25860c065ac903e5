#include "core/Cleaner.h"

#include "core/FileSize.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <thread>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

bool present(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

std::size_t countEntries(const fs::path& folder) {
    std::size_t count = 0;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
        ++count;
    return count;
}

// A fixture home with the usual roots; the temporary folder sits beside it.
struct Home {
    test::TempTree tree;
    fs::path home = tree.path("home");
    fs::path cache = tree.path("home/.cache");
    Locations freedesktop = Locations::forHome(home, tree.path("tmp"), JunkLayout::freedesktop);
    Locations mac = Locations::forHome(home, tree.path("tmp"), JunkLayout::macOS);

    Home() {
        tree.dir("home/.cache");
        tree.dir("tmp");
    }
};

TEST(Cleaner, AnEmptyListFreesNothing) {
    const Home h;
    EXPECT_EQ(Cleaner::deleteItems({}, h.freedesktop), CleanResult{});
}

TEST(Cleaner, AccountsForEveryItemInInputOrder) {
    Home h;
    const fs::path folder = h.tree.dir("home/.cache/app");
    h.tree.file("home/.cache/app/a", 20'000);
    h.tree.file("home/.cache/app/sub/b", 30'000);
    const fs::path single = h.tree.file("home/.npm/_cacache/index", 4'000);
    const fs::path documents = h.tree.file("home/Documents/keep.txt", 1'000);
    const fs::path negative = h.tree.file("home/.cache/negative", 10);

    const CleanResult result = Cleaner::deleteItems(
        {
            {folder, 50'000},                     // removed: counts the given size
            {documents, 1'000},                   // refused: untouched, failed
            {single, 4'096},                      // a single file
            {h.cache / "gone", 700},              // already gone: its bytes are freed all the same
            {folder, 50'000},                     // the same item again: counted once
            {folder / "sub", 30'000},             // inside an item removed before: counted with it
            {negative, -5},                       // a nonsense size counts nothing
            {h.cache / "missing" / "x" / "y", 9}, // gone with its parent
        },
        h.freedesktop);

    EXPECT_EQ(result, (CleanResult{50'000 + 4'096 + 700 + 9, {documents}}));
    EXPECT_FALSE(present(folder));
    EXPECT_FALSE(present(single));
    EXPECT_FALSE(present(negative));
    EXPECT_TRUE(present(documents));
}

TEST(Cleaner, SumsSaturateInsteadOfOverflowing) {
    Home h;
    const auto a = h.tree.file("home/.cache/a", 1);
    const auto b = h.tree.file("home/.cache/b", 1);
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(Cleaner::deleteItems({{a, huge}, {b, huge}}, h.freedesktop), (CleanResult{huge, {}}));
}

TEST(Cleaner, RefusedItemsAreNeverTouched) {
    Home h;
    h.tree.file("home/.cache/app/data", 100);
    h.tree.file("outside/x", 100);
    h.tree.symlink("home/.cache/out", h.tree.path("outside"));
    const std::vector<fs::path> refused = {
        h.cache / "..",        h.cache / ".",        h.cache / "app" / "..", h.cache,
        h.cache / "out" / "x", h.home / "Documents", "home/.cache/app",      ""};
    std::vector<std::pair<fs::path, std::int64_t>> items;
    for (const fs::path& p : refused)
        items.emplace_back(p, 100);
    EXPECT_EQ(Cleaner::deleteItems(items, h.freedesktop), (CleanResult{0, refused}));
    EXPECT_TRUE(present(h.tree.path("home/.cache/app/data")));
    EXPECT_TRUE(present(h.tree.path("outside/x")));
}

TEST(Cleaner, RemovesALinkButNeverWhatItPointsTo) {
    Home h;
    const fs::path precious = h.tree.dir("precious");
    h.tree.file("precious/a", 100);
    h.tree.file("precious/sub/b", 100);
    const fs::path link = h.tree.symlink("home/.cache/link", precious);
    const fs::path other = h.tree.symlink("home/.cache/other", precious);
    const fs::path file = h.tree.symlink("home/.cache/file", precious / "a");

    // A trailing slash still names the link, not the folder it points to.
    const fs::path withSlash = fs::path(other.native() + "/");
    const CleanResult result = Cleaner::deleteItems({{link, 10}, {withSlash, 20}, {file, 30}}, h.freedesktop);

    EXPECT_EQ(result, (CleanResult{60, {}}));
    EXPECT_FALSE(present(link));
    EXPECT_FALSE(present(other));
    EXPECT_FALSE(present(file));
    EXPECT_EQ(countEntries(precious), 3u);
}

TEST(Cleaner, RemovingATrashEntryTakesItsRecordAlong) {
    Home h;
    const std::string trash = "home/.local/share/Trash/";
    const fs::path folder = h.tree.file(trash + "files/folder/inner", 1'000);
    const fs::path file = h.tree.file(trash + "files/file.txt", 1'000);
    h.tree.text(trash + "info/folder.trashinfo", "[Trash Info]\nPath=/x/folder\n");
    h.tree.text(trash + "info/file.txt.trashinfo", "[Trash Info]\nPath=/x/file.txt\n");
    const fs::path unrelated = h.tree.text(trash + "info/other.trashinfo", "[Trash Info]\nPath=/x/other\n");

    const CleanResult result =
        Cleaner::deleteItems({{folder.parent_path(), 5'000}, {file, 4'096}}, h.freedesktop);

    EXPECT_EQ(result, (CleanResult{9'096, {}}));
    EXPECT_FALSE(present(h.tree.path(trash + "files/folder")));
    EXPECT_FALSE(present(file));
    EXPECT_FALSE(present(h.tree.path(trash + "info/folder.trashinfo")));
    EXPECT_FALSE(present(h.tree.path(trash + "info/file.txt.trashinfo")));
    EXPECT_TRUE(present(unrelated));
}

TEST(Cleaner, TheMacOSTrashHasNoRecordsToRemove) {
    Home h;
    const fs::path item = h.tree.file("home/.Trash/a.txt", 100);
    // A freedesktop record of the same name is none of the macOS layout's business.
    const fs::path record = h.tree.text("home/.local/share/Trash/info/a.txt.trashinfo", "[Trash Info]\n");
    EXPECT_EQ(Cleaner::deleteItems({{item, 4'096}}, h.mac), (CleanResult{4'096, {}}));
    EXPECT_FALSE(present(item));
    EXPECT_TRUE(present(record));
}

TEST(Cleaner, RemovesNamesThatAreNotUtf8) {
    Home h;
    const std::string odd = "caf\xe9-\xff\xfe";
    const fs::path item = h.tree.file("home/.cache/" + odd + "/\x80\x81.bin", 10'000);
    h.tree.file("home/.cache/" + odd + "/" + odd + "/x", 10);
    const fs::path folder = item.parent_path();
    EXPECT_EQ(Cleaner::deleteItems({{folder, 12'288}}, h.freedesktop), (CleanResult{12'288, {}}));
    EXPECT_FALSE(present(folder));
}

std::size_t highestOpenDescriptor() {
    std::size_t highest = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
        highest = std::max<std::size_t>(highest, std::stoul(entry.path().filename().native()));
    return highest;
}

TEST(Cleaner, RemovesATreeDeeperThanAnyPathWithFewDescriptors) {
    Home h;
    const fs::path item = h.tree.dir("home/.cache/deep");
    // 1000 levels of 15-byte names: the path to the bottom is far longer than PATH_MAX, so the tree
    // can only be built, and removed, relative to folder descriptors.
    constexpr int kLevels = 1000;
    int fd = ::open(item.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < kLevels; ++level) {
        char name[32];
        std::snprintf(name, sizeof name, "level-%08d", level);
        ASSERT_EQ(::mkdirat(fd, name, 0755), 0);
        if (level % 100 == 0) {
            const int file = ::openat(fd, "file", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            ASSERT_GE(file, 0);
            ASSERT_EQ(::write(file, "data", 4), 4);
            ::close(file);
        }
        const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    ::close(fd);

    // With only a few descriptors to spare, a walk that keeps one per level could not finish.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = highestOpenDescriptor() + 40;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const CleanResult result = Cleaner::deleteItems({{item, 1'000'000}}, h.freedesktop);
    ::setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(result, (CleanResult{1'000'000, {}}));
    EXPECT_FALSE(present(item));
}

TEST(Cleaner, LeavesNoDescriptorOpen) {
    Home h;
    h.tree.file("home/.cache/app/a/b/c/d", 10);
    const std::size_t before =
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    Cleaner::deleteItems({{h.cache / "app", 10}, {h.cache / "nothing", 10}}, h.freedesktop);
    const std::size_t after =
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    EXPECT_EQ(before, after);
}

// ---- A file system mounted inside an item is left alone. ----

enum ChildExit : int {
    kPassed = 0,
    kNoNamespaces = 77,
    kMountedFileGone = 1,
    kBoundFileGone = 2,
    kRestNotRemoved = 3,
    kWrongResult = 4,
};

bool writeFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// Runs in a child process, in a mount namespace of its own, so no mount is seen outside it.
int removeAroundMounts(const Home& h, const fs::path& item, const fs::path& precious) {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0) return kNoNamespaces;
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return kNoNamespaces;
        writeFile("/proc/self/setgroups", "deny");
        if (!writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return kNoNamespaces;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return kNoNamespaces;
    const fs::path tmpfs = item / "tmpfs";
    const fs::path bound = item / "bound";
    if (::mount("tmpfs", tmpfs.c_str(), "tmpfs", 0, "size=1m") != 0) return kNoNamespaces;
    // A bind mount of a folder on the same file system: same device, another mount.
    if (::mount(precious.c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0) return kNoNamespaces;
    std::ofstream(tmpfs / "kept.txt") << "on another file system";

    const CleanResult result = Cleaner::deleteItems({{item, 100'000}}, h.freedesktop);
    if (!present(tmpfs / "kept.txt")) return kMountedFileGone;
    if (!present(bound / "file")) return kBoundFileGone;
    if (present(item / "data") || present(item / "sub")) return kRestNotRemoved;
    // What stays cannot be measured from the item's file system, yet it stays: the item failed.
    if (result.failed != std::vector<fs::path>{item}) return kWrongResult;
    return kPassed;
}

TEST(Cleaner, LeavesFileSystemsMountedInsideAnItemAlone) {
    Home h;
    const fs::path item = h.tree.dir("home/.cache/mounted");
    h.tree.dir("home/.cache/mounted/tmpfs");
    h.tree.dir("home/.cache/mounted/bound");
    h.tree.file("home/.cache/mounted/data", 10'000);
    h.tree.file("home/.cache/mounted/sub/more", 10'000);
    const fs::path precious = h.tree.dir("precious");
    h.tree.file("precious/file", 100);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(removeAroundMounts(h, item, precious));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died with status " << status;
    if (WEXITSTATUS(status) == kNoNamespaces) GTEST_SKIP() << "mount namespaces are not available here";
    EXPECT_EQ(WEXITSTATUS(status), kPassed) << "see ChildExit for the meaning";
    EXPECT_TRUE(present(precious / "file"));
}

// ---- Races: a folder inside the item swapped for a link to a precious folder. ----

struct Precious {
    fs::path folder;
    std::size_t entries;
};

Precious makePrecious(test::TempTree& tree, const std::string& where) {
    for (int i = 0; i < 5; ++i)
        tree.file(where + "/file" + std::to_string(i), 10);
    tree.file(where + "/deeper/inner", 10);
    return {tree.path(where), countEntries(tree.path(where))};
}

void fillItem(test::TempTree& tree, const std::string& where) {
    for (int i = 0; i < 8; ++i) {
        tree.file(where + "/f" + std::to_string(i), 1);
        tree.file(where + "/sub/s" + std::to_string(i), 1);
        tree.file(where + "/sub/deeper/d" + std::to_string(i), 1);
    }
}

// Exchanges two names back and forth, atomically, until told to stop or one of them is gone.
class Swapper {
public:
    Swapper(fs::path a, fs::path b)
        : m_thread([this, a = std::move(a), b = std::move(b)] {
              while (!m_stop.load(std::memory_order_relaxed)) {
                  if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) != 0) break;
                  m_swaps.fetch_add(1, std::memory_order_relaxed);
              }
          }) {}
    ~Swapper() { stop(); }
    Swapper(const Swapper&) = delete;
    Swapper& operator=(const Swapper&) = delete;

    void stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    long swaps() const { return m_swaps.load(); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_swaps{0};
    std::thread m_thread;
};

TEST(Cleaner, AFolderSwappedForALinkDuringRemovalNeverLeadsOutside) {
    Home h;
    const Precious precious = makePrecious(h.tree, "precious");
    long swaps = 0;
    for (int round = 0; round < 200; ++round) {
        const std::string item = "home/.cache/item" + std::to_string(round);
        fillItem(h.tree, item);
        h.tree.symlink(item + "/link", precious.folder);
        Swapper swapper(h.tree.path(item + "/sub"), h.tree.path(item + "/link"));
        Cleaner::deleteItems({{h.tree.path(item), 1}}, h.freedesktop);
        swapper.stop();
        swaps += swapper.swaps();
        ASSERT_EQ(countEntries(precious.folder), precious.entries) << "round " << round;
        // Whatever the swaps left behind goes now, without a race.
        Cleaner::deleteItems({{h.tree.path(item), 1}}, h.freedesktop);
        ASSERT_FALSE(present(h.tree.path(item))) << "round " << round;
    }
    EXPECT_GT(swaps, 0);
}

TEST(Cleaner, AParentSwappedForALinkDuringRemovalNeverLeadsOutside) {
    Home h;
    // The precious folder has the same name as the item, below the folder the link points to.
    const Precious precious = makePrecious(h.tree, "elsewhere/victim");
    for (int round = 0; round < 200; ++round) {
        const std::string parent = "home/.cache/p" + std::to_string(round);
        fillItem(h.tree, parent + "/victim");
        h.tree.symlink(parent + "-link", h.tree.path("elsewhere"));
        Swapper swapper(h.tree.path(parent), h.tree.path(parent + "-link"));
        Cleaner::deleteItems({{h.tree.path(parent + "/victim"), 1}}, h.freedesktop);
        swapper.stop();
        ASSERT_EQ(countEntries(precious.folder), precious.entries) << "round " << round;
    }
}

// ---- Moving to the Trash, with the environment Qt reads pointed at a fixture. ----

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const fs::path& folder) : m_old(fs::current_path()) {
        fs::current_path(folder);
    }
    ~ScopedWorkingFolder() { fs::current_path(m_old); }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    fs::path m_old;
};

struct TrashHome {
    Home h;
    ScopedWorkingFolder cwd{h.tree.dir("cwd")};
    ScopedEnv home{"HOME", h.home.native()};
    ScopedEnv data;

    explicit TrashHome(const std::optional<std::string>& dataHome) : data("XDG_DATA_HOME", dataHome) {}
};

TEST(CleanerTrash, MovesFilesIntoTheTrashWithARecordAndReportsWhatFailed) {
    TrashHome t(std::nullopt);
    const fs::path file = t.h.tree.file("home/Movies/big.mov", 1'000);
    const fs::path folder = t.h.tree.file("home/Movies/project/cut.mov", 1'000).parent_path();
    const fs::path missing = t.h.home / "Movies" / "missing.mov";

    const TrashMoveResult result = Cleaner::moveToTrash({file, missing, folder, "relative.mov"});

    EXPECT_EQ(result, (TrashMoveResult{{file, folder}, {missing, "relative.mov"}}));
    const fs::path trash = t.h.home / ".local/share/Trash";
    EXPECT_FALSE(present(file));
    EXPECT_TRUE(present(trash / "files/big.mov"));
    EXPECT_TRUE(present(trash / "info/big.mov.trashinfo"));
    EXPECT_TRUE(present(trash / "files/project/cut.mov"));
    EXPECT_TRUE(present(trash / "info/project.trashinfo"));
    EXPECT_EQ(Cleaner::moveToTrash({}), TrashMoveResult{});
}

TEST(CleanerTrash, CreatesAMissingDataHomeRatherThanUsingTheWorkingFolder) {
    TrashHome t(std::nullopt);
    const fs::path dataHome = t.h.tree.path("nowhere/yet/share");
    ScopedEnv data("XDG_DATA_HOME", dataHome.native());
    const fs::path file = t.h.tree.file("home/big.iso", 1'000);

    EXPECT_EQ(Cleaner::moveToTrash({file}), (TrashMoveResult{{file}, {}}));
    EXPECT_TRUE(present(dataHome / "Trash/files/big.iso"));
    EXPECT_TRUE(present(dataHome / "Trash/info/big.iso.trashinfo"));
    EXPECT_FALSE(present(t.h.tree.path("cwd/files")));
    struct stat st {};
    ASSERT_EQ(::stat((dataHome / "Trash").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(CleanerTrash, ARelativeDataHomeMovesNothing) {
    // The XDG rules ignore a relative data home; Qt would take it as relative to the working folder.
    TrashHome t(std::string("relative/share"));
    const fs::path file = t.h.tree.file("home/big.iso", 1'000);
    EXPECT_EQ(Cleaner::moveToTrash({file}), (TrashMoveResult{{}, {file}}));
    EXPECT_TRUE(present(file));
    EXPECT_EQ(countEntries(t.h.tree.path("cwd")), 0u);
}

TEST(CleanerTrash, WithoutAHomeFolderNothingIsMoved) {
    Home h;
    ScopedWorkingFolder cwd(h.tree.dir("cwd"));
    ScopedEnv home("HOME", h.tree.path("no-such-home").native());
    ScopedEnv data("XDG_DATA_HOME", h.tree.path("data").native());
    const fs::path file = h.tree.file("file.txt", 100);
    EXPECT_EQ(Cleaner::moveToTrash({file}), (TrashMoveResult{{}, {file}}));
    EXPECT_TRUE(present(file));
}

} // namespace
} // namespace brisklet
