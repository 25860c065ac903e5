#include "app/ProgramEntry.h"

#include <string_view>

namespace brisklet {

bool wantsReport(int argc, const char* const* argv) {
    for (int i = 0; i < argc; ++i)
        if (argv[i] != nullptr && std::string_view(argv[i]) == "--report") return true;
    return false;
}

} // namespace brisklet
