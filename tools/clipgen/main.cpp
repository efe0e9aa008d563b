// Draws the two intro clips and writes them into a folder as Motion-JPEG AVI files:
//   cds_an.avi   records and CDs slide in and spin
//   text_an.avi  the product name and tagline animate in
// Usage: kv-clipgen OUTDIR
#include "Animations.h"
#include "AviWriter.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>
#include <functional>

using namespace kv::clipgen;

namespace {

bool writeClip(const QString& path, const std::function<QImage(int)>& draw) {
    std::vector<QByteArray> frames;
    frames.reserve(kClipFrames);
    for (int i = 0; i < kClipFrames; ++i) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        if (!draw(i).save(&buffer, "JPG", 88)) {
            std::fprintf(stderr, "kv-clipgen: no JPEG writer (Qt's jpeg image plugin)\n");
            return false;
        }
        frames.push_back(std::move(jpeg));
    }
    const QByteArray avi = buildMjpegAvi(frames, kClipSize, kClipFps);
    // Written whole or not at all, so a failed build never leaves half a clip behind.
    QSaveFile file(path);
    if (avi.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(avi) != avi.size() ||
        !file.commit()) {
        std::fprintf(stderr, "kv-clipgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Drawing text needs a GUI application, but never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kv-clipgen OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kv-clipgen: cannot make %s\n", argv[1]);
        return 1;
    }
    const bool ok = writeClip(out.filePath(QStringLiteral("cds_an.avi")), drawRecordsFrame) &&
                    writeClip(out.filePath(QStringLiteral("text_an.avi")), drawTitleFrame);
    return ok ? 0 : 1;
}
