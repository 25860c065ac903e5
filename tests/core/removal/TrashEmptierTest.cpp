#include "core/removal/TrashEmptier.h"
#include "core/fs/MountedVolumes.h"
#include "core/removal/SystemActions.h"

#include "support/Entries.h"
#include "support/MountNamespace.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

using test::namesIn;

struct Emptying : ::testing::Test {
    test::TempTree tree;
    Locations locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    std::string uid = std::to_string(::getuid());

    // One trashed entry the way a file manager leaves it: the thing itself and its description.
    void trashed(const std::string& trash, const std::string& name) {
        tree.file(trash + "/files/" + name + "/inner/deeper/file", 100);
        tree.file(trash + "/files/" + name + "/.hidden", 10);
        tree.text(trash + "/info/" + name + ".trashinfo", "[Trash Info]\nPath=/somewhere/" + name + "\n");
    }
};

TEST_F(Emptying, RemovesEverythingFromTheHomeTrash) {
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}), Outcome::done()) << "a missing Trash is an empty one";
    const std::string trash = "home/.local/share/Trash";
    trashed(trash, "folder");
    // Links in the Trash go; what they point to stays.
    tree.build(R"(
        home/.local/share/Trash/files/{.hidden-file,no-description}
        home/.local/share/Trash/info/long-gone.trashinfo = [Trash Info]\nPath=/h/long-gone\n
        home/.local/share/Trash/info/notes.txt = not a description: not ours to judge
        home/.local/share/Trash/expunged/half-deleted/x
        home/.local/share/Trash/directorysizes = 4096 1700000000 folder\n
        precious/keep.txt
        home/.local/share/Trash/files/link-to-precious -> @precious
        home/.local/share/Trash/files/dangling -> @nowhere)");

    EXPECT_EQ(SystemActions::emptyTrash(locations, {}), Outcome::done());
    EXPECT_EQ(namesIn(tree.path(trash)), (std::vector<std::string>{"expunged", "files", "info"}));
    EXPECT_TRUE(namesIn(tree.path(trash + "/files")).empty());
    EXPECT_EQ(namesIn(tree.path(trash + "/info")), std::vector<std::string>{"notes.txt"});
    EXPECT_TRUE(namesIn(tree.path(trash + "/expunged")).empty());
    EXPECT_TRUE(fs::exists(tree.path("precious/keep.txt")));
}

TEST_F(Emptying, NeverFollowsALinkInPlaceOfTheTrashOrItsParts) {
    tree.build("elsewhere/files/keep\nelsewhere/info/keep.trashinfo\nhome/.local/share/Trash -> @elsewhere");
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}),
              Outcome::failed("1 item couldn't be removed. Not a directory."));

    fs::remove(tree.path("home/.local/share/Trash"));
    tree.build(R"(
        home/.local/share/Trash/{files,expunged} -> @elsewhere/files
        home/.local/share/Trash/info/keep.trashinfo = [Trash Info]\nPath=/keep\n)");
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}),
              Outcome::failed("2 items couldn't be removed. Not a directory."));
    // Counted in plain digits, with the first reason when there is one.
    EXPECT_EQ(TrashEmptier::failureMessage({3, 0}), "3 items couldn't be removed.");
    EXPECT_TRUE(fs::exists(tree.path("elsewhere/files/keep")));
    // Unknown entries: no description can be called an orphan.
    EXPECT_TRUE(fs::exists(tree.path("home/.local/share/Trash/info/keep.trashinfo")));
}

