#include "host/Icons.h"

#include "core/desktop/DesktopEntry.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace brisklet::Icons {

namespace {

enum class Shape { page, folder };

// When the session has no icon theme, something must still fill the row: a plain page, or for a
// folder a plain folder, so the two still tell apart.
QIcon genericIcon(Shape shape) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 128, 128), 2));
    painter.setBrush(QColor(240, 240, 240));
    if (shape == Shape::folder) {
        QPainterPath folder;
        folder.moveTo(3, 8);
        folder.lineTo(12, 8);
        folder.lineTo(15, 11);
        folder.lineTo(29, 11);
        folder.lineTo(29, 27);
        folder.lineTo(3, 27);
        folder.closeSubpath();
        painter.drawPath(folder);
    } else {
        painter.drawRoundedRect(QRectF(7, 3, 18, 26), 3, 3);
    }
    painter.end();
    return QIcon(pixmap);
}

QIcon themed(const QString& name, const QString& fallbackName, Shape shape = Shape::page) {
    QIcon icon = name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
    if (icon.isNull() && !fallbackName.isEmpty()) icon = QIcon::fromTheme(fallbackName);
    return icon.isNull() ? genericIcon(shape) : icon;
}

} // namespace

QIcon forApp(std::string_view iconName) {
    const QString name = QString::fromUtf8(iconName.data(), static_cast<qsizetype>(iconName.size()));
    if (name.startsWith('/')) {
        if (QFileInfo(name).isFile()) return QIcon(name);
        return themed(QString(), "application-x-executable");
    }
    // Entries sometimes name the icon file rather than the theme icon.
    QString themeName = name;
    for (const char* suffix : {".png", ".svg", ".xpm"})
        if (themeName.endsWith(QLatin1String(suffix))) themeName.chop(4);
    return themed(themeName, "application-x-executable");
}

QIcon forFile(const std::filesystem::path& file) {
    if (file.extension() == ".desktop") {
        if (const auto entry = DesktopEntry::read(file); entry && entry->value("Icon"))
            return forApp(*entry->value("Icon"));
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(file.native()));
    const bool folder = type.inherits(QStringLiteral("inode/directory"));
    return themed(type.iconName(), folder ? QStringLiteral("folder") : type.genericIconName(),
                  folder ? Shape::folder : Shape::page);
}

} // namespace brisklet::Icons
