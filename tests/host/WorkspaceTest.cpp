#include "host/Icons.h"
#include "host/LiveWorkspace.h"

#include "HostTestSupport.h"
#include "support/TempTree.h"

#include <QImage>

#include <gtest/gtest.h>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

TEST(Workspace, OpenKeepsLinksAndTurnsPathsIntoFileUrls) {
    EXPECT_EQ(LiveWorkspace::urlFor("/tmp/a b"), QUrl::fromLocalFile("/tmp/a b"));
    EXPECT_EQ(LiveWorkspace::urlFor("https://example.org/a?b=c"), QUrl("https://example.org/a?b=c"));
}

// The opener only records, so nothing launches on the machine running the tests; the connection
// was never made, so no file manager answers and reveal falls back to opening folders.
TEST(Workspace, OpensNothingForNothingAndRevealOpensEachFolderOnce) {
    std::vector<QUrl> opened;
    LiveWorkspace workspace{QDBusConnection("brisklet-no-bus"), [&opened](const QUrl& url) {
                                opened.push_back(url);
                                return true;
                            }};
    workspace.open("");
    EXPECT_TRUE(opened.empty());
    workspace.open("/tmp/report.txt");
    workspace.reveal({"/data/a/one.bin", "/data/b/two.bin", "/data/a/three.bin"});
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl::fromLocalFile("/tmp/report.txt"),
                                         QUrl::fromLocalFile("/data/a"), QUrl::fromLocalFile("/data/b")}));
}

TEST(Icons, AlwaysAnImageAndTheEntrysOwnIconFirst) {
    test::ensureGuiApplication();
    test::TempTree tree;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    const fs::path png = tree.file("icons/app.png");
    ASSERT_TRUE(red.save(QString::fromStdString(png.native()), "PNG"));
    const fs::path desktop =
        tree.text("app.desktop", "[Desktop Entry]\nType=Application\nName=A\nIcon=" + png.native() + "\n");
    EXPECT_EQ(Icons::forFile(desktop).pixmap(16, 16).toImage().pixelColor(8, 8), QColor(255, 0, 0));
    for (const QIcon& icon :
         {Icons::forApp(""), Icons::forApp("no-such-icon-anywhere"), Icons::forApp("/no/such/icon.png"),
          Icons::forFile(tree.text("notes.txt", "x")), Icons::forFile(tree.path("missing.desktop"))})
        EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

} // namespace
} // namespace brisklet
