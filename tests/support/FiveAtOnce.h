#pragma once

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <type_traits>
#include <vector>

namespace brisklet::test {

// Runs `work` five times at once on `pool` cut down to two threads, as the scans run, and waits for
// the results. Work that fans out and waits on a pool its callers fill never finishes here.
template <typename Work> auto fiveAtOnce(QThreadPool& pool, Work work) {
    pool.setMaxThreadCount(2);
    std::vector<QFuture<std::invoke_result_t<Work>>> futures;
    for (int i = 0; i < 5; ++i)
        futures.push_back(QtConcurrent::run(&pool, work));
    std::vector<std::invoke_result_t<Work>> results;
    for (auto& future : futures)
        results.push_back(future.result());
    return results;
}

} // namespace brisklet::test
