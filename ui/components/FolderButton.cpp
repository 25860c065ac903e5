#include "ui/components/FolderButton.h"

#include "core/fs/TildePath.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace brisklet::ui {

namespace {

// Paths go through the file name codec both ways, so a folder whose name is not valid UTF-8 comes
// back from the dialog as the same bytes.
QString toQString(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

std::filesystem::path toPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

} // namespace

FolderButton::FolderButton(Path folder, std::function<void(const Path&)> onChoose, QWidget* parent, Path home)
    : QToolButton(parent), m_folder(std::move(folder)),
      m_home(home.empty() ? toPath(QDir::homePath()) : std::move(home)), m_onChoose(std::move(onChoose)) {
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QToolButton::clicked, this, &FolderButton::choose);
    refreshIcon();
    refresh();
}

void FolderButton::setFolder(Path folder) {
    if (folder == m_folder) return;
    m_folder = std::move(folder);
    refresh();
}

QString FolderButton::displayName(const Path& folder) {
    // "/home/ann/" has an empty file name; its name is that of the folder the slash closes.
    const Path trimmed = folder.has_filename() ? folder : folder.parent_path();
    const Path name = trimmed.filename();
    if (name.empty() || name == "/") return QStringLiteral("/");
    return toQString(name);
}

std::unique_ptr<QFileDialog> FolderButton::makeDialog(QWidget* parent, const Path& start) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setDirectory(toQString(start));
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Scan This Folder"));
    return dialog;
}

std::optional<FolderButton::Path> FolderButton::chooseWithDialog(QWidget* parent, const Path& start) {
    const auto dialog = makeDialog(parent, start);
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return toPath(chosen.front());
}

void FolderButton::choose() {
    if (!m_chooser) return;
    const std::optional<Path> chosen = m_chooser(this, m_folder);
    if (chosen && !chosen->empty() && m_onChoose) m_onChoose(*chosen);
}

void FolderButton::refresh() {
    setText(displayName(m_folder));
    setToolTip(QStringLiteral("Scanning ") + QString::fromStdString(tildePath(m_folder, m_home)) +
               QStringLiteral(" \u2014 click to choose another folder"));
}

void FolderButton::refreshIcon() {
    setIcon(Symbols::icon("folder", Palette(palette()).primary()));
}

void FolderButton::changeEvent(QEvent* event) {
    if (isThemeChange(event)) refreshIcon();
    QToolButton::changeEvent(event);
}

} // namespace brisklet::ui
