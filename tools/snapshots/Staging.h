#pragma once

#include <QImage>

#include <functional>
#include <memory>

class QMessageBox;
class QThreadPool;

namespace brisklet {
class StorageModel;
}

namespace brisklet::snapshots {

class SnapshotFixture;

// Runs the event loop until `storage` scans nothing.
void waitForScans(StorageModel& storage);

// Keeps every thread of a pool busy until opened (or destroyed), so work started meanwhile is
// really under way and waits its turn: how a scene pictures a scan in progress.
class PoolGate {
public:
    explicit PoolGate(QThreadPool& pool);
    ~PoolGate();
    PoolGate(const PoolGate&) = delete;
    PoolGate& operator=(const PoolGate&) = delete;

    void open();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// `window` with the question drawn over its middle, dimmed behind and with a soft shadow, as the
// user sees a window-modal box.
QImage withQuestion(QImage window, QMessageBox& box, qreal ratio);

// Puts the fixture's Trash `files` folder aside and puts in its place either an empty folder or a
// plain file (which makes the Trash unreadable, even to root), rescans the Trash and returns how to
// put everything back.
std::function<void()> replaceTrash(SnapshotFixture& f, bool unreadable);

} // namespace brisklet::snapshots
