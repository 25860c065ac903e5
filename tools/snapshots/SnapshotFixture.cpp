#include "SnapshotFixture.h"

#include <QColor>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

namespace brisklet::snapshots {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr std::uint64_t kMiB = 1024;        // in KiB, as /proc counts
constexpr std::uint64_t kGiB = 1024 * kMiB;
constexpr std::size_t kKB = 1000;            // in bytes, as the disk figures count

// The machine's memory apart from apps and cache, which the scenes vary.
constexpr std::uint64_t kTotalKiB = 16 * kGiB;
constexpr std::uint64_t kWiredKiB = 1843 * kMiB;
constexpr std::uint64_t kCompressedKiB = 870 * kMiB;
// What the purge leaves of the cache, and the figures of the default state: about 62 % used.
constexpr std::uint64_t kAppKiB = 7450 * kMiB;
constexpr std::uint64_t kCachedKiB = 3640 * kMiB;
constexpr std::uint64_t kCachedAfterPurgeKiB = 1210 * kMiB;

std::string line(std::string_view key, std::uint64_t kib) {
    return std::string(key) + ":" + std::string(16 - key.size(), ' ') + std::to_string(kib) + " kB\n";
}

// Files and folders in the fixture home, with the bytes each really holds: junk is measured by
// what is allocated, so every byte shown was written.
struct Entry {
    std::string_view path;
    std::size_t bytes;
};

constexpr Entry kJunk[] = {
    // App caches, the last one a desktop cache offered unchecked.
    {".cache/mozilla/firefox/profile/cache2/entries/0A1B", 3400 * kKB},
    {".cache/mozilla/firefox/profile/startupCache/scriptCache.bin", 900 * kKB},
    {".cache/google-chrome/Default/Cache/data_1", 2600 * kKB},
    {".cache/pip/http/a/b/wheel", 1800 * kKB},
    {".cache/thumbnails/large/5f2c.png", 420 * kKB},
    {".cache/org.example.Editor/CachedData/chunk", 1300 * kKB},
    {".cache/fontconfig/cache-1", 180 * kKB},
    // Logs.
    {".local/share/xorg/Xorg.0.log", 260 * kKB},
    {".local/share/xorg/Xorg.0.log.old", 210 * kKB},
    // Build data and simulators.
    {"Library/Developer/Xcode/DerivedData/Storefront-bqwzkvhxyjdlmnaoprstuefgc/Build/data", 2900 * kKB},
    {"Library/Developer/CoreSimulator/Caches/dyld/cache", 1500 * kKB},
    {"Library/Developer/Xcode/Archives/2026-03-14/Storefront.xcarchive/Info.plist", 700 * kKB},
    {"Library/Developer/Xcode/iOS DeviceSupport/17.2 (21C62)/Symbols/dyld", 2200 * kKB},
    // Developer caches.
    {".npm/_cacache/content-v2/sha512/ab/cd", 2300 * kKB},
    {".npm/_npx/4f1e/package.json", 310 * kKB},
    {".cargo/registry/cache/index/serde-1.0.crate", 850 * kKB},
    {".gradle/caches/modules-2/files", 1600 * kKB},
    {".local/share/pnpm/store/v3/files/00/ab", 1100 * kKB},
};

// node_modules in three projects under the default search folder, touched long ago, lately and
// today, so the ages read differently.
struct Project {
    std::string_view folder;
    std::size_t modulesBytes;
    std::chrono::hours age;
};
constexpr Project kProjects[] = {
    {"Desktop/storefront", 5200 * kKB, std::chrono::hours(24 * 3)},
    {"Desktop/old/landing-page", 3100 * kKB, std::chrono::hours(24 * 230)},
    {"Desktop/experiments/chart-demo", 1700 * kKB, std::chrono::hours(24 * 41)},
};

// Large files in the home, as a user collects them, found with the page's usual 100 MB floor. Only
// allocated bytes count, so the big ones are reserved on disk rather than written (a moment and no
// I/O), and they go with the rest of the tree; the sizes stay modest (under 800 MB in all), since
// every test run reserves them and build machines may be short of disk. Each has a fixed date, so
// the pictures do not change.
struct LargeEntry {
    std::string_view path;
    off_t bytes;
    std::chrono::sys_days modified;
};
constexpr LargeEntry kLargeFiles[] = {
    {"Videos/Screen recording 2026-11-02.webm", 318'000'000, std::chrono::year(2026) / 11 / 2},
    {"Downloads/distro-24.04-desktop-amd64.iso", 204'000'000, std::chrono::year(2026) / 9 / 14},
    {"Music/Live at the Roundhouse.flac", 151'000'000, std::chrono::year(2025) / 6 / 21},
    {"Documents/Taxes/scans-2025.pdf", 112'000'000, std::chrono::year(2026) / 2 / 27},
    {"Downloads/small-note.txt", 40'000, std::chrono::year(2026) / 12 / 1},
};

// A file that takes `bytes` on disk with nothing written to it.
void reserve(const fs::path& path, off_t bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    const int failed = fd < 0 ? errno : ::posix_fallocate(fd, 0, bytes);
    if (fd >= 0) ::close(fd);
    if (failed != 0) throw std::runtime_error("cannot reserve " + path.string() + ": " + std::strerror(failed));
}

} // namespace

SnapshotFixture::SnapshotFixture()
    : m_home(m_tree.dir("home")),
      m_locations([this] {
          Locations l = Locations::forHome(m_home, m_tree.dir("tmp"), JunkLayout::freedesktop);
          l.crashDir = m_tree.dir("crash");
          l.dataDirs = {m_tree.dir("share")};
          return l;
      }()) {
    buildHome();
    buildProcesses();

    m_storage = std::make_unique<StorageModel>(storageServices(), m_pools);

    // The loop runs its first cycle only: the pictures must not change between two of them.
    m_memory = std::make_unique<MemoryModel>(
        MemoryModel::Services{.runningApps = m_running,
                              .workspace = m_workspace,
                              .procRoot = m_proc.root(),
                              .sysRoot = m_tree.dir("sys"),
                              .home = m_home,
                              .purge = m_purge.purge(),
                              .statsInterval = 1h,
                              .refreshSoonDelay = 1ms,
                              .purgeSettle = 1ms},
        m_pools);
    QObject::connect(m_memory.get(), &MemoryModel::backgroundChanged, [this] { ++m_appsPasses; });
}

SnapshotFixture::~SnapshotFixture() {
    // A purge still held would keep the pools from ever finishing.
    m_purge.release();
}

StorageModel::Services SnapshotFixture::storageServices() const {
    StorageModel::Services s;
    s.locations = [l = m_locations] { return l; };
    // The scenes draw; they never empty or move anything.
    s.emptyTrash = [](const Locations&) { return Outcome::failed("nothing is emptied in a snapshot"); };
    s.moveToTrash = [](const std::vector<fs::path>& paths) { return TrashMoveResult{{}, paths}; };
    s.settingsFile = QString::fromStdString(m_tree.path("settings.ini").native());
    // A 500 GB disk with 182.4 GB free, the same in every picture whatever the machine's own.
    s.diskInfo = [](const fs::path&) { return DiskInfo{"Local Disk", 500'000'000'000, 182'400'000'000}; };
    return s;
}

void SnapshotFixture::buildHome() {
    for (const Entry& e : kJunk)
        m_tree.file("home/" + std::string(e.path), e.bytes);
    // A crash report of the user's own, in the shared crash folder.
    m_tree.file("crash/_opt_editor_editor.1000.crash", 640 * kKB);
    // A bundler's leftovers in the temporary folder.
    m_tree.file("tmp/metro-cache-7f3a/cache", 480 * kKB);
    // The cache above belongs to an installed app, which lends it its name.
    m_tree.text("share/applications/org.example.Editor.desktop",
                "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor %F\n");

    // The Trash in the freedesktop layout: each entry with its record of where it came from.
    const auto trash = [&](const std::string& name, std::size_t bytes, const std::string& original) {
        m_tree.file("home/.local/share/Trash/files/" + name, bytes);
        m_tree.text("home/.local/share/Trash/info/" + name + ".trashinfo",
                    "[Trash Info]\nPath=" + (m_home / original).string() + "\nDeletionDate=2026-11-30T09:12:44\n");
    };
    trash("Quarterly report (draft).pdf", 1300 * kKB, "Documents/Quarterly report (draft).pdf");
    trash("IMG_2041.jpg", 2100 * kKB, "Pictures/IMG_2041.jpg");
    trash("Holiday clips/clip-01.mp4", 3300 * kKB, "Videos/Holiday clips");
    m_tree.text("home/.local/share/Trash/info/Holiday clips.trashinfo",
                "[Trash Info]\nPath=" + (m_home / "Videos/Holiday clips").string() +
                    "\nDeletionDate=2026-12-01T18:40:02\n");

    const auto now = fs::file_time_type::clock::now();
    for (const Project& p : kProjects) {
        const std::string folder = "home/" + std::string(p.folder);
        m_tree.file(folder + "/node_modules/react-dom/cjs/react-dom.development.js", p.modulesBytes);
        for (const std::string_view file : {"package.json", "src/index.js", "README.md"})
            fs::last_write_time(m_tree.text(folder + "/" + std::string(file), "{}\n"), now - p.age);
        fs::last_write_time(m_tree.path(folder + "/src"), now - p.age);
    }

    for (const LargeEntry& e : kLargeFiles) {
        const fs::path file = m_tree.file("home/" + std::string(e.path));
        reserve(file, e.bytes);
        const std::chrono::system_clock::time_point modified = e.modified + 10h;
        fs::last_write_time(file, fs::file_time_type::clock::from_sys(modified));
    }
}

// A square app icon, as desktop entries name them by path: a coloured tile with an initial.
std::string SnapshotFixture::appIcon(const std::string& name, unsigned rgb) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(rgb));
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 13, 13);
    QFont font;
    font.setBold(true);
    font.setPixelSize(34);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, QString::fromStdString(name.substr(0, 1)));
    painter.end();
    const fs::path file = m_tree.dir("icons") / (name + ".png");
    image.save(QString::fromStdString(file.native()));
    return file.string();
}

