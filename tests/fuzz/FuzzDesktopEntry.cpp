// A desktop entry: any installed package, or the user, may have written it.

#include "core/desktop/DesktopEntry.h"
#include "core/fs/Utf8.h"

#include "FuzzCheck.h"

namespace {

// A value written so that reading it gives it back: every escape the format knows, and spaces
// escaped too so that none is trimmed away at either end.
std::string escaped(std::string_view value) {
    std::string out;
    for (const char c : value) {
        const char* escape = c == '\\'   ? "\\\\"
                             : c == '\n' ? "\\n"
                             : c == '\t' ? "\\t"
                             : c == '\r' ? "\\r"
                             : c == ' '  ? "\\s"
                                         : nullptr;
        escape ? out += escape : out += c;
    }
    return out;
}

} // namespace

FUZZ_TEXT_HARNESS(text) {
    const DesktopEntry entry = DesktopEntry::parse(text);
    entry.isShownApplication();
    std::string written = "# written back\n[Desktop Entry]\n";
    for (const auto& [key, value] : entry.keys) {
        // A key is what comes before the first "=" of a line that is no comment and no group header.
        FUZZ_CHECK(!key.empty() && key.find_first_of("=\n") == std::string::npos);
        FUZZ_CHECK(key.front() != '#' && key.front() != '[');
        FUZZ_CHECK(key.front() != ' ' && key.front() != '\t');
        FUZZ_CHECK(key.back() != ' ' && key.back() != '\t' && key.back() != '\r');
        FUZZ_CHECK(validUtf8(value) == value);
        written += key + "=" + escaped(value) + "\n";
    }
    written += "[Other Group]\nName=not this one\n";
    // What was read, written back, reads the same.
    FUZZ_CHECK(DesktopEntry::parse(written).keys == entry.keys);
}
