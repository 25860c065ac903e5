#include "core/removal/TrashEmptier.h"

#include "core/fs/Descriptor.h"
#include "core/fs/MountPlacement.h"
#include "core/removal/SafeRemove.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>
#include <type_traits>
#include <utility>

namespace brisklet {

namespace fs = std::filesystem;

namespace {

constexpr int kOpenDirectory = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::string_view kInfoSuffix = ".trashinfo";

struct Listing {
    std::vector<std::string> names;
    int error = 0;
};

// Reads every name first and removes afterwards: removing entries while a directory stream is
// still open may make it skip others on some file systems.
Listing listNames(int folderFd) {
    Listing listing;
    const int own = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) {
        listing.error = errno;
        return listing;
    }
    DIR* dir = ::fdopendir(own);
    if (!dir) {
        listing.error = errno;
        ::close(own);
        return listing;
    }
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            listing.error = errno;
            break;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        listing.names.emplace_back(name);
    }
    ::closedir(dir);
    return listing;
}

// Opens a part of a Trash folder (files/, info/, expunged/). Returns the descriptor, or -1 with
// `error` set: ENOENT for a part that is not there, EXDEV for one on another mount (a file system
// or a folder mounted there is not the Trash's to empty).
Descriptor openPart(int trashFd, const char* name, const MountPlacement& trash, int& error) {
    error = 0;
    Descriptor fd(::openat(trashFd, name, kOpenDirectory));
    if (!fd.valid()) {
        error = errno;
        return fd;
    }
    if (const auto where = placementAt(fd.get(), ""); !where) {
        error = errno;
        fd.reset();
    } else if (!staysOnMountOf(*where, trash)) {
        error = EXDEV;
        fd.reset();
    }
    return fd;
}

// Removes one entry of a part, reporting 0 when it is gone (or was never there), else why not.
int removeEntry(int parentFd, const std::string& name) {
    const SafeRemove::Outcome outcome = SafeRemove::removeAt(parentFd, name);
    switch (outcome.state) {
    case SafeRemove::State::absent:
    case SafeRemove::State::removed:
        return 0;
    default:
        return outcome.error != 0 ? outcome.error : EIO;
    }
}

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

void leftBehind(TrashEmptier::Result& result, int error) {
    ++result.notRemoved;
    if (result.firstError == 0) result.firstError = error;
}

TrashEmptier::Result emptyOpenFolder(int trashFd) {
    TrashEmptier::Result result;
    const auto trash = placementAt(trashFd, "");
    if (!trash) {
        leftBehind(result, errno);
        return result;
    }

    int filesError = 0;
    int infoError = 0;
    const Descriptor files = openPart(trashFd, "files", *trash, filesError);
    const Descriptor info = openPart(trashFd, "info", *trash, infoError);
    if (filesError != 0 && filesError != ENOENT) leftBehind(result, filesError);
    if (infoError != 0 && infoError != ENOENT) leftBehind(result, infoError);

    // Which files/ entries are known: without them no .trashinfo can be called an orphan.
    bool entriesKnown = filesError == 0 || filesError == ENOENT;
    std::set<std::string> infosTried;
    if (files.valid()) {
        const Listing listing = listNames(files.get());
        if (listing.error != 0) {
            leftBehind(result, listing.error);
            entriesKnown = false;
        }
        for (const std::string& name : listing.names) {
            int error = removeEntry(files.get(), name);
            // An entry that stays keeps its description, so the Trash still shows where it came from.
            if (error == 0 && info.valid()) {
                const std::string infoName = name + std::string(kInfoSuffix);
                infosTried.insert(infoName);
                error = removeEntry(info.get(), infoName);
            }
            if (error != 0) leftBehind(result, error);
        }
    }

    if (info.valid() && entriesKnown) {
        const Listing listing = listNames(info.get());
        if (listing.error != 0) leftBehind(result, listing.error);
        for (const std::string& name : listing.names) {
            if (!endsWith(name, kInfoSuffix) || infosTried.count(name) != 0) continue;
            if (files.valid()) {
                const std::string entry = name.substr(0, name.size() - kInfoSuffix.size());
                struct stat entrySt {};
                if (::fstatat(files.get(), entry.c_str(), &entrySt, AT_SYMLINK_NOFOLLOW) == 0 ||
                    errno != ENOENT)
                    continue;
            }
            if (const int error = removeEntry(info.get(), name); error != 0) leftBehind(result, error);
        }
    }

    int expungedError = 0;
    const Descriptor expunged = openPart(trashFd, "expunged", *trash, expungedError);
    if (expungedError != 0 && expungedError != ENOENT) leftBehind(result, expungedError);
    if (expunged.valid()) {
        const Listing listing = listNames(expunged.get());
        if (listing.error != 0) leftBehind(result, listing.error);
        for (const std::string& name : listing.names)
            if (const int error = removeEntry(expunged.get(), name); error != 0) leftBehind(result, error);
    }

    if (const int error = removeEntry(trashFd, "directorysizes"); error != 0) leftBehind(result, error);
    return result;
}

