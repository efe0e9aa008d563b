#pragma once

// A media player that plays nothing: it records every call, with the pane and the state
// of the busy pointer at that moment, and answers from what the test set up.

#include "platform/AppContext.h"
#include "platform/MediaPlayer.h"

#include <QPointer>
#include <QSet>
#include <QWidget>
#include <functional>
#include <vector>

namespace kv::test {

class FakeMediaPlayer : public IMediaPlayer {
public:
    enum class Call { Open, Destination, Play, Close };
    struct Event {
        Call call;
        QString path;     // the clip open (or being opened)
        QWidget* pane;    // its pane
        QRect rect;       // Destination only
        bool paneVisible; // was the pane visible (not hidden) at the call
        int busyDepth;    // the busy pointer's depth at the call
    };

    bool open(const QString& path, QWidget* pane) override {
        close();
        record(Call::Open, path, pane);
        if (missing.contains(path) || !pane) return false;
        m_path = path;
        m_pane = pane;
        m_open = true;
        return true;
    }
    bool isOpen() const override { return m_open; }
    QSize naturalSize() override { return m_open ? natural : QSize(); }
    void setDestination(const QRect& rect) override {
        if (!m_open) return;
        record(Call::Destination, m_path, m_pane);
        events.back().rect = rect;
    }
    bool play() override {
        if (!m_open) return false;
        record(Call::Play, m_path, m_pane);
        if (whilePlaying) whilePlaying(m_path);
        return !broken.contains(m_path);
    }
    void close() override {
        if (!m_open) return;
        record(Call::Close, m_path, m_pane);
        m_open = false;
        m_path.clear();
        m_pane = nullptr;
    }

    std::vector<Event> of(Call call) const {
        std::vector<Event> found;
        for (const Event& e : events)
            if (e.call == call) found.push_back(e);
        return found;
    }

    std::vector<Event> events;
    QSet<QString> missing; // paths that do not open
    QSet<QString> broken;  // paths that open but fail while playing
    QSize natural{288, 160};
    std::function<void(const QString&)> whilePlaying;

private:
    void record(Call call, const QString& path, QWidget* pane) {
        const int depth = ctx().services.busy ? ctx().busy().depth() : 0;
        events.push_back({call, path, pane, {}, pane && !pane->isHidden(), depth});
    }

    bool m_open = false;
    QString m_path;
    QPointer<QWidget> m_pane;
};

// Installs a fresh fake as the current context's media player.
inline FakeMediaPlayer& installFakeMediaPlayer() {
    auto fake = std::make_unique<FakeMediaPlayer>();
    FakeMediaPlayer& ref = *fake;
    ctx().slot<MediaPlayerSlot>().player = std::move(fake);
    return ref;
}

} // namespace kv::test
