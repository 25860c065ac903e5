#pragma once

#include "support/PoolGate.h"

#include <QImage>

#include <functional>
#include <memory>

class QMessageBox;

namespace brisklet {
class StorageModel;
}

namespace brisklet::snapshots {

class SnapshotFixture;

// Runs the event loop until `storage` scans nothing.
void waitForScans(StorageModel& storage);

// Holds a worker pool so that a scan started meanwhile stays in progress for the picture.
using test::PoolGate;

// `window` with the question drawn over its middle, dimmed behind and with a soft shadow, as the
// user sees a window-modal box.
QImage withQuestion(QImage window, QMessageBox& box, qreal ratio);

// Puts the fixture's Trash `files` folder aside and puts in its place either an empty folder or a
// plain file (which makes the Trash unreadable, even to root), rescans the Trash and returns how to
// put everything back.
std::function<void()> replaceTrash(SnapshotFixture& f, bool unreadable);

} // namespace brisklet::snapshots
