#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace brisklet::bench {

// Trees shaped like the folders the finders search. Blocks are reserved with fallocate rather than
// written, so a tree of a few hundred thousand files (and a few gigabytes of large files) is made
// in seconds and costs no data writes; the finders read only metadata.
class HomeTreeMaker {
public:
    HomeTreeMaker(std::filesystem::path root, unsigned seed) : m_root(std::move(root)), m_random(seed) {}

    std::int64_t made() const { return m_made; }

    // A developer's projects folder: JavaScript projects whose node_modules hold most of the files
    // (packages of a few files each, some with nested node_modules of their own), their sources,
    // hidden version-control folders, and the places the finder must not report: an iOS project's
    // Pods, build products under DerivedData, a folder of packages without a package.json, a
    // hidden tool folder and a link named node_modules.
    void projects(const std::filesystem::path& under, std::int64_t count) {
        const std::int64_t goal = m_made + count;
        for (int project = 0; m_made < goal; ++project) {
            const std::filesystem::path p = under / named("app-", project);
            file(p / "package.json", 1500);
            file(p / "README.md", 3000);
            for (int i = 0; i < 20; ++i)
                file(p / "src" / named("d", i % 4) / named("module-", i) += ".ts", smallSize());
            for (int i = 0; i < 15; ++i)
                file(p / ".git/objects" / hex(2) / hex(38), smallSize());
            // 150 to 450 packages of 2 to 12 files, a tenth of them with nested dependencies.
            const int packages = 150 + static_cast<int>(m_random() % 300);
            for (int k = 0; k < packages && m_made < goal; ++k)
                package(p / "node_modules" / named("pkg-", k), 1);
            switch (project % 10) {
            case 3:
                package(p / "ios/Pods/Lib/node_modules/inside-pods", 0);
                break;
            case 5:
                package(p / "Build/DerivedData/App/node_modules/inside-derived", 0);
                break;
            case 7:
                package(p / "vendor/node_modules/without-manifest", 0);
                break;
            case 8:
                package(p / ".tools/app/node_modules/hidden", 0);
                file(p / ".tools/app/package.json", 800);
                break;
            case 9:
                link(p / "node_modules", p / "linked/node_modules");
                break;
            default:
                break;
            }
        }
    }

    // A home folder: many small documents and pictures, a few large files in Downloads and Movies,
    // one file that is sparse (huge to `ls`, nothing on disk), and large files in the places the
    // large-file finder must not list (Library, a hidden folder, a media library, a node_modules
    // folder) plus a link to a large file. A projects folder takes a third of the files.
    void home(std::int64_t count) {
        const std::int64_t goal = m_made + count;
        projects(m_root / "Projects", count / 3);
        constexpr std::int64_t kMB = 1 << 20;
        file(m_root / "Downloads/installer.iso", 400 * kMB);
        file(m_root / "Downloads/dataset.tar", 240 * kMB);
        file(m_root / "Movies/holiday.mkv", 600 * kMB);
        file(m_root / "Movies/Clips/intro.mov", 150 * kMB);
        file(m_root / "Documents/backup.zip", 120 * kMB);
        sparse(m_root / "Documents/disk-image.raw", 50LL * 1024 * kMB);
        file(m_root / "Library/Caches/big.cache", 300 * kMB);
        file(m_root / ".local/share/big.db", 300 * kMB);
        file(m_root / "Pictures/Photos Library.photoslibrary/originals/big.heic", 300 * kMB);
        file(m_root / "Projects/app-0/node_modules/pkg-0/big.wasm", 300 * kMB);
        link(m_root / "Movies/holiday.mkv", m_root / "Desktop/holiday-link.mkv");
        for (std::int64_t i = 0; m_made < goal; ++i) {
            switch (i % 4) {
            case 0:
                file(m_root / "Documents" / named("folder-", i % 97) / named("sub-", i % 7) /
                         named("doc-", i) += ".pdf",
                     mediumSize());
                break;
            case 1:
                file(m_root / "Pictures" / named("20", 10 + i % 14) / named("IMG_", i) += ".jpg",
                     mediumSize());
                break;
            case 2:
                file(m_root / ".cache/thumbnails" / hex(32) += ".png", smallSize());
                break;
            default:
                file(m_root / "Music" / named("artist-", i % 211) / named("track-", i) += ".mp3",
                     mediumSize());
            }
        }
    }

private:
    void package(const std::filesystem::path& p, int nesting) {
        file(p / "package.json", 700);
        file(p / "index.js", smallSize());
        const int files = static_cast<int>(m_random() % 11);
        for (int i = 0; i < files; ++i)
            file(p / "lib" / named("part-", i) += ".js", smallSize());
        if (nesting > 0 && m_random() % 10 == 0) {
            for (int k = 0; k < 3; ++k)
                package(p / "node_modules" / named("dep-", k), nesting - 1);
        }
    }

    std::int64_t smallSize() {
        return m_random() % 100 < 80 ? static_cast<std::int64_t>(m_random() % 4096)
                                     : static_cast<std::int64_t>(4096 + m_random() % 28672);
    }
    // Most documents are small; one in ten is a photo or a song of a few hundred kilobytes.
    std::int64_t mediumSize() {
        return m_random() % 10 != 0 ? static_cast<std::int64_t>(m_random() % 8192)
                                    : static_cast<std::int64_t>(8192 + m_random() % 200000);
    }

    std::string hex(int digits) {
        static const char kDigits[] = "0123456789abcdef";
        std::string s;
        for (int i = 0; i < digits; ++i)
            s += kDigits[m_random() % 16];
        return s;
    }

    static std::string named(const char* prefix, std::int64_t n) {
        std::string s(prefix);
        s += std::to_string(n);
        return s;
    }

    void file(const std::filesystem::path& p, std::int64_t size) {
        std::error_code ec;
        std::filesystem::create_directories(p.parent_path(), ec);
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return;
        if (size > 0 && ::posix_fallocate(fd, 0, size) != 0 && ::ftruncate(fd, size) != 0) {
            // Nothing more to try; the file stays empty.
        }
        ::close(fd);
        ++m_made;
    }

    void sparse(const std::filesystem::path& p, std::int64_t length) {
        std::error_code ec;
        std::filesystem::create_directories(p.parent_path(), ec);
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return;
        if (::ftruncate(fd, length) != 0) {
            // Left empty.
        }
        ::close(fd);
        ++m_made;
    }

    void link(const std::filesystem::path& target, const std::filesystem::path& p) {
        std::error_code ec;
        std::filesystem::create_directories(p.parent_path(), ec);
        std::filesystem::create_symlink(target, p, ec);
        if (!ec) ++m_made;
    }

    std::filesystem::path m_root;
    std::mt19937_64 m_random;
    std::int64_t m_made = 0;
};

// Fills `root` with a projects folder of about `count` files; returns the number of entries made.
inline std::int64_t makeProjectsTree(const std::filesystem::path& root, std::int64_t count,
                                     unsigned seed = 11) {
    HomeTreeMaker maker(root, seed);
    maker.projects(root, count);
    return maker.made();
}

// Fills `root` with a home folder of about `count` files; returns the number of entries made.
inline std::int64_t makeHomeTree(const std::filesystem::path& root, std::int64_t count, unsigned seed = 13) {
    HomeTreeMaker maker(root, seed);
    maker.home(count);
    return maker.made();
}

} // namespace brisklet::bench
