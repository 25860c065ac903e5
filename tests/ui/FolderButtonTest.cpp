#include "ui/components/FolderButton.h"
#include "ui/WidgetImage.h"

#include <QFileDialog>
#include <QTest>

#include <filesystem>
#include <optional>
#include <vector>

using brisklet::ui::FolderButton;
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

} // namespace
