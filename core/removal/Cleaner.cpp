#include "core/removal/Cleaner.h"

#include "core/fs/FileSize.h"
#include "core/removal/SafeRemove.h"
#include "core/removal/SafetyGuard.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace brisklet::Cleaner {

namespace fs = std::filesystem;

namespace {

// Sizes come from the caller; a sum of absurd ones must saturate rather than overflow.
std::int64_t plus(std::int64_t total, std::int64_t bytes) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(total, bytes, &sum)) return std::numeric_limits<std::int64_t>::max();
    return sum;
}

bool isAtOrBelow(const std::string& path, const std::string& folder) {
    return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

// An entry of the freedesktop Trash is described by info/NAME.trashinfo; once the entry is gone the
// record would only make the Trash list a file it no longer holds. It goes through the guard like
// everything else removed here.
void forgetTrashRecord(const SafetyGuard::Target& target, const SafetyGuard::Roots& roots) {
    if (roots.trashFiles.empty() || roots.trashInfo.empty() || target.parent != roots.trashFiles) return;
    const fs::path record = fs::path(roots.trashInfo) / (target.name + ".trashinfo");
    const auto admitted = SafetyGuard::admit(record, roots);
    if (admitted && admitted->parentExists)
        SafeRemove::removeNonFolder(admitted->parent, admitted->name, admitted->root);
}

bool isFolder(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the missing folders of an absolute path, private to the user as the XDG rules ask.
bool makeFolders(const fs::path& path) {
    fs::path partial;
    for (const fs::path& part : path) {
        partial /= part;
        if (part.empty() || isFolder(partial)) continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && !(errno == EEXIST && isFolder(partial))) return false;
    }
    return isFolder(path);
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Qt 6.4 moves a file into ./files under the working directory when $XDG_DATA_HOME does not exist,
// to the volume's own trash when the home folder does not exist, and takes a relative
// $XDG_DATA_HOME as relative to the working directory (where the XDG rules ignore it). So the home
// Trash is made ready first, from the same environment Qt reads, and in the cases where Qt and the
// XDG rules would disagree nothing is moved at all.
std::optional<fs::path> prepareHomeTrash() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/' || !isFolder(home)) return std::nullopt;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] != '\0' && dataHome[0] != '/') return std::nullopt;
    const fs::path trash = Locations::current().dataHome / "Trash";
    if (!makeFolders(trash / "files") || !makeFolders(trash / "info")) return std::nullopt;
    return trash;
}

// A trash folder: the home Trash, or a volume's .Trash-UID or .Trash/UID that Qt uses for files on
// other file systems.
bool isTrashFolder(const fs::path& folder, const fs::path& homeTrash) {
    if (sameFolder(folder, homeTrash)) return true;
    const std::string uid = std::to_string(::getuid());
    const fs::path name = folder.filename();
    return name == ".Trash-" + uid || (name == uid && folder.parent_path().filename() == ".Trash");
}

bool arrivedInTrash(const fs::path& inTrash, const fs::path& homeTrash) {
    struct stat st {};
    return inTrash.is_absolute() && inTrash.has_filename() && inTrash.parent_path().filename() == "files" &&
           isTrashFolder(inTrash.parent_path().parent_path(), homeTrash) &&
           ::lstat(inTrash.c_str(), &st) == 0;
}

// Undoes a move that did not end in a Trash: the file goes back unless something took its place
// meanwhile, and the record Qt wrote beside it goes too.
void moveBack(const fs::path& moved, const fs::path& original) {
    if (::renameat2(AT_FDCWD, moved.c_str(), AT_FDCWD, original.c_str(), RENAME_NOREPLACE) != 0) return;
    const fs::path record =
        moved.parent_path().parent_path() / "info" / (moved.filename().native() + ".trashinfo");
    struct stat st {};
    if (::lstat(record.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(record.c_str());
}

bool moveOne(const fs::path& path, const fs::path& homeTrash) {
    if (!path.is_absolute()) return false;
    const QByteArray bytes(path.c_str(), static_cast<qsizetype>(path.native().size()));
    const QString name = QFile::decodeName(bytes);
    // A name Qt cannot carry unchanged would make it move some other file, or none.
    if (QFile::encodeName(name) != bytes) return false;
    QString inTrash;
    if (!QFile::moveToTrash(name, &inTrash)) return false;
    const fs::path arrived(QFile::encodeName(inTrash).toStdString());
    if (arrivedInTrash(arrived, homeTrash)) return true;
    moveBack(arrived, path);
    return false;
}

// Deletes one item and accounts for it. `removed` holds where the items removed so far really were,
// to tell an item that was inside one of them.
void deleteOne(const fs::path& url, std::int64_t givenSize, const Locations& locations,
               std::vector<std::string>& removed, CleanResult& result) {
    const std::int64_t size = std::max<std::int64_t>(givenSize, 0);
    // Resolved afresh for every item, as the guard would on its own: a long run of deletions does
    // not judge its later items by an old picture of the roots.
    const SafetyGuard::Roots roots = SafetyGuard::resolveRoots(locations);
    const auto target = SafetyGuard::admit(url, roots);
    if (!target) {
        result.failed.push_back(url);
        return;
    }
    const std::string where = target->path();
    const SafeRemove::Outcome outcome =
        target->parentExists ? SafeRemove::removeTree(target->parent, target->name, target->root)
                             : SafeRemove::Outcome{SafeRemove::State::absent, false, 0};
    switch (outcome.state) {
    case SafeRemove::State::unreachable:
    case SafeRemove::State::refused:
        // Nothing was touched: it could not be looked at, or it is a mount point or lies on one.
        result.failed.push_back(url);
        return;
    case SafeRemove::State::absent:
        // Something already gone freed its bytes all the same, unless they were counted with an
        // item removed before it in this call.
        if (std::none_of(removed.begin(), removed.end(),
                         [&](const std::string& folder) { return isAtOrBelow(where, folder); }))
            result.freed = plus(result.freed, size);
        forgetTrashRecord(*target, roots);
        return;
    case SafeRemove::State::removed:
        removed.push_back(where);
        result.freed = plus(result.freed, size);
        forgetTrashRecord(*target, roots);
        return;
    case SafeRemove::State::partial:
        removed.push_back(where);
        break;
    }
    const std::int64_t left = FileSize::onDisk(where);
    result.freed = plus(result.freed, std::max<std::int64_t>(size - left, 0));
    if (left >= 1 || outcome.leftUnmeasured) result.failed.push_back(url);
}

} // namespace

CleanResult deleteItems(const std::vector<std::pair<fs::path, std::int64_t>>& items,
                        const Locations& locations) {
    CleanResult result;
    std::vector<std::string> removed;
    try {
        for (const auto& [url, size] : items)
            deleteOne(url, size, locations, removed, result);
    } catch (...) {
        // Only allocation can fail; what was done and counted so far stands.
    }
    return result;
}

TrashMoveResult moveToTrash(const std::vector<fs::path>& paths) {
    TrashMoveResult result;
    if (paths.empty()) return result;
    const std::optional<fs::path> homeTrash = prepareHomeTrash();
    for (const fs::path& path : paths) {
        bool moved = false;
        try {
            moved = homeTrash && moveOne(path, *homeTrash);
        } catch (...) {
            // Only allocation can fail here; the file is where it was or in the Trash, as Qt left it.
        }
        (moved ? result.moved : result.failed).push_back(path);
    }
    return result;
}

} // namespace brisklet::Cleaner
