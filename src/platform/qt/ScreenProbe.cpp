#include "platform/qt/ScreenProbe.h"

#include <QGuiApplication>
#include <QScreen>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kv {

namespace {

[[noreturn]] void measureInChild(int argc, char** argv, int out) {
    // The program's own start reports a display it cannot reach; the probe stays silent
    // and leaves no core file behind when Qt gives up on the display.
    if (const int devnull = ::open("/dev/null", O_WRONLY); devnull >= 0) {
        ::dup2(devnull, STDERR_FILENO);
        ::dup2(devnull, STDOUT_FILENO);
    }
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);

    std::vector<char*> args(argv, argv + argc);
    args.push_back(nullptr);
    int count = argc;
    QGuiApplication app(count, args.data());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->availableGeometry().size();
        char line[64];
        const int n = std::snprintf(line, sizeof line, "%d %d\n", size.width(), size.height());
        if (n > 0 && ::write(out, line, size_t(n)) < 0) ::_exit(1);
    }
    // No clean-up: the parent's files and connections were never this process's to close.
    ::_exit(0);
}

// Everything the child writes, or less when it does not finish in time.
std::string readUntilClosed(int fd, int timeoutMs, bool& finished) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string text;
    finished = false;
    while (text.size() < 256) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return text;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return text;
        char buffer[128];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, size_t(n));
    }
    finished = true;
    return text;
}

} // namespace

std::optional<QSize> probeAvailableScreenSize(int argc, char** argv, int timeoutMs) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(fds[0]);
        measureInChild(argc, argv, fds[1]);
    }
    ::close(fds[1]);
    bool finished = false;
    const std::string text = readUntilClosed(fds[0], timeoutMs, finished);
    ::close(fds[0]);
    if (!finished) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    int width = 0;
    int height = 0;
    if (!finished || std::sscanf(text.c_str(), "%d %d", &width, &height) != 2 || width <= 0 ||
        height <= 0)
        return std::nullopt;
    return QSize(width, height);
}

} // namespace kv