TEST_F(Emptying, FindsOnlyThisUsersTrashOnEachVolume) {
    const std::string other = std::to_string(::getuid() + 1);
    trashed("vol1/.Trash-" + uid, "a");
    trashed("vol2/.Trash/" + uid, "b");
    ::chmod(tree.path("vol2/.Trash").c_str(), 01777);
    // Not trusted: a shared .Trash without the sticky bit, a linked .Trash, a linked .Trash-UID,
    // another user's trash.
    trashed("vol3/.Trash/" + uid, "c");
    ::chmod(tree.path("vol3/.Trash").c_str(), 0777);
    trashed("elsewhere/" + uid, "d");
    ::chmod(tree.path("elsewhere").c_str(), 01777);
    tree.symlink("vol4/.Trash", tree.path("elsewhere"));
    trashed("elsewhere-too", "e");
    tree.symlink("vol4/.Trash-" + uid, tree.path("elsewhere-too"));
    trashed("vol1/.Trash-" + other, "f");
    trashed("vol2/.Trash/" + other, "g");

    // Named for the other user but owned by us: not that user's trash either.
    EXPECT_EQ(TrashEmptier::emptyVolumeTrashes({tree.path("vol1"), tree.path("vol2")}, ::getuid() + 1),
              TrashEmptier::Result{});
    // A volume that cannot be used is passed over; the ones after it still count.
    const std::vector<fs::path> volumes = {tree.path("no-such-volume"), tree.path("vol3"), tree.path("vol4"),
                                           tree.path("vol1"), tree.path("vol2")};
    EXPECT_EQ(SystemActions::emptyTrash(locations, volumes), Outcome::done());
    EXPECT_TRUE(namesIn(tree.path("vol1/.Trash-" + uid + "/files")).empty());
    EXPECT_TRUE(namesIn(tree.path("vol1/.Trash-" + uid + "/info")).empty());
    EXPECT_TRUE(namesIn(tree.path("vol2/.Trash/" + uid + "/files")).empty());
    for (const std::string& kept : {"vol3/.Trash/" + uid + "/files/c", "elsewhere/" + uid + "/files/d",
                                    std::string("elsewhere-too/files/e"), "vol1/.Trash-" + other + "/files/f",
                                    "vol2/.Trash/" + other + "/files/g"})
        EXPECT_TRUE(fs::exists(tree.path(kept))) << kept;
}

TEST_F(Emptying, RemovesTreesDeeperThanItKeepsOpenWithoutLeaking) {
    const fs::path files = tree.dir("home/.local/share/Trash/files");
    std::string deep = "home/.local/share/Trash/files";
    for (int depth = 0; depth < 300; ++depth)
        tree.file((deep += "/d") + "/f");
    // In a child, where no idle pool thread ends meanwhile and closes its own descriptors.
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inChild([&](test::Checks& checks) {
        const std::size_t before = test::openDescriptors();
        checks.expect(SystemActions::emptyTrash(locations, {}) == Outcome::done(), "not emptied");
        checks.expect(namesIn(files).empty(), "entries left");
        checks.expect(test::openDescriptors() == before, "descriptors leaked");
    }));
}

TEST(MountInfo, ReadsMountPointsAndTypes) {
    const std::string text =
        "21 26 0:20 / /proc rw,relatime shared:12 - proc proc rw\n"
        "40 26 8:17 / /media/ann/My\\040Disk rw,nosuid shared:30 master:2 - vfat /dev/sdb1 rw\n"
        "41 26 0:45 / /mnt/tab\\011and\\134slash rw - tmpfs tmpfs rw\n"
        "garbage line\n"
        "42 26 0:46 / /mnt/no-separator rw shared:3 tmpfs tmpfs rw\n"
        "\n"
        "43 26 0:47 /sub relative rw - ext4 /dev/sdc1 rw\n"
        "44 26 0:48 / /last rw - btrfs /dev/sdd1 rw";
    const std::vector<MountEntry> expected = {{"/proc", "proc"},
                                              {"/media/ann/My Disk", "vfat"},
                                              {"/mnt/tab\tand\\slash", "tmpfs"},
                                              {"/last", "btrfs"}};
    EXPECT_EQ(MountedVolumes::parseMountInfo(text), expected);
    const std::pair<std::string, std::string> fields[] = {
        {"\\134\\134", "\\\\"},
        {"\\12", "\\12"},
        {"\\400", "\\400"},
        {"\\377", "\xFF"},
        {"\\08x", "\\08x"},
        {"end\\", "end\\"},
        {"caf\\303\\251", "caf\xC3\xA9"},
    };
    for (const auto& [field, unescaped] : fields)
        EXPECT_EQ(MountedVolumes::unescapeOctal(field), unescaped) << field;
}

TEST(MountInfo, OffersEachRealVolumeOnce) {
    test::TempTree tree;
    const fs::path table =
        tree.text("mountinfo", "21 26 0:20 / /proc rw - proc proc rw\n"
                               "22 26 0:21 / /sys rw - sysfs sysfs rw\n"
                               "25 23 0:23 / /dev/pts rw - devpts devpts rw\n"
                               "26 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                               "27 26 0:24 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                               "28 26 0:25 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse g rw\n"
                               "29 26 8:1 /home /home rw - ext4 /dev/sda1 rw\n"
                               "30 26 8:1 /home /home rw - ext4 /dev/sda1 rw\n");
    EXPECT_EQ(MountedVolumes::trashCapableMountPoints(table),
              (std::vector<fs::path>{"/", "/run/user/1000", "/home"}));
    EXPECT_TRUE(MountedVolumes::trashCapableMountPoints(tree.path("missing")).empty());
}

} // namespace
} // namespace brisklet
