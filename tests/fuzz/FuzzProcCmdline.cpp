// /proc/PID/cmdline: the arguments as a process left them, which it may have rewritten freely.

#include "core/fs/Utf8.h"
#include "core/proc/ProcessReader.h"

#include "FuzzCheck.h"

FUZZ_TEXT_HARNESS(text) {
    const auto args = ProcessReader::splitArguments(text);
    // One argument per NUL, plus an unterminated last one.
    const auto nuls = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0'));
    FUZZ_CHECK(args.size() == nuls + (!text.empty() && text.back() != '\0' ? 1 : 0));
    for (const std::string& arg : args)
        FUZZ_CHECK(arg.find('\0') == std::string::npos && validUtf8(arg) == arg);
    // Text that was valid to begin with comes back unchanged.
    if (validUtf8(text) == text) {
        std::string joined;
        for (const std::string& arg : args)
            joined += arg + '\0';
        if (!text.empty() && text.back() != '\0') joined.pop_back();
        FUZZ_CHECK(joined == text);
    }
}
