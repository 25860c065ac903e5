#pragma once

#include <QIcon>
#include <QWidget>

#include <filesystem>

namespace brisklet::ui {

// A file's icon from the icon cache, in a square of the given side.
class FileIcon final : public QWidget {
    Q_OBJECT

public:
    explicit FileIcon(QWidget* parent = nullptr);
    FileIcon(std::filesystem::path path, int size, QWidget* parent = nullptr);

    const std::filesystem::path& path() const { return m_path; }
    void setPath(std::filesystem::path path);

    int iconSize() const { return m_size; }
    void setIconSize(int size);

    QSize sizeHint() const override { return {m_size, m_size}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::filesystem::path m_path;
    int m_size = 16;
    // Taken from the cache when the path changes, so repaints do not look the path up again.
    QIcon m_icon;
};

} // namespace brisklet::ui
