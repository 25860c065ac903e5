#include "core/DesktopEntry.h"

#include "core/Utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisklet {

namespace fs = std::filesystem;

namespace {

// Desktop files are small; a huge one is not a desktop file worth reading whole.
constexpr std::size_t kMaxDesktopFileSize = 1024 * 1024;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string unescaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[i + 1];
            const char decoded = next == 's'    ? ' '
                                 : next == 'n'  ? '\n'
                                 : next == 't'  ? '\t'
                                 : next == 'r'  ? '\r'
                                 : next == '\\' ? '\\'
                                                : '\0';
            if (decoded != '\0') {
                out += decoded;
                ++i;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

std::optional<std::string> readFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string contents;
    char buffer[8192];
    while (contents.size() < kMaxDesktopFileSize) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0) {
                ::close(fd);
                return std::nullopt;
            }
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return contents;
}

} // namespace

std::optional<std::string> DesktopEntry::value(std::string_view key) const {
    const auto it = keys.find(key);
    if (it == keys.end()) return std::nullopt;
    return it->second;
}

DesktopEntry DesktopEntry::parse(std::string_view contents) {
    DesktopEntry entry;
    bool inGroup = false;
    while (!contents.empty()) {
        const auto end = contents.find('\n');
        const std::string_view line = trimmed(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trimmed(line.substr(0, equals));
        if (key.empty() || entry.keys.find(key) != entry.keys.end()) continue;
        entry.keys.emplace(std::string(key), validUtf8(unescaped(trimmed(line.substr(equals + 1)))));
    }
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::read(const fs::path& file) {
    const auto contents = readFile(file);
    if (!contents) return std::nullopt;
    DesktopEntry entry = parse(*contents);
    entry.path = file;
    std::string name = file.filename().native();
    if (name.size() > 8 && name.ends_with(".desktop")) name.resize(name.size() - 8);
    entry.id = std::move(name);
    return entry;
}

bool DesktopEntry::isShownApplication() const {
    const auto name = value("Name");
    return value("Type") == "Application" && name && !name->empty() && !flag("NoDisplay") && !flag("Hidden");
}

std::vector<fs::path> applicationFolders(const Locations& locations) {
    std::vector<fs::path> folders{locations.dataHome / "applications"};
    for (const fs::path& dir : locations.dataDirs)
        folders.push_back(dir / "applications");
    return folders;
}

std::optional<DesktopEntry> findDesktopEntry(std::string_view id, const Locations& locations) {
    // A name that could step out of the folder is no desktop id.
    if (id.empty() || id.find('/') != std::string_view::npos || id == "." || id == "..") return std::nullopt;
    const std::string fileName = std::string(id) + ".desktop";
    for (const fs::path& folder : applicationFolders(locations)) {
        const fs::path file = folder / fileName;
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) continue;
        // The first file with the id decides, even when it can't be read or hides the app.
        if (auto entry = DesktopEntry::read(file)) return entry;
        DesktopEntry unreadable;
        unreadable.id = std::string(id);
        unreadable.path = file;
        return unreadable;
    }
    return std::nullopt;
}

std::optional<InstalledApplication> applicationWithId(std::string_view id, const Locations& locations) {
    const auto entry = findDesktopEntry(id, locations);
    if (!entry || !entry->isShownApplication()) return std::nullopt;
    return InstalledApplication{*entry->value("Name"), entry->path};
}

} // namespace brisklet
