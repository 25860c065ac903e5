#pragma once

#include "core/fs/HeldFolders.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brisklet {

// The folders that the threads sharing one measurement hand each other, and the bookkeeping that
// tells when the measurement is over: nothing queued and every thread waiting for work.
//
// It has a mutex because a thread without work must sleep until another hands it some, which
// takes a lock and a condition variable; the lock is held only to move one folder in or out. The
// walks never take it unless `wanted()` says a thread is waiting, so a walk that nobody helps
// runs without it.
class FolderQueue {
public:
    struct Folder {
        int fd; // open, owned by whoever takes it
        FileId id;
        std::string names; // the entries to walk, each ended by a NUL; all of them when empty
    };

    // The thread that made the queue counts as a worker, walking.
    FolderQueue();
    FolderQueue(const FolderQueue&) = delete;
    FolderQueue& operator=(const FolderQueue&) = delete;
    ~FolderQueue();

    // Whether a worker is waiting for a folder that nobody has handed over yet. A hint read without
    // the lock: a folder handed over when it has just become false is walked all the same.
    bool wanted() const { return m_wanted.load(std::memory_order_relaxed) > 0; }
    // Queues an open folder, or some of its entries, for another worker. False (and `fd` still the
    // caller's) when the queue is full, which keeps the descriptors held by the queue few.
    bool handOver(int fd, const FileId& id, std::string names = {});

    // A helper is about to start, walking nothing yet: it counts as a worker from now on, so the
    // measurement cannot be declared over before it has run. `notJoining` undoes it when the
    // helper could not be started after all.
    void joining();
    void notJoining();
    // Called by a worker that has finished its folder: waits for another one. None once the
    // measurement is over; then every later call returns none at once.
    std::optional<Folder> take();
    // A helper that take() told the measurement is over, about to return its thread.
    void helperDone();
    // Waits until every helper that joined is done.
    void waitForHelpers();

private:
    void updateWanted();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::condition_variable m_helpersDone;
    std::vector<Folder> m_folders;
    int m_walking = 1;
    int m_waiting = 0;
    int m_helpers = 0;
    bool m_over = false;
    std::atomic<int> m_wanted{0};
};

} // namespace brisklet
