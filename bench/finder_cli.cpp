#include "core/finders/LargeFileFinder.h"
#include "core/finders/NodeModulesFinder.h"

#include "bench/HomeTree.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Prints a finder's results so they can be set against other tools'.
//
// brisklet-finders node-modules ROOT [HOME]             "SIZE<TAB>PATH" lines, largest first
// brisklet-finders large ROOT MINSIZE [LIMIT [HOME]]    the same for large files (LIMIT default 300)
// brisklet-finders --make-home DEST COUNT               fills DEST with a home-like tree of COUNT files
// brisklet-finders --make-projects DEST COUNT           fills DEST with a projects folder
//
// HOME (whose Library is passed over) defaults to $HOME. With -0 before the command, only the paths
// are printed, each ended by a NUL byte, for names that hold newlines.
namespace {

void print(std::string_view path, long long size, bool nul) {
    if (nul) {
        std::fwrite(path.data(), 1, path.size(), stdout);
        std::fputc('\0', stdout);
    } else {
        std::printf("%lld\t%.*s\n", size, static_cast<int>(path.size()), path.data());
    }
}

int usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [-0] node-modules ROOT [HOME]\n"
                 "       %s [-0] large ROOT MINSIZE [LIMIT [HOME]]\n"
                 "       %s --make-home|--make-projects DEST COUNT\n",
                 program, program, program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace brisklet;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && (args[0] == "--make-home" || args[0] == "--make-projects")) {
        const long long count = std::atoll(args[2].c_str());
        const long long made = args[0] == "--make-home" ? bench::makeHomeTree(args[1], count)
                                                        : bench::makeProjectsTree(args[1], count);
        std::printf("%lld entries\n", made);
        return 0;
    }
    bool nul = false;
    if (!args.empty() && args[0] == "-0") {
        nul = true;
        args.erase(args.begin());
    }
    const char* envHome = std::getenv("HOME");
    const std::string defaultHome = envHome != nullptr ? envHome : "";
    if (args.size() >= 2 && args.size() <= 3 && args[0] == "node-modules") {
        const std::string home = args.size() == 3 ? args[2] : defaultHome;
        for (const NodeModulesFolder& folder : NodeModulesFinder::find(args[1], home))
            print(folder.url.native(), folder.size, nul);
        return 0;
    }
    if (args.size() >= 3 && args.size() <= 5 && args[0] == "large") {
        const long long minSize = std::atoll(args[2].c_str());
        const int limit = args.size() >= 4 ? std::atoi(args[3].c_str()) : 300;
        const std::string home = args.size() == 5 ? args[4] : defaultHome;
        for (const LargeFile& file : LargeFileFinder::find(args[1], minSize, limit, home))
            print(file.url.native(), file.size, nul);
        return 0;
    }
    return usage(argv[0]);
}
