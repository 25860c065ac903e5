#include "Staging.h"

#include "Capture.h"
#include "SnapshotFixture.h"

#include "app/StorageModel.h"

#include <QMessageBox>
#include <QPainter>

#include <filesystem>
#include <fstream>

namespace brisklet::snapshots {

namespace fs = std::filesystem;

void waitForScans(StorageModel& storage) {
    SnapshotFixture::waitUntil("the junk scans", [&storage] { return storage.scanningJunk().empty(); });
}

QImage withQuestion(QImage picture, QMessageBox& box, qreal ratio) {
    box.adjustSize();
    const QImage question = renderWidget(box, ratio);
    const QSizeF logical = QSizeF(picture.size()) / ratio;
    const QSizeF boxSize = QSizeF(question.size()) / ratio;
    const QPointF at((logical.width() - boxSize.width()) / 2, (logical.height() - boxSize.height()) / 3);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), logical), QColor(0, 0, 0, 40));
    // A soft shadow and an outline, so the box stands off the page in either look.
    for (int i = 1; i <= 6; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 10));
        painter.drawRoundedRect(QRectF(at, boxSize).adjusted(-i, -i + 3, i, i + 3), 8 + i, 8 + i);
    }
    painter.drawImage(at, question);
    painter.setPen(QPen(QColor(128, 128, 128, 90), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(at, boxSize).adjusted(-0.5, -0.5, 0.5, 0.5));
    return picture;
}

std::function<void()> replaceTrash(SnapshotFixture& f, bool unreadable) {
    const fs::path files = f.home() / ".local/share/Trash/files";
    const fs::path aside = f.home() / ".local/share/Trash/files-aside";
    fs::rename(files, aside);
    if (unreadable)
        std::ofstream(files) << "not a folder\n";
    else
        fs::create_directory(files);
    f.storage().scanJunk({JunkKind::trash});
    waitForScans(f.storage());
    return [&f, files, aside] {
        fs::remove_all(files);
        fs::rename(aside, files);
        f.storage().scanJunk({JunkKind::trash});
        waitForScans(f.storage());
    };
}

} // namespace brisklet::snapshots
