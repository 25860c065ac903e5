// Desktop entries and their Exec= values: any installed package, or the user, may have written them.

#include "core/desktop/DesktopEntry.h"
#include "core/desktop/DesktopExec.h"
#include "core/fs/Utf8.h"

#include "FuzzCheck.h"

namespace {

// A value written so that reading it gives it back: every escape the format knows, and spaces
// escaped too so that none is trimmed away at either end.
std::string escaped(std::string_view value) {
    std::string out;
    for (const char c : value) {
        const std::size_t i = std::string_view("\\\n\t\r ").find(c);
        out += i == std::string_view::npos ? std::string(1, c) : std::string("\\") + "\\ntrs"[i];
    }
    return out;
}

// Every argument in double quotes, with the four characters that need it escaped.
std::string quoted(const std::vector<std::string>& arguments) {
    std::string out;
    for (const std::string& a : arguments) {
        out += out.empty() ? "\"" : " \"";
        for (const char c : a) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
            out += c;
        }
        out += '"';
    }
    return out;
}

void checkProgram(const std::vector<std::string>& arguments) {
    const std::string program = execProgram(arguments);
    FUZZ_CHECK(program.empty() || std::find(arguments.begin(), arguments.end(), program) != arguments.end());
}

} // namespace

// A desktop entry: any installed package, or the user, may have written it.
FUZZ_FORMAT(DesktopEntry, text) {
    const DesktopEntry entry = DesktopEntry::parse(text);
    entry.isShownApplication();
    std::string written = "# written back\n[Desktop Entry]\n";
    for (const auto& [key, value] : entry.keys) {
        // A key is what comes before the first "=" of a line that is no comment and no group header.
        FUZZ_CHECK(!key.empty() && key.find_first_of("=\n") == std::string::npos);
        FUZZ_CHECK(std::string_view("#[ \t").find(key.front()) == std::string_view::npos);
        FUZZ_CHECK(std::string_view(" \t\r").find(key.back()) == std::string_view::npos);
        FUZZ_CHECK(validUtf8(value) == value);
        written += key + "=" + escaped(value) + "\n";
    }
    written += "[Other Group]\nName=not this one\n";
    // What was read, written back, reads the same.
    FUZZ_CHECK(DesktopEntry::parse(written).keys == entry.keys);
}

// The Exec= value of a desktop entry, split into arguments the way a launcher would.
FUZZ_FORMAT(DesktopExec, text) {
    if (const auto arguments = execArguments(text)) {
        checkProgram(*arguments);
        // The arguments, quoted, split back into themselves.
        FUZZ_CHECK(execArguments(quoted(*arguments)) == *arguments);
    }
    // So does any argument vector at all (here the input's NUL-separated pieces).
    std::vector<std::string> pieces;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    FUZZ_CHECK(execArguments(quoted(pieces)) == pieces);
    checkProgram(pieces);
}
