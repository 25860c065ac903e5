// The Exec= value of a desktop entry, split into arguments the way a launcher would.

#include "core/desktop/DesktopExec.h"

#include "FuzzCheck.h"

namespace {

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

FUZZ_TEXT_HARNESS(text) {
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
