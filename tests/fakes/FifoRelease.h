#pragma once

// Guards a test against code that blocks opening a FIFO for reading.

#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace kv::test {

// Opens the other end of a FIFO when the code under test is still blocked on it after ten
// seconds, so that a regression fails the test instead of hanging it.
class FifoRelease {
public:
    explicit FifoRelease(const QString& path) : m_path(QFile::encodeName(path)) {
        m_thread = std::thread([this] { run(); });
    }
    ~FifoRelease() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    bool released() const { return m_released; }

private:
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::seconds(10), [&] { return m_done; })) return;
        while (!m_done) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                m_released = true;
                ::close(fd);
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(100), [&] { return m_done; });
        }
    }
    QByteArray m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};

} // namespace kv::test
