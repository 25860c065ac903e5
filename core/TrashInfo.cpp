#include "core/TrashInfo.h"

#include "core/Utf8.h"

#include <fcntl.h>
#include <unistd.h>

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

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::string> readSmallFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::string contents;
    char buffer[4096];
    while (contents.size() < kMaxInfoSize) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return contents;
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
        const std::string_view line = trimmed(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);

        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[Trash Info]";
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || trimmed(line.substr(0, equals)) != "Path") continue;
        // Only the first Path= of the group counts, whatever it holds.
        const std::string decoded = validUtf8(percentDecode(trimmed(line.substr(equals + 1))));
        const auto slash = decoded.rfind('/');
        std::string name = slash == std::string::npos ? decoded : decoded.substr(slash + 1);
        if (name.empty()) return std::nullopt;
        return name;
    }
    return std::nullopt;
}

std::optional<std::string> originalName(const std::filesystem::path& infoFile) {
    const auto contents = readSmallFile(infoFile);
    if (!contents) return std::nullopt;
    return originalNameFromContents(*contents);
}

} // namespace brisklet::TrashInfo
