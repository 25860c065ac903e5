#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

namespace brisklet::bench {

// Fills `root` with about `count` files laid out like the caches a user's home collects: content-
// addressed store fanned out over two levels of hex folders, large flat browser and thumbnail
// folders, a package cache four levels deep, project trees (a few very deep), hard links between
// stores and some symbolic links.
// Sizes are mostly small with a long tail. Blocks are reserved with fallocate rather than written:
// the walk reads only metadata, and the tree is made in seconds. Returns the number of entries made.
inline std::int64_t makeCacheTree(const std::filesystem::path& root, std::int64_t count, unsigned seed = 7) {
    namespace fs = std::filesystem;
    std::mt19937_64 random(seed);
    std::int64_t made = 0;
    std::vector<fs::path> files;

    const auto size = [&] {
        const auto bucket = random() % 100;
        if (bucket < 70) return static_cast<off_t>(random() % 4096);
        if (bucket < 98) return static_cast<off_t>(4096 + random() % (28 * 1024));
        return static_cast<off_t>(32 * 1024 + random() % (224 * 1024));
    };
    const auto hex = [&](int digits) {
        static const char kDigits[] = "0123456789abcdef";
        std::string s;
        for (int i = 0; i < digits; ++i)
            s += kDigits[random() % 16];
        return s;
    };
    // Appending rather than "literal" + string: g++ 12 warns falsely about the latter (-Wrestrict).
    const auto named = [](const char* prefix, const auto& tail) {
        std::string s(prefix);
        if constexpr (std::is_integral_v<std::decay_t<decltype(tail)>>)
            s += std::to_string(tail);
        else
            s += tail;
        return s;
    };
    const auto file = [&](const fs::path& p) {
        std::error_code ec;
        fs::create_directories(p.parent_path(), ec);
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return;
        const off_t length = size();
        if (length > 0 && ::posix_fallocate(fd, 0, length) != 0 && ::ftruncate(fd, length) != 0) {
            // Nothing more to try; the file stays empty.
        }
        ::close(fd);
        files.push_back(p);
        ++made;
    };

    // A browser's caches: two large flat folders, 25 % of the files.
    for (std::int64_t i = 0; i < count * 25 / 100; ++i)
        file(root / "browser" / (i % 5 < 3 ? "Cache_Data" : "Code Cache/js") / named("f_", hex(12)));
    // A content-addressed store fanned out over two levels of hex folders, most holding one file: 10 %.
    for (std::int64_t i = 0; i < count / 10; ++i) {
        const std::string name = hex(40);
        file(root / "npm/_cacache/content-v2/sha512" / name.substr(0, 2) / name.substr(2, 2) / name);
    }
    // Flat thumbnail folders: 20 %.
    for (std::int64_t i = 0; i < count / 5; ++i)
        file(root / "thumbnails" / (i % 2 == 0 ? "normal" : "large") / (hex(32) + ".png"));
    // A package cache four levels deep with eight-way fan-out: 25 %.
    for (std::int64_t i = 0; i < count / 4; ++i) {
        fs::path p = root / "pip/http";
        for (int level = 0; level < 4; ++level)
            p /= std::string(1, static_cast<char>('a' + random() % 8));
        file(p / hex(24));
    }
    // Project build trees, a few of them very deep: the rest.
    while (made < count) {
        fs::path p = root / "projects" / named("p", random() % 40);
        const auto depth = random() % 1000 == 0 ? 40 + random() % 40 : 2 + random() % 5;
        for (std::uint64_t level = 0; level < depth; ++level)
            p /= named("d", random() % 2);
        file(p / (named("obj", made) + ".o"));
    }
    // Stores that share content with hard links, and the odd symbolic link.
    std::error_code ec;
    for (std::int64_t i = 0; i < count / 100 && !files.empty(); ++i) {
        const fs::path& target = files[random() % files.size()];
        fs::create_hard_link(target, root / "npm" / named("linked-", i), ec);
        if (i % 4 == 0) fs::create_symlink(target, root / "projects" / named("link-", i), ec);
        made += 1 + (i % 4 == 0 ? 1 : 0);
    }
    return made;
}

} // namespace brisklet::bench
