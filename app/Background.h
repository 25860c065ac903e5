#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <type_traits>
#include <utility>

namespace brisklet {

// Runs `work` on `pool` and hands its result to `publish` on the thread of `owner` (the main thread
// for a model). When the owner is destroyed first, the work still finishes but its result is
// dropped: nothing is written late into a dead object.
//
// `work` must capture values only, never the owner. The continuation goes through a watcher owned
// by `owner` rather than QFuture::then(owner, …), because Qt 6.4 asserts in that continuation when
// its context object has died before the future finished.
template <typename Work, typename Publish>
void runThenPublish(QThreadPool& pool, QObject* owner, Work&& work, Publish&& publish) {
    using Result = std::invoke_result_t<std::decay_t<Work>>;
    auto* watcher = new QFutureWatcher<Result>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, owner,
                     [watcher, publish = std::forward<Publish>(publish)]() mutable {
                         watcher->deleteLater();
                         if constexpr (std::is_void_v<Result>) {
                             publish();
                         } else {
                             publish(watcher->future().takeResult());
                         }
                     });
    watcher->setFuture(QtConcurrent::run(&pool, std::forward<Work>(work)));
}

} // namespace brisklet
