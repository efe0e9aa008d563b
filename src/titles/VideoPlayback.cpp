#include "titles/VideoPlayback.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/MediaPlayer.h"

#include <QWidget>

namespace kv {

namespace {

QString clipPath(const QString& fileName) {
    QString folder = ctx().appFolder;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder + fileName;
}

QWidget& paneOrRaise(QWidget* pane) {
    if (!pane) raiseError(err::ObjectNotSet);
    return *pane;
}

// One clip open at a time, and never left open after playback or an error.
class OpenClip {
public:
    OpenClip(IMediaPlayer* player, const QString& path, QWidget& pane)
        : m_player(player), m_open(player && player->open(path, &pane)) {}
    ~OpenClip() {
        if (m_open) m_player->close();
    }
    OpenClip(const OpenClip&) = delete;
    OpenClip& operator=(const OpenClip&) = delete;
    explicit operator bool() const { return m_open; }
    IMediaPlayer* operator->() const { return m_player; }

private:
    IMediaPlayer* m_player;
    bool m_open;
};

} // namespace

bool bLaunchPlayVideo(QWidget* picVid1, QWidget* picVid2) {
    return guarded("bLaunchPlayVideo", [&] {
        // One hourglass for the whole intro, so it does not flicker between the clips.
        BusyScope busy;
        QWidget& first = paneOrRaise(picVid1);
        PlayVideoSimple(clipPath(QStringLiteral("cds_an.avi")), &first, ClipAvi);
        first.hide();
        QWidget& second = paneOrRaise(picVid2);
        PlayVideoSimple(clipPath(QStringLiteral("text_an.avi")), &second, ClipAvi);
        second.hide();
    });
}

bool PlayVideoSimple(const QString& path, QWidget* pane, int clipType) {
    return guarded("PlayVideoSimple", [&] {
        Q_UNUSED(clipType);
        OpenClip clip(mediaPlayer(), path, paneOrRaise(pane));
        if (!clip) return false;
        BusyScope busy;
        return clip->play();
    });
}

bool PlayVideo(const QString& path, QWidget* pane, int width, int height) {
    return guarded("PlayVideo", [&] {
        QWidget& target = paneOrRaise(pane);
        OpenClip clip(mediaPlayer(), path, target);
        if (!clip) return false;
        QSize size = clip->naturalSize();
        if (!size.isValid()) size = width > 0 && height > 0 ? QSize(width, height) : target.size();
        clip->setDestination(QRect(QPoint(0, 0), size));
        BusyScope busy;
        return clip->play();
    });
}

} // namespace kv
