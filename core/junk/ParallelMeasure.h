#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

class QThreadPool;

namespace brisklet {

// The pool that measures sizes inside scans. It is kept apart from every pool that runs whole
// scans: a scan blocks until its measurements finish, and blocking inside a task of the same
// pool would deadlock once all its threads wait (five scans on two cores do exactly that).
QThreadPool& measuringPool();

// The on-disk size of each path, in the same order, measured in parallel on `pool`; each task
// writes only its own slot. A large item is split further over whichever threads of `pool` are idle
// by then (FileSize::onDisk), so one big cache among many small ones still gets every core.
std::vector<std::int64_t> measureOnDisk(const std::vector<std::filesystem::path>& paths, QThreadPool& pool);

} // namespace brisklet
