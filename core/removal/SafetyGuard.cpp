#include "core/removal/SafetyGuard.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <forward_list>
#include <string_view>

namespace brisklet::SafetyGuard {

namespace fs = std::filesystem;

namespace {

// The macOS layout's roots, relative to the home folder, in the order they are tried.
constexpr std::array<std::string_view, 10> kHomeRoots = {
    "Library/Caches", "Library/Logs", "Library/Developer", "Library/pnpm", ".Trash",
    ".npm",           ".bun",         ".gradle",           ".cargo",       ".android"};

// The freedesktop layout's roots below the home folder itself (the XDG ones come first).
constexpr std::array<std::string_view, 6> kFreedesktopHomeRoots = {".npm",   ".bun",     ".gradle",
                                                                   ".cargo", ".android", "Library/Developer"};

// The kernel gives up after as many links in one lookup; so do we.
constexpr int kMaxLinks = 40;

bool isDotOrDotDot(std::string_view part) {
    return part == "." || part == "..";
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Whether `path` is `folder` or lies below it, component-wise.
bool isAtOrBelow(std::string_view path, std::string_view folder) {
    return startsWith(path, folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

// Components still to walk, the next one on top. Judging a path must stay cheap (a scan may judge
// thousands), so the usual few live on the stack.
class PartStack {
public:
    bool empty() const { return m_count == 0 && m_more.empty(); }
    std::string_view top() const { return m_more.empty() ? m_inline[m_count - 1] : m_more.back(); }
    void pop() {
        if (m_more.empty())
            --m_count;
        else
            m_more.pop_back();
    }
    void push(std::string_view part) {
        if (m_more.empty() && m_count < m_inline.size())
            m_inline[m_count++] = part;
        else
            m_more.push_back(part);
    }
    // Pushes the non-empty components of a slash-separated path, the first one last, so that popping
    // walks them in order. Doubled and trailing slashes say nothing.
    void pushComponents(std::string_view path) {
        while (!path.empty()) {
            const auto slash = path.rfind('/');
            const std::string_view part = slash == std::string_view::npos ? path : path.substr(slash + 1);
            if (!part.empty()) push(part);
            path = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
        }
    }

private:
    std::array<std::string_view, 48> m_inline;
    std::size_t m_count = 0;
    std::vector<std::string_view> m_more;
};

// The folder reached so far, as text for lstat. It can never usefully be longer than a path the
// kernel accepts, so it lives on the stack too.
class PathText {
public:
    std::size_t size() const { return m_size; }
    const char* c_str() const { return m_text; }
    std::string str() const { return m_size == 0 ? std::string("/") : std::string(m_text, m_size); }
    void truncate(std::size_t size) {
        m_size = size;
        m_text[m_size] = '\0';
    }
    void toParent() {
        while (m_size > 0 && m_text[m_size - 1] != '/')
            --m_size;
        truncate(m_size > 0 ? m_size - 1 : 0);
    }
    bool append(std::string_view part) {
        if (m_size + 1 + part.size() >= sizeof m_text) return false;
        m_text[m_size++] = '/';
        std::memcpy(m_text + m_size, part.data(), part.size());
        truncate(m_size + part.size());
        return true;
    }

private:
    char m_text[PATH_MAX] = {}; // empty stands for "/"
    std::size_t m_size = 0;
};

// Link targets are short as a rule; the buffer grows for the rare long one, up to what the kernel
// would follow.
constexpr std::size_t kFirstLinkBuffer = 256;

bool readLink(const char* link, std::string& target) {
    for (std::size_t size = kFirstLinkBuffer; size <= PATH_MAX; size *= 2) {
        target.resize(size);
        const ssize_t length = ::readlink(link, target.data(), size);
        // An empty target names nothing.
        if (length <= 0) return false;
        // A target that fills the buffer may have been cut short: read it again into a larger one.
        if (static_cast<std::size_t>(length) < size) {
            target.resize(static_cast<std::size_t>(length));
            return true;
        }
    }
    return false;
}

struct Resolved {
    std::string path;
    bool complete = false; // every component exists
};

// Resolves an absolute path as a folder, one component at a time as the kernel would: each link is
// replaced by its target before the components after it apply. Where a component does not exist,
// the rest is appended as text (see the header for why "." and ".." are refused there). A path
// longer than the kernel accepts is refused.
std::optional<Resolved> resolveFolder(std::string_view path) {
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos) return std::nullopt;
    // Link targets live here while their components are walked; the list never moves its elements.
    std::forward_list<std::string> targets;
    PartStack pending;
    pending.pushComponents(path);
    PathText real;
    int links = 0;
    while (!pending.empty()) {
        const std::string_view part = pending.top();
        pending.pop();
        if (part == ".") continue;
        if (part == "..") {
            real.toParent();
            continue;
        }
        const std::size_t folderLength = real.size();
        if (!real.append(part)) return std::nullopt;
        struct stat st {};
        if (::lstat(real.c_str(), &st) != 0) {
            if (errno != ENOENT) return std::nullopt;
            for (; !pending.empty(); pending.pop()) {
                if (isDotOrDotDot(pending.top()) || !real.append(pending.top())) return std::nullopt;
            }
            return Resolved{real.str(), false};
        }
        if (S_ISDIR(st.st_mode)) continue;
        std::string target;
        if (!S_ISLNK(st.st_mode) || ++links > kMaxLinks || !readLink(real.c_str(), target))
            return std::nullopt;
        real.truncate(target.front() == '/' ? 0 : folderLength);
        targets.push_front(std::move(target));
        pending.pushComponents(targets.front());
    }
    return Resolved{real.str(), true};
}

std::string resolvedOrEmpty(const fs::path& path) {
    const auto resolved = resolveFolder(path.native());
    return resolved ? resolved->path : std::string();
}

// A root that is "/", the home folder or one of its ancestors would admit the whole home folder:
// no setting of $TMPDIR or of the XDG variables may widen the guard that far.
bool isNarrowEnough(const std::string& root, const std::string& home) {
    if (root == "/") return false;
    return home.empty() || !(home == root || startsWith(home, root + "/"));
}

} // namespace

std::string Target::path() const {
    return parent == "/" ? "/" + name : parent + "/" + name;
}

Roots resolveRoots(const Locations& locations) {
    Roots roots;
    roots.home = resolvedOrEmpty(locations.home);
    // Without a home folder no root can be checked against it (a relative one names nothing), and a
    // home folder that is "/" holds everything.
    if (roots.home.empty() || roots.home == "/") {
        roots.home.clear();
        return roots;
    }

    std::vector<fs::path> candidates;
    if (locations.layout == JunkLayout::macOS) {
        for (const std::string_view relative : kHomeRoots)
            candidates.push_back(locations.home / relative);
    } else {
        candidates.push_back(locations.cacheHome);
        candidates.push_back(locations.dataHome / "Trash");
        candidates.push_back(locations.dataHome / "xorg");
        candidates.push_back(locations.dataHome / "pnpm");
        for (const std::string_view relative : kFreedesktopHomeRoots)
            candidates.push_back(locations.home / relative);
        candidates.push_back(locations.crashDir);
        roots.trashFiles = resolvedOrEmpty(locations.dataHome / "Trash" / "files");
        roots.trashInfo = resolvedOrEmpty(locations.dataHome / "Trash" / "info");
    }
    candidates.push_back(locations.tempDir);

    for (const fs::path& candidate : candidates) {
        const auto resolved = resolveFolder(candidate.native());
        if (resolved && isNarrowEnough(resolved->path, roots.home)) roots.paths.push_back(resolved->path);
    }
    return roots;
}

std::optional<Target> admit(const fs::path& url, const Roots& roots) {
    return admitText(url.native(), roots);
}

std::optional<Target> admitText(std::string_view text, const Roots& roots) {
    if (text.empty() || text.front() != '/' || text.find('\0') != std::string_view::npos) return std::nullopt;
    while (text.size() > 1 && text.back() == '/')
        text.remove_suffix(1);
    const std::string_view name = text.substr(text.rfind('/') + 1);
    if (name.empty() || isDotOrDotDot(name)) return std::nullopt;
    const auto parent = resolveFolder(text.substr(0, text.size() - name.size()));
    if (!parent) return std::nullopt;

    // The target is strictly below a folder exactly when its parent is that folder or lies below it.
    const auto admitted = [&](std::string root) {
        return Target{parent->path, std::string(name), std::move(root), parent->complete};
    };
    // Only the home rule applies to a node_modules folder, even one in the temporary folder.
    if (name == "node_modules") {
        if (roots.home.size() > 1 && isAtOrBelow(parent->path, roots.home)) return admitted({});
        return std::nullopt;
    }
    for (const std::string& root : roots.paths) {
        if (isAtOrBelow(parent->path, root)) return admitted(root);
    }
    return std::nullopt;
}

bool canDelete(const fs::path& url, const Roots& roots) {
    return admit(url, roots).has_value();
}

bool canDelete(const fs::path& url, const Locations& locations) {
    return canDelete(url, resolveRoots(locations));
}

} // namespace brisklet::SafetyGuard
