// /proc/PID/stat: a process names itself, so the name between the parentheses may hold anything.

#include "core/fs/Utf8.h"
#include "core/proc/ProcessReader.h"

#include "FuzzCheck.h"

FUZZ_TEXT_HARNESS(text) {
    if (const auto fields = ProcessReader::parseStat(text)) {
        // The name lies inside the text, from just after the first "(" to just before the last ")".
        const std::size_t start = static_cast<std::size_t>(fields->name.data() - text.data());
        FUZZ_CHECK(start >= 1 && start + fields->name.size() < text.size());
        FUZZ_CHECK(text.find('(') == start - 1);
        FUZZ_CHECK(text.rfind(')') == start + fields->name.size());
        validUtf8(fields->name);
    }
    // Whatever a process calls itself, a line written the way the kernel writes it gives the name back.
    const std::string line = "4242 (" + std::string(text) +
                             ") S 77 4242 4242 0 -1 4194560 1523 0 0 0 12 5 0 0 20 0 1 0 3456 9351168 896\n";
    const auto fields = ProcessReader::parseStat(line);
    FUZZ_CHECK(fields && fields->name == text && fields->parent == 77);
}
