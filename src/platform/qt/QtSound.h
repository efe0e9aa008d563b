#pragma once

#include "platform/Sound.h"

#include <QBuffer>
#include <QObject>
#include <memory>

class QAudioSink;

namespace kv {

// Plays wave images from memory through the default audio output. With no audio output
// (a headless machine) playing is silent but still succeeds for a valid image.
class QtSound : public QObject, public ISound {
    Q_OBJECT
public:
    QtSound();
    ~QtSound() override;
    bool play(const QByteArray& wave, int flags) override;
    void stop() override;

private:
    void onStateChanged();
    std::unique_ptr<QAudioSink> m_sink;
    QByteArray m_samples;
    QBuffer m_buffer;
    bool m_loop = false;
};

} // namespace kv
