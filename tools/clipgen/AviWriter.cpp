#include "AviWriter.h"

#include <QtEndian>
#include <cstdint>

namespace kv::clipgen {

namespace {

// AVI 1.0 readers use signed 32-bit offsets; staying under 1 GiB keeps every reader safe.
constexpr qint64 kMaxFileSize = qint64(1) << 30;
constexpr quint32 kAvifHasIndex = 0x10;
constexpr quint32 kAviifKeyFrame = 0x10;

class Out {
public:
    void fourcc(const char* code) { m_bytes.append(code, 4); }
    void u16(quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        m_bytes.append(b, 2);
    }
    void u32(quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        m_bytes.append(b, 4);
    }
    void raw(const QByteArray& data) { m_bytes.append(data); }
    void pad() {
        if (m_bytes.size() % 2) m_bytes.append('\0');
    }
    // Starts a chunk or list and returns the position of its size field.
    qsizetype open(const char* code) {
        fourcc(code);
        const qsizetype at = m_bytes.size();
        u32(0);
        return at;
    }
    void close(qsizetype sizeAt) {
        const quint32 size = quint32(m_bytes.size() - sizeAt - 4);
        qToLittleEndian(size, m_bytes.data() + sizeAt);
    }
    qsizetype size() const { return m_bytes.size(); }
    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

} // namespace

QByteArray buildMjpegAvi(const std::vector<QByteArray>& jpegFrames, QSize frameSize, int fps) {
    if (jpegFrames.empty() || fps <= 0 || fps > 1000 || frameSize.width() <= 0 ||
        frameSize.height() <= 0 || frameSize.width() > 8192 || frameSize.height() > 8192)
        return {};
    qint64 total = 4096 + qint64(jpegFrames.size()) * 24;
    quint32 largest = 0;
    for (const QByteArray& frame : jpegFrames) {
        if (frame.isEmpty()) return {};
        total += frame.size() + 9;
        largest = std::max(largest, quint32(frame.size()));
    }
    if (total > kMaxFileSize) return {};

    const auto frames = quint32(jpegFrames.size());
    const auto width = quint32(frameSize.width());
    const auto height = quint32(frameSize.height());
    const quint32 bufferSize = largest + (largest % 2);

    Out out;
    const qsizetype riff = out.open("RIFF");
    out.fourcc("AVI ");

    const qsizetype hdrl = out.open("LIST");
    out.fourcc("hdrl");
    const qsizetype avih = out.open("avih");
    out.u32(quint32(1000000 / fps)); // microseconds per frame
    out.u32(bufferSize * quint32(fps));
    out.u32(0); // padding granularity
    out.u32(kAvifHasIndex);
    out.u32(frames);
    out.u32(0); // initial frames
    out.u32(1); // streams
    out.u32(bufferSize);
    out.u32(width);
    out.u32(height);
    for (int i = 0; i < 4; ++i)
        out.u32(0);
    out.close(avih);

    const qsizetype strl = out.open("LIST");
    out.fourcc("strl");
    const qsizetype strh = out.open("strh");
    out.fourcc("vids");
    out.fourcc("MJPG");
    out.u32(0); // flags
    out.u16(0); // priority
    out.u16(0); // language
    out.u32(0); // initial frames
    out.u32(1); // scale
    out.u32(quint32(fps));
    out.u32(0); // start
    out.u32(frames);
    out.u32(bufferSize);
    out.u32(0xFFFFFFFF); // default quality
    out.u32(0);          // sample size: frames vary
    out.u16(0);
    out.u16(0);
    out.u16(quint16(width));
    out.u16(quint16(height));
    out.close(strh);
    const qsizetype strf = out.open("strf");
    out.u32(40); // BITMAPINFOHEADER size
    out.u32(width);
    out.u32(height);
    out.u16(1);  // planes
    out.u16(24); // bits per pixel once decoded
    out.fourcc("MJPG");
    out.u32(width * height * 3);
    out.u32(0);
    out.u32(0);
    out.u32(0);
    out.u32(0);
    out.close(strf);
    out.close(strl);
    out.close(hdrl);

    const qsizetype movi = out.open("LIST");
    const qsizetype moviType = out.size();
    out.fourcc("movi");
    std::vector<std::pair<quint32, quint32>> index; // offset from 'movi', data length
    index.reserve(jpegFrames.size());
    for (const QByteArray& frame : jpegFrames) {
        index.emplace_back(quint32(out.size() - moviType), quint32(frame.size()));
        const qsizetype chunk = out.open("00dc");
        out.raw(frame);
        out.close(chunk);
        out.pad(); // chunks start on even offsets; the pad byte is not counted in the size
    }
    out.close(movi);

    const qsizetype idx1 = out.open("idx1");
    for (const auto& [offset, length] : index) {
        out.fourcc("00dc");
        out.u32(kAviifKeyFrame);
        out.u32(offset);
        out.u32(length);
    }
    out.close(idx1);
    out.close(riff);
    return out.take();
}

} // namespace kv::clipgen
