#include "platform/qt/QtMediaPlayer.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QtMultimedia/QMediaMetaData>
#include <QtMultimedia/QMediaPlayer>
#include <QtMultimedia/QVideoSink>
#include <QtMultimediaWidgets/QVideoWidget>
#include <algorithm>

namespace kv {

namespace {

// How long a clip may take to load before it counts as broken. A local clip loads in well
// under a second; GStreamer sometimes loses the error of a file cut inside its headers and
// leaves it loading for good, and only this limit ends that.
constexpr int kOpenLimitMs = 5000;
// How long a clip may take to show its first frame when its size is asked for.
constexpr int kProbeLimitMs = 2000;
// How long a clip of unknown length may play.
constexpr int kUnknownLengthLimitMs = 30000;
constexpr qint64 kLongestLimitMs = 6 * 60 * 60 * 1000;
// How long the position may stand still while playing before the clip counts as stalled.
constexpr int kStallLimitMs = 2500;
constexpr int kWatchMs = 250;

// Playing may take longer than the clip on a loaded machine, but never hang for good.
int playLimitMs(qint64 durationMs) {
    if (durationMs <= 0) return kUnknownLengthLimitMs;
    return int(std::min(durationMs * 2 + 5000, kLongestLimitMs));
}

bool isSettled(QMediaPlayer::MediaStatus status) {
    return status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia ||
           status == QMediaPlayer::InvalidMedia || status == QMediaPlayer::EndOfMedia;
}

QSize validSize(QSize size) {
    return size.isValid() && !size.isEmpty() ? size : QSize();
}

} // namespace

QtMediaPlayer::QtMediaPlayer() = default;

QtMediaPlayer::~QtMediaPlayer() {
    close();
}

bool QtMediaPlayer::open(const QString& path, QWidget* pane) {
    close();
    const QFileInfo file(path);
    if (!pane || path.isEmpty() || !file.isFile() || !file.isReadable()) return false;

    auto player = std::make_unique<QMediaPlayer>();
    if (!player->isAvailable()) return false;
    // Events are processed while the clip loads, and the pane may go meanwhile.
    const QPointer<QWidget> target(pane);
    const QPointer<QVideoWidget> video = new QVideoWidget(pane);
    // The destination rectangle is honoured exactly, as a video window's is.
    video->setAspectRatioMode(Qt::IgnoreAspectRatio);
    video->setGeometry(pane->rect());
    player->setVideoOutput(video);

    bool failed = false;
    QEventLoop loop;
    QObject::connect(player.get(), &QMediaPlayer::mediaStatusChanged, &loop,
                     [&](QMediaPlayer::MediaStatus status) {
                         if (isSettled(status)) loop.quit();
                     });
    QObject::connect(player.get(), &QMediaPlayer::errorOccurred, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QTimer::singleShot(kOpenLimitMs, &loop, &QEventLoop::quit);
    // The player takes the path as a file URL, so a path with blanks or other special
    // characters needs no short (8.3) form, which Linux does not have anyway.
    player->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    if (!isSettled(player->mediaStatus()) && !failed) loop.exec(QEventLoop::ExcludeUserInputEvents);

    const auto status = player->mediaStatus();
    if (failed || !target || !video || player->error() != QMediaPlayer::NoError ||
        (status != QMediaPlayer::LoadedMedia && status != QMediaPlayer::BufferedMedia)) {
        player->stop();
        player.reset();
        delete video.data();
        return false;
    }
    m_player = std::move(player);
    m_video = video;
    m_pane = pane;
    const QSize natural = naturalSize();
    if (!isOpen()) {
        close();
        return false;
    }
    setDestination(natural.isValid() ? QRect(QPoint(0, 0), natural) : pane->rect());
    video->show();
    return true;
}

bool QtMediaPlayer::isOpen() const {
    return m_player && m_video && m_pane;
}

QSize QtMediaPlayer::naturalSize() {
    if (!isOpen()) return {};
    if (!m_natural.isValid())
        m_natural = validSize(m_player->metaData().value(QMediaMetaData::Resolution).toSize());
    if (!m_natural.isValid()) m_natural = probeFrameSize();
    return m_natural;
}

QSize QtMediaPlayer::probeFrameSize() {
    QVideoSink* sink = m_video->videoSink();
    if (!sink) return {};
    if (const QSize known = validSize(sink->videoSize()); known.isValid()) return known;
    // Some back-ends (GStreamer) name the frame size only once frames flow: run the clip
    // for a moment out of sight, then rewind it.
    QEventLoop loop;
    // Queued on purpose: the sink signals while holding its own lock, and reading the
    // size from inside the signal would deadlock.
    QObject::connect(sink, &QVideoSink::videoSizeChanged, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QObject::connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, &loop,
                     [&](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::EndOfMedia ||
                             status == QMediaPlayer::InvalidMedia)
                             loop.quit();
                     });
    QObject::connect(m_player.get(), &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(kProbeLimitMs, &loop, &QEventLoop::quit);
    const bool shown = !m_video->isHidden();
    m_video->hide();
    m_player->play();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!isOpen()) return {};
    m_player->pause();
    m_player->setPosition(0);
    m_video->setVisible(shown);
    return validSize(m_video->videoSink()->videoSize());
}

void QtMediaPlayer::setDestination(const QRect& rect) {
    if (isOpen()) m_video->setGeometry(rect);
}

bool QtMediaPlayer::play() {
    if (!isOpen() || m_playing) return false;
    m_playing = true;
    bool ended = false;
    bool failed = false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, &loop,
                     [&](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::EndOfMedia)
                             ended = true;
                         else if (status == QMediaPlayer::InvalidMedia)
                             failed = true;
                         else
                             return;
                         loop.quit();
                     });
    QObject::connect(m_player.get(), &QMediaPlayer::errorOccurred, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QObject::connect(m_player.get(), &QMediaPlayer::durationChanged, &limit,
                     [&](qint64 duration) { limit.start(playLimitMs(duration)); });
    // The pane may go while the clip plays (its window closing); the clip goes with it.
    QObject::connect(m_pane.data(), &QObject::destroyed, &loop, [&] {
        failed = true;
        loop.quit();
    });

    // A damaged clip can stop short without ever reaching its end; a clip whose position
    // stands still for this long while playing has stalled.
    QTimer watch;
    qint64 lastPosition = -1;
    int stillTicks = 0;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (!m_player) {
            failed = true;
            loop.quit();
            return;
        }
        const qint64 position = m_player->position();
        stillTicks = position == lastPosition ? stillTicks + 1 : 0;
        lastPosition = position;
        if (stillTicks * kWatchMs >= kStallLimitMs) {
            failed = true;
            loop.quit();
        }
    });
    watch.start(kWatchMs);

    limit.start(playLimitMs(m_player->duration()));
    m_player->play();
    if (!ended && !failed) loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_playing = false;
    if (m_player && !ended) m_player->stop();
    return ended && !failed;
}

void QtMediaPlayer::close() {
    if (m_player) {
        m_player->stop();
        m_player->setVideoOutput(nullptr);
        m_player.reset();
    }
    delete m_video.data();
    m_video = nullptr;
    m_pane = nullptr;
    m_natural = QSize();
}

void installQtMediaPlayer() {
    ctx().slot<MediaPlayerSlot>().player = std::make_unique<QtMediaPlayer>();
}

} // namespace kv
