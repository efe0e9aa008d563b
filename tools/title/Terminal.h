#pragma once

// What the long commands share on the terminal: the error line, a status line rewritten in
// place, and stopping on Ctrl+C.

#include <QString>
#include <atomic>
#include <chrono>

namespace kv {

// "korvanda-title: MESSAGE" on standard error; returns the exit status 1.
int failWith(const QString& message);

// One status line on standard error, rewritten in place a few times a second; each new
// subject starts a line of its own, so the lines left show where the time went.
class StatusLine {
public:
    // Whether a line about `subject` is due now: always when the subject is new (the line
    // before is ended), else when the last one is a quarter of a second old.
    bool due(const QString& subject);
    void show(const QString& text);
    void finish();

private:
    QString m_subject;
    std::chrono::steady_clock::time_point m_shown;
    bool m_open = false;
};

// Ctrl+C and SIGTERM set this flag instead of ending the program, so that long work can
// stop and leave its output as it was. The handlers are installed on the first call.
const std::atomic<bool>* stopOnInterrupt();

} // namespace kv
