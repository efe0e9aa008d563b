#pragma once

#include <QByteArray>
#include <optional>

namespace kv {

// Where the samples of a PCM wave file image are and how to play them.
struct WaveInfo {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0; // 8 or 16
    qsizetype dataOffset = 0;
    qsizetype dataSize = 0;
    double seconds() const {
        const int frame = channels * bitsPerSample / 8;
        return frame > 0 && sampleRate > 0 ? double(dataSize) / frame / sampleRate : 0.0;
    }
};

// Parses a RIFF/WAVE image; nothing for a damaged, truncated or non-PCM image. Chunk sizes
// are checked against the image, never trusted.
std::optional<WaveInfo> parseWave(const QByteArray& image);

} // namespace kv
