#pragma once

#include <QString>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QFileDialog;

namespace brisklet::ui {

// The folder a page scans, as a flat button; pressing it asks for another folder.
class FolderButton final : public QToolButton {
    Q_OBJECT

public:
    using Path = std::filesystem::path;
    // Asks the user for a folder, starting in `start`; nothing when they cancel.
    using Chooser = std::function<std::optional<Path>(QWidget* parent, const Path& start)>;

    // `home` is where the tooltip's "~" stands; by default the user's home folder.
    explicit FolderButton(Path folder, std::function<void(const Path&)> onChoose, QWidget* parent = nullptr,
                          Path home = {});

    const Path& folder() const { return m_folder; }
    void setFolder(Path folder);

    void setOnChoose(std::function<void(const Path&)> onChoose) { m_onChoose = std::move(onChoose); }
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // The last component of the path, "/" for the root.
    static QString displayName(const Path& folder);

    // The directory dialog the default chooser runs, configured but not shown.
    static std::unique_ptr<QFileDialog> makeDialog(QWidget* parent, const Path& start);
    // Runs makeDialog's dialog modally.
    static std::optional<Path> chooseWithDialog(QWidget* parent, const Path& start);

protected:
    void changeEvent(QEvent* event) override;

private:
    void choose();
    void refresh();
    void refreshIcon();

    Path m_folder;
    Path m_home;
    std::function<void(const Path&)> m_onChoose;
    Chooser m_chooser = &FolderButton::chooseWithDialog;
};

} // namespace brisklet::ui
