#include "platform/mail/WorkerWait.h"

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace kv::mail {

void runOnWorker(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread worker([&] {
        work();
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // A quit posted before the loop runs is still delivered; the tick is a second way out.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done) loop.quit();
    });
    tick.start(100);
    while (!done) {
        loop.exec();
        // The loop returns at once while the application is quitting: wait without spinning.
        if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The worker may still be posting its quit; the loop outlives it.
    worker.join();
}

} // namespace kv::mail
