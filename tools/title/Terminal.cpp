#include "Terminal.h"

#include <csignal>
#include <cstdio>

namespace kv {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onSignal(int) {
    g_interrupted.store(true);
}

void err(const QString& s) {
    std::fputs(s.toUtf8().constData(), stderr);
}

} // namespace

int failWith(const QString& message) {
    err(QStringLiteral("korvanda-title: ") + message + u'\n');
    return 1;
}

bool StatusLine::due(const QString& subject) {
    const auto now = std::chrono::steady_clock::now();
    if (subject != m_subject) {
        finish();
        m_subject = subject;
    } else if (now - m_shown < std::chrono::milliseconds(250)) {
        return false;
    }
    m_shown = now;
    return true;
}

void StatusLine::show(const QString& text) {
    err(QStringLiteral("\r\x1b[K") + text);
    m_open = true;
}

void StatusLine::finish() {
    if (m_open) err(QStringLiteral("\n"));
    m_open = false;
}

const std::atomic<bool>* stopOnInterrupt() {
    static const bool installed = [] {
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        return true;
    }();
    (void)installed;
    return &g_interrupted;
}

} // namespace kv