void SnapshotFixture::buildProcesses() {
    writeMemory(kAppKiB, kCachedKiB);
    m_tree.text("proc/pressure/memory", "some avg10=0.00 avg60=0.00 avg300=0.00 total=1204\n"
                                        "full avg10=0.00 avg60=0.00 avg300=0.00 total=310\n");

    struct App {
        pid_t pid;
        std::string name;
        std::string bundle;
        unsigned color;
        std::uint64_t mainMiB;
        std::vector<std::uint64_t> helpersMiB;
    };
    const std::vector<App> apps = {
        {1210, "Web Browser", "/opt/webbrowser", 0xE66000, 610, {820, 540, 390, 260, 120}},
        {1420, "Editor", "/opt/editor", 0x2F80ED, 480, {650, 310, 140}},
        {1630, "Chat", "/opt/chat", 0x7B3FE4, 390, {420, 180}},
        {1810, "Music", "/opt/music", 0x1DB954, 340, {90}},
        {1905, "Mail", "/opt/mail", 0x0F9D9A, 260, {70}},
        {2040, "Terminal", "/opt/terminal", 0x3C3C3C, 120, {}},
    };
    for (const App& a : apps) {
        m_proc.add({.pid = a.pid,
                    .name = a.name.substr(0, 15),
                    .footprintKiB = a.mainMiB * kMiB,
                    .exe = a.bundle + "/" + a.name,
                    .start = static_cast<std::uint64_t>(a.pid)});
        pid_t helper = a.pid + 1;
        for (const std::uint64_t mib : a.helpersMiB)
            m_proc.add({.pid = helper++,
                        .parent = a.pid,
                        .name = "helper",
                        .footprintKiB = mib * kMiB,
                        .exe = a.bundle + "/helper",
                        .start = static_cast<std::uint64_t>(a.pid + 1)});
        m_running.apps.push_back(RunningApp{.pid = a.pid,
                                            .pids = {a.pid},
                                            .desktopId = "org.example." + a.name,
                                            .name = a.name,
                                            .iconName = appIcon(a.name, a.color),
                                            .executable = fs::path(a.bundle) / a.name,
                                            .bundle = fs::path(a.bundle),
                                            // One app hidden and one left without windows, for their tags.
                                            .isHidden = a.name == "Music",
                                            .hasWindows = a.name != "Mail"});
    }

    // Runtimes left running from the terminal and the editor.
    const std::string projects = (m_home / "Desktop").string();
    m_proc.add({.pid = 3101,
                .parent = 2040,
                .name = "node",
                .footprintKiB = 712 * kMiB,
                .exe = "/usr/bin/node",
                .arguments = {"node", projects + "/storefront/node_modules/.bin/vite", "--port", "5173"},
                .cwd = projects + "/storefront"});
    m_proc.add({.pid = 3188,
                .parent = 2040,
                .name = "python3.12",
                .footprintKiB = 284 * kMiB,
                .exe = "/usr/bin/python3.12",
                .arguments = {"python3", "manage.py", "runserver", "8000"},
                .cwd = (m_home / "src/api").string()});
    m_proc.add({.pid = 3240,
                .parent = 1420,
                .name = "node",
                .footprintKiB = 156 * kMiB,
                .exe = "/usr/bin/node",
                .arguments = {"/usr/bin/node", "/usr/lib/node_modules/typescript/lib/tsserver.js", "--stdio"},
                .cwd = projects + "/storefront"});
    m_proc.add({.pid = 3302,
                .parent = 1,
                .name = "watchman",
                .footprintKiB = 48 * kMiB,
                .exe = "/usr/local/bin/watchman",
                .arguments = {"watchman", "--foreground"},
                .cwd = "/"});

    // Services of the session, belonging to no app.
    const std::pair<const char*, std::uint64_t> background[] = {
        {"gnome-shell", 410}, {"tracker-miner-f", 188}, {"evolution-data-", 96},
        {"pipewire", 34},     {"packagekitd", 61},      {"Xwayland", 120},
    };
    pid_t pid = 800;
    for (const auto& [name, mib] : background)
        m_proc.add({.pid = pid++, .name = name, .footprintKiB = mib * kMiB});
}

