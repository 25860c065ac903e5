#include "core/fs/TildePath.h"

#include "core/fs/Utf8.h"

#include <string_view>

namespace brisklet {

namespace {

std::string_view withoutTrailingSlashes(std::string_view text) {
    while (text.size() > 1 && text.back() == '/')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string tildePath(const std::filesystem::path& path, const std::filesystem::path& home) {
    const std::string& full = path.native();
    const std::string_view homeText = withoutTrailingSlashes(home.native());
    // A home of "/" (or none) would turn every path into "~…"; show such paths as they are.
    if (homeText.empty() || homeText == "/" || homeText.front() != '/') return validUtf8(full);
    const std::string_view text(full);
    if (text.substr(0, homeText.size()) != homeText) return validUtf8(full);
    const std::string_view rest = text.substr(homeText.size());
    if (rest.empty() || rest == "/") return "~";
    if (rest.front() != '/') return validUtf8(full);
    std::string shown = validUtf8(rest);
    shown.insert(0, 1, '~');
    return shown;
}

} // namespace brisklet
