#include "ui/WidgetImage.h"
#include "ui/components/FolderButton.h"
#include "ui/components/TileButton.h"
#include "ui/theme/Palette.h"

#include <QEnterEvent>
#include <QFileDialog>
#include <QTest>
#include <QVariantAnimation>

#include <filesystem>
#include <optional>
#include <vector>

using brisklet::test::renderWidget;
using brisklet::test::sample;
using brisklet::ui::FolderButton;
using brisklet::ui::TileButton;
using Path = std::filesystem::path;

namespace {

class FolderButtonTest : public brisklet::test::GuiTest {};

TEST_F(FolderButtonTest, LabelAndTooltipNameTheFolderWithTheHomeAsATilde) {
    struct Case {
        Path folder;
        const char* label;
        const char* where;
    };
    const Path home = "/nonexistent/home/ann";
    const Case cases[] = {
        {"/nonexistent/home/ann/Projects/app", "app", "~/Projects/app"},
        {home, "ann", "~"},
        {"/nonexistent/home/ann2", "ann2", "/nonexistent/home/ann2"},
        {"/", "/", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.string());
        FolderButton button(c.folder, {}, nullptr, home);
        EXPECT_EQ(button.text(), QString::fromUtf8(c.label));
        EXPECT_EQ(button.toolTip(), QStringLiteral("Scanning ") + QString::fromUtf8(c.where) +
                                        QStringLiteral(" \u2014 click to choose another folder"));
    }
    // A new folder relabels the same button.
    FolderButton button(home / "a", {}, nullptr, home);
    button.setFolder(home / "b");
    EXPECT_EQ(button.text(), "b");
}

TEST_F(FolderButtonTest, CallsOnChooseOnlyWhenTheUserConfirmsAFolder) {
    std::vector<Path> chosen;
    std::vector<Path> starts;
    std::optional<Path> answer;
    FolderButton button(
        "/nonexistent/start", [&chosen](const Path& path) { chosen.push_back(path); }, nullptr,
        "/nonexistent/home");
    button.setChooser([&](QWidget* parent, const Path& start) {
        EXPECT_EQ(parent, &button);
        starts.push_back(start);
        return answer;
    });
    button.resize(button.sizeHint());
    QTest::mouseClick(&button, Qt::LeftButton, {}, button.rect().center()); // cancelled
    answer = Path("/nonexistent/elsewhere");
    QTest::mouseClick(&button, Qt::LeftButton, {}, button.rect().center());
    EXPECT_EQ(starts, std::vector<Path>(2, "/nonexistent/start"));
    EXPECT_EQ(chosen, std::vector<Path>{"/nonexistent/elsewhere"});
    // Choosing is the page's business: the button shows its old folder until told otherwise.
    EXPECT_EQ(button.folder(), Path("/nonexistent/start"));
}

TEST_F(FolderButtonTest, TheDialogAsksForOneDirectoryToScan) {
    const Path start = std::filesystem::temp_directory_path();
    const auto dialog = FolderButton::makeDialog(nullptr, start);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(Path(dialog->directory().absolutePath().toStdString()), std::filesystem::canonical(start));
}

class TileButtonTest : public brisklet::test::GuiTest {
protected:
    static void finish(QVariantAnimation* animation) {
        ASSERT_EQ(animation->state(), QAbstractAnimation::Running);
        animation->setCurrentTime(animation->duration());
    }
};

TEST_F(TileButtonTest, OutlineTurnsBrandWhileHoveredAndBackAfterwards) {
    TileButton tile("Title", "Detail");
    tile.setPalette(brisklet::test::probePalette());
    tile.resize(300, 80);
    const QColor resting = tile.outlineColor();
    EXPECT_EQ(resting.rgb(), QColor(255, 0, 0).rgb()) << "a faint line of the text colour";

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QCoreApplication::sendEvent(&tile, &enter);
    EXPECT_TRUE(tile.isHovering());
    finish(tile.hoverAnimation());
    // The painted outline follows: at 2× the outer half of the stroke is the outline alone.
    const QImage image = renderWidget(tile, {300, 80}, 2);
    const QColor edge = sample(image, {150, 0});
    EXPECT_NEAR(edge.alpha(), 0.55 * 255, 4);
    EXPECT_NEAR(edge.blue(), brisklet::ui::Palette::brand().blue(), 10);
    EXPECT_NEAR(edge.red(), brisklet::ui::Palette::brand().red(), 10);
    EXPECT_EQ(sample(image, {150, 40 - 25}), QColor(0, 200, 0)) << "not the control background";

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&tile, &leave);
    EXPECT_FALSE(tile.isHovering());
    finish(tile.hoverAnimation());
    EXPECT_EQ(tile.outlineColor(), resting);
}

TEST_F(TileButtonTest, ShrinksWhilePressedAndClicksOnRelease) {
    int clicks = 0;
    TileButton tile("Title", {});
    QObject::connect(&tile, &TileButton::clicked, [&clicks] { ++clicks; });
    tile.setPalette(brisklet::test::probePalette());
    tile.resize(200, 100);
    QTest::mousePress(&tile, Qt::LeftButton, {}, {100, 50});
    finish(tile.pressAnimation());
    // Scaled about its centre, the pressed tile leaves its edge pixels bare.
    EXPECT_EQ(renderWidget(tile, {200, 100}, 1).pixelColor(0, 50).alpha(), 0);
    EXPECT_EQ(clicks, 0);
    QTest::mouseRelease(&tile, Qt::LeftButton, {}, {100, 50});
    EXPECT_EQ(clicks, 1);
    finish(tile.pressAnimation());
    EXPECT_GT(renderWidget(tile, {200, 100}, 1).pixelColor(0, 50).alpha(), 0);
}

} // namespace