void SnapshotFixture::writeMemory(std::uint64_t appKiB, std::uint64_t cachedKiB) {
    const std::uint64_t freeKiB = kTotalKiB - appKiB - cachedKiB - kWiredKiB - kCompressedKiB;
    const std::uint64_t activeFile = cachedKiB * 55 / 100;
    const std::uint64_t reclaimable = cachedKiB / 10;
    m_tree.text("proc/meminfo", line("MemTotal", kTotalKiB) + line("MemFree", freeKiB) +
                                    line("MemAvailable", freeKiB + cachedKiB) +
                                    line("Active(anon)", appKiB * 7 / 10) +
                                    line("Inactive(anon)", appKiB - appKiB * 7 / 10) +
                                    line("Active(file)", activeFile) +
                                    line("Inactive(file)", cachedKiB - activeFile - reclaimable) +
                                    line("KReclaimable", reclaimable) + line("Zswap", kCompressedKiB) +
                                    line("SwapTotal", 4 * kGiB) + line("SwapFree", 4 * kGiB - 412 * kMiB));
}

void SnapshotFixture::settle() {
    // A history of a few minutes, wandering around the figure the scenes show.
    for (int i = 0; i < 60; ++i) {
        const double wave = std::sin(i / 6.0) * 260 + std::sin(i / 2.3) * 90;
        writeMemory(static_cast<std::uint64_t>(static_cast<double>(kAppKiB) - 380.0 * kMiB + wave * kMiB),
                    kCachedKiB);
        m_memory->refreshStats();
    }
    restoreMemory();

    m_storage->scanJunk({allJunkKinds.begin(), allJunkKinds.end()});
    m_storage->scanNodeModules();
    m_storage->scanLargeFiles();
    waitUntil("the storage scans", [this] {
        return m_storage->scanningJunk().empty() && !m_storage->isScanningNode() &&
               !m_storage->isScanningLarge() && m_storage->nodeFolders() && m_storage->largeFiles();
    });
    waitUntil("the first apps pass", [this] { return m_appsPasses > 0; });
}

std::unique_ptr<StorageModel> SnapshotFixture::freshStorage() {
    return std::make_unique<StorageModel>(storageServices(), m_pools);
}

void SnapshotFixture::refreshApps() {
    const int before = m_appsPasses;
    m_memory->refreshApps();
    waitUntil("an apps pass", [&] { return m_appsPasses > before; });
}

void SnapshotFixture::holdPurge() {
    m_purge.hold();
}

void SnapshotFixture::finishPurge(const Outcome& outcome) {
    if (outcome.kind() == Outcome::Kind::done) writeMemory(kAppKiB, kCachedAfterPurgeKiB);
    m_purge.release(outcome);
    waitUntil("the purge", [this] { return !m_memory->isPurging(); });
}

void SnapshotFixture::restoreMemory() {
    writeMemory(kAppKiB, kCachedKiB);
    m_memory->refreshStats();
}

void SnapshotFixture::waitUntil(const std::string& what, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    // Each wait for events ends with the models' next published result, or with this timer at the
    // latest, so a model that never answers is noticed.
    QTimer wake;
    wake.start(100);
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            throw std::runtime_error("timed out after " + std::to_string(timeout.count()) + " ms waiting for " +
                                     what);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

} // namespace brisklet::snapshots
