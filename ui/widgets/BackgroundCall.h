#pragma once

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

namespace vantora {

// Runs `work` on a thread of its own and hands its result to `done` on the
// thread of `receiver` (the window's), so that a network wait never blocks
// the window. When the receiver is gone by then, `done` is not called; the
// thread ends and deletes itself either way.
template <class T>
void runInBackground(QObject* receiver, std::function<T()> work, std::function<void(T)> done) {
    auto result = std::make_shared<T>();
    QThread* thread = QThread::create([result, work = std::move(work)] { *result = work(); });
    QObject::connect(thread, &QThread::finished, receiver,
                     [result, done = std::move(done)] { done(std::move(*result)); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

} // namespace vantora