bool isOwnedFolder(const struct stat& st, uid_t uid) {
    return S_ISDIR(st.st_mode) && st.st_uid == uid;
}

// Opens `name` below `parentFd` as a Trash folder of `uid`: a real folder (not a link) owned by them.
Descriptor openOwnedFolder(int parentFd, const std::string& name, uid_t uid) {
    Descriptor fd(::openat(parentFd, name.c_str(), kOpenDirectory));
    struct stat st {};
    if (fd.valid() && (::fstat(fd.get(), &st) != 0 || !isOwnedFolder(st, uid))) fd.reset();
    return fd;
}

std::string errorText(int error) {
    char buffer[256] = {};
    // The GNU variant may return a static string instead of filling the buffer; the XSI one fills it.
    const auto pick = [&](auto returned) -> std::string {
        if constexpr (std::is_same_v<decltype(returned), int>)
            return returned == 0 ? std::string(buffer) : "Error " + std::to_string(error);
        else
            return std::string(returned);
    };
    return pick(::strerror_r(error, buffer, sizeof buffer));
}

} // namespace

namespace TrashEmptier {

Result& Result::operator+=(const Result& other) {
    notRemoved += other.notRemoved;
    if (firstError == 0) firstError = other.firstError;
    return *this;
}

Result emptyFolder(const fs::path& trash) {
    const Descriptor fd(::open(trash.c_str(), kOpenDirectory));
    if (!fd.valid()) {
        if (errno == ENOENT) return {};
        return {1, errno};
    }
    return emptyOpenFolder(fd.get());
}

Result emptyVolumeTrashes(const std::vector<fs::path>& mountPoints, uid_t uid) {
    Result result;
    const std::string uidText = std::to_string(uid);
#ifdef O_PATH
    // A volume's root need only be searchable, not readable, to reach the Trash folders on it.
    constexpr int kOpenTop = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
    constexpr int kOpenTop = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    for (const fs::path& top : mountPoints) {
        const Descriptor topFd(::open(top.c_str(), kOpenTop));
        if (!topFd.valid()) continue;

        // A shared .Trash counts only when it is a real sticky folder: without the sticky bit any
        // user could plant or swap another user's folder in it.
        const Descriptor shared(::openat(topFd.get(), ".Trash", kOpenDirectory));
        struct stat st {};
        if (shared.valid() && ::fstat(shared.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
            (st.st_mode & S_ISVTX)) {
            if (const Descriptor own = openOwnedFolder(shared.get(), uidText, uid); own.valid())
                result += emptyOpenFolder(own.get());
        }
        if (const Descriptor own = openOwnedFolder(topFd.get(), ".Trash-" + uidText, uid); own.valid())
            result += emptyOpenFolder(own.get());
    }
    return result;
}

std::string failureMessage(const Result& result) {
    std::string message = std::to_string(result.notRemoved) + (result.notRemoved == 1 ? " item" : " items") +
                          " couldn't be removed.";
    if (result.firstError != 0) message += " " + errorText(result.firstError) + ".";
    return message;
}

} // namespace TrashEmptier
} // namespace brisklet
