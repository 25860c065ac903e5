#include "core/junk/TrashInfo.h"

#include "core/fs/SmallFile.h"
#include "core/fs/Utf8.h"

namespace brisklet::TrashInfo {

namespace {

// A .trashinfo holds one short path; anything far larger is not one.
constexpr std::size_t kMaxInfoSize = 64 * 1024;

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::optional<std::string> originalNameFromContents(std::string_view contents) {
    bool inGroup = false;
    while (!contents.empty()) {
        const auto end = contents.find('\n');
        const std::string_view line = trimmedLine(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);

        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || trimmedLine(line.substr(0, equals)) != "Path") continue;
        // Only the first Path= of the group counts, whatever it holds.
        const std::string decoded = validUtf8(percentDecode(trimmedLine(line.substr(equals + 1))));
        const auto slash = decoded.rfind('/');
        std::string name = slash == std::string::npos ? decoded : decoded.substr(slash + 1);
        if (name.empty()) return std::nullopt;
        return name;
    }
    return std::nullopt;
}

std::optional<std::string> originalName(const std::filesystem::path& infoFile) {
    const auto contents = readSmallFile(infoFile, kMaxInfoSize);
    if (!contents) return std::nullopt;
    return originalNameFromContents(*contents);
}

} // namespace brisklet::TrashInfo
