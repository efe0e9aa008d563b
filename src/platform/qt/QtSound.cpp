#include "platform/qt/QtSound.h"

#include "platform/WaveFile.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>

namespace kv {

QtSound::QtSound() = default;

QtSound::~QtSound() { stop(); }

void QtSound::stop() {
    m_loop = false;
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink.reset();
    }
    m_buffer.close();
}

bool QtSound::play(const QByteArray& wave, int flags) {
    stop();
    const std::optional<WaveInfo> info = parseWave(wave);
    if (!info)
        return false;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return true;
    QAudioFormat format;
    format.setSampleRate(info->sampleRate);
    format.setChannelCount(info->channels);
    format.setSampleFormat(info->bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return true;
    m_samples = wave.mid(info->dataOffset, info->dataSize);
    m_buffer.setData(m_samples);
    m_buffer.open(QIODevice::ReadOnly);
    m_loop = (flags & Async) && (flags & Loop);
    m_sink = std::make_unique<QAudioSink>(device, format);
    connect(m_sink.get(), &QAudioSink::stateChanged, this, &QtSound::onStateChanged);
    m_sink->start(&m_buffer);
    if (!(flags & Async)) {
        // Synchronous: wait for the end, but never longer than the sound plus a margin.
        QEventLoop loop;
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(m_sink.get(), &QAudioSink::stateChanged, &loop, [&loop](QAudio::State s) {
            if (s == QAudio::IdleState || s == QAudio::StoppedState)
                loop.quit();
        });
        guard.start(int(info->seconds() * 1000) + 2000);
        loop.exec();
        stop();
    }
    return true;
}

void QtSound::onStateChanged() {
    if (!m_sink || m_sink->state() != QAudio::IdleState || !m_loop)
        return;
    // Restart outside the sink's own signal handler.
    QTimer::singleShot(0, this, [this] {
        if (m_sink && m_loop) {
            m_buffer.seek(0);
            m_sink->start(&m_buffer);
        }
    });
}

} // namespace kv
