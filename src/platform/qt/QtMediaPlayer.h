#pragma once

#include "platform/MediaPlayer.h"

#include <QPointer>
#include <memory>

class QMediaPlayer;
class QVideoWidget;

namespace kv {

// Plays clips with Qt Multimedia: a QMediaPlayer whose picture goes to a QVideoWidget
// made inside the target pane.
class QtMediaPlayer : public IMediaPlayer {
public:
    QtMediaPlayer();
    ~QtMediaPlayer() override;
    bool open(const QString& path, QWidget* pane) override;
    bool isOpen() const override;
    QSize naturalSize() override;
    void setDestination(const QRect& rect) override;
    bool play() override;
    void close() override;

private:
    QSize probeFrameSize();

    std::unique_ptr<QMediaPlayer> m_player;
    QPointer<QVideoWidget> m_video;
    QPointer<QWidget> m_pane;
    QSize m_natural;
    bool m_playing = false;
};

// Installs a QtMediaPlayer as the current context's media player.
void installQtMediaPlayer();

} // namespace kv
