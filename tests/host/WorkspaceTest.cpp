#include "host/Icons.h"
#include "host/LiveWorkspace.h"

#include "HostTestSupport.h"
#include "support/TempTree.h"

#include <QImage>

#include <gtest/gtest.h>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

// A workspace whose opener only records: nothing may launch on the machine running the tests.
struct RecordingWorkspace {
    std::vector<QUrl> opened;
    // A connection that was never made: no file manager answers.
    LiveWorkspace workspace{QDBusConnection("brisklet-no-bus"), [this](const QUrl& url) {
                                opened.push_back(url);
                                return true;
                            }};
};

TEST(Workspace, OpenKeepsLinksAndTurnsPathsIntoFileUrls) {
    const struct {
        const char* given;
        const char* url;
    } rows[] = {
        {"/home/u/Downloads/big file.iso", "file:///home/u/Downloads/big%20file.iso"},
        {"https://example.org/a?b=c", "https://example.org/a?b=c"},
        {"file:///tmp/x", "file:///tmp/x"},
        {"/tmp/with:colon", "file:///tmp/with:colon"},
        {"/tmp/100%", "file:///tmp/100%25"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LiveWorkspace::urlFor(row.given).toString(QUrl::FullyEncoded).toStdString(), row.url)
            << row.given;

    RecordingWorkspace r;
    r.workspace.open("");
    EXPECT_TRUE(r.opened.empty());
    r.workspace.open("/tmp/report.txt");
    ASSERT_EQ(r.opened.size(), 1u);
    EXPECT_EQ(r.opened[0], QUrl::fromLocalFile("/tmp/report.txt"));
}

TEST(Workspace, WithoutAFileManagerRevealOpensEachFolderOnce) {
    RecordingWorkspace r;
    r.workspace.reveal({"/data/a/one.bin", "/data/b/two.bin", "/data/a/three.bin"});
    EXPECT_EQ(r.opened, (std::vector<QUrl>{QUrl::fromLocalFile("/data/a"), QUrl::fromLocalFile("/data/b")}));
}

TEST(Icons, AlwaysAnImageAndTheEntrysOwnIconFirst) {
    test::ensureGuiApplication();
    test::TempTree tree;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    const fs::path png = tree.path("icons/app.png");
    fs::create_directories(png.parent_path());
    ASSERT_TRUE(red.save(QString::fromStdString(png.native())));
    const fs::path desktop = tree.text(
        "applications/app.desktop", "[Desktop Entry]\nType=Application\nName=A\nIcon=" + png.native() + "\n");

    const QImage fromEntry = Icons::forFile(desktop).pixmap(16, 16).toImage();
    ASSERT_FALSE(fromEntry.isNull());
    EXPECT_EQ(fromEntry.pixelColor(8, 8), QColor(255, 0, 0));

    for (const QIcon& icon :
         {Icons::forApp(""), Icons::forApp("no-such-icon-anywhere"), Icons::forApp("/no/such/icon.png"),
          Icons::forFile(tree.text("notes.txt", "x")), Icons::forFile(tree.path("missing.desktop"))})
        EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

} // namespace
} // namespace brisklet
