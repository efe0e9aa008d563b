#include "platform/WaveFile.h"

#include <QtEndian>

namespace kv {

std::optional<WaveInfo> parseWave(const QByteArray& image) {
    const auto* p = reinterpret_cast<const uchar*>(image.constData());
    const qsizetype size = image.size();
    if (size < 12 || image.left(4) != "RIFF" || image.mid(8, 4) != "WAVE")
        return std::nullopt;
    WaveInfo info;
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= size) {
        const QByteArray id = image.mid(pos, 4);
        const quint32 chunk = qFromLittleEndian<quint32>(p + pos + 4);
        const qsizetype body = pos + 8;
        if (chunk > quint64(size - body)) {
            // A data chunk may claim more than the image holds (a truncated file): play
            // what is there; any other chunk that overruns makes the image unusable.
            if (id != "data")
                return std::nullopt;
        }
        const qsizetype length = std::min<qsizetype>(qsizetype(chunk), size - body);
        if (id == "fmt ") {
            if (length < 16)
                return std::nullopt;
            const quint16 format = qFromLittleEndian<quint16>(p + body);
            info.channels = qFromLittleEndian<quint16>(p + body + 2);
            info.sampleRate = int(qFromLittleEndian<quint32>(p + body + 4));
            info.bitsPerSample = qFromLittleEndian<quint16>(p + body + 14);
            if (format != 1 || info.channels < 1 || info.channels > 2 || info.sampleRate < 1000 ||
                info.sampleRate > 192000 || (info.bitsPerSample != 8 && info.bitsPerSample != 16))
                return std::nullopt;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return std::nullopt;
            info.dataOffset = body;
            info.dataSize = length - length % (info.channels * info.bitsPerSample / 8);
            return info;
        }
        pos = body + length + (length & 1); // chunks are padded to even sizes
    }
    return std::nullopt;
}

} // namespace kv
