#include "core/desktop/DesktopEntry.h"

#include "core/fs/SmallFile.h"
#include "core/fs/Utf8.h"

#include <sys/stat.h>

namespace brisklet {

namespace fs = std::filesystem;

namespace {

// Desktop files are small; a huge one is not a desktop file worth reading whole.
constexpr std::size_t kMaxDesktopFileSize = 1024 * 1024;

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
        const std::string_view line = trimmedLine(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trimmedLine(line.substr(0, equals));
        if (key.empty() || entry.keys.find(key) != entry.keys.end()) continue;
        entry.keys.emplace(std::string(key), validUtf8(unescaped(trimmedLine(line.substr(equals + 1)))));
    }
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::read(const fs::path& file) {
    const auto contents = readSmallFile(file, kMaxDesktopFileSize);
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
