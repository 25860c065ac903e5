#include "core/fs/FolderQueue.h"

#include <unistd.h>

#include <utility>

namespace brisklet {

namespace {

// A folder waits here only until a waiting worker wakes up to take it, so a handful covers any
// number of threads a desktop has; a full queue just means the walk keeps the folder itself.
constexpr std::size_t kMaxQueued = 32;

} // namespace

FolderQueue::FolderQueue() {
    // Reserved up front so that handing over never allocates: under the lock, and without a way to
    // fail other than a full queue.
    m_folders.reserve(kMaxQueued);
}

FolderQueue::~FolderQueue() {
    for (const Folder& folder : m_folders)
        ::close(folder.fd);
}

bool FolderQueue::handOver(int fd, const FileId& id, std::string names) {
    const std::lock_guard lock(m_mutex);
    if (m_over || m_folders.size() >= kMaxQueued) return false;
    m_folders.push_back(Folder{fd, id, std::move(names)});
    updateWanted();
    m_changed.notify_one();
    return true;
}

void FolderQueue::joining() {
    const std::lock_guard lock(m_mutex);
    ++m_walking;
    ++m_helpers;
}

void FolderQueue::notJoining() {
    const std::lock_guard lock(m_mutex);
    --m_walking;
    --m_helpers;
}

std::optional<FolderQueue::Folder> FolderQueue::take() {
    std::unique_lock lock(m_mutex);
    --m_walking;
    if (!m_over && m_walking == 0 && m_folders.empty()) {
        // Nobody is walking, so nobody can hand anything over any more.
        m_over = true;
        m_changed.notify_all();
    }
    ++m_waiting;
    updateWanted();
    m_changed.wait(lock, [this] { return m_over || !m_folders.empty(); });
    --m_waiting;
    if (m_over) {
        updateWanted();
        return std::nullopt;
    }
    Folder folder = std::move(m_folders.back());
    m_folders.pop_back();
    ++m_walking;
    updateWanted();
    return folder;
}

void FolderQueue::helperDone() {
    const std::lock_guard lock(m_mutex);
    --m_helpers;
    m_helpersDone.notify_all();
}

void FolderQueue::waitForHelpers() {
    std::unique_lock lock(m_mutex);
    m_helpersDone.wait(lock, [this] { return m_helpers == 0; });
}

void FolderQueue::updateWanted() {
    m_wanted.store(m_over ? 0 : m_waiting - static_cast<int>(m_folders.size()), std::memory_order_relaxed);
}

} // namespace brisklet
