#include "core/fs/FileSize.h"

#include "bench/CacheTree.h"
#include "core/fs/FileSizeSplit.h"
#include "core/junk/ParallelMeasure.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// brisklet-filesize PATH                     prints FileSize::onDisk(PATH) in bytes
// brisklet-filesize --one-thread PATH        the same, never split over threads
// brisklet-filesize --make-tree DEST COUNT   fills DEST with a cache-like tree of COUNT files
int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--make-tree") == 0) {
        const long long made = brisklet::bench::makeCacheTree(argv[2], std::atoll(argv[3]));
        std::printf("%lld entries\n", made);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--one-thread") == 0) {
        brisklet::FileSize::Split none = brisklet::FileSize::Split::standard();
        none.helpers = 0;
        std::printf("%lld\n", static_cast<long long>(
                                  brisklet::FileSize::onDisk(argv[2], brisklet::measuringPool(), none)));
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [--one-thread] PATH | --make-tree DEST COUNT\n", argv[0]);
        return 2;
    }
    std::printf("%lld\n", static_cast<long long>(brisklet::FileSize::onDisk(argv[1])));
    return 0;
}
