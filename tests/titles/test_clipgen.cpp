// The intro clips the build draws: each must be a well-formed Motion-JPEG AVI whose
// headers, frames and index agree, since a player trusts them to find the frames.
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

struct Chunk {
    QByteArray id;
    qsizetype at = 0; // of its data
    quint32 size = 0;
};

struct Avi {
    quint32 microSecPerFrame = 0, totalFrames = 0, width = 0, height = 0, flags = 0;
    QByteArray streamType, handler, compression;
    quint32 scale = 0, rate = 0, length = 0, strfWidth = 0, strfHeight = 0;
    qsizetype moviType = -1;
    std::vector<Chunk> frames;
    struct IndexEntry {
        QByteArray id;
        quint32 flags, offset, size;
    };
    std::vector<IndexEntry> index;
};

quint32 u32(const QByteArray& d, qsizetype at) {
    return qFromLittleEndian<quint32>(d.constData() + at);
}

// Walks the chunks of [begin, end), checking that each lies inside its parent and starts
// on an even offset.
std::optional<std::vector<Chunk>> chunks(const QByteArray& d, qsizetype begin, qsizetype end) {
    std::vector<Chunk> found;
    qsizetype at = begin;
    while (at < end) {
        if (at % 2 || end - at < 8) return std::nullopt;
        Chunk c{d.mid(at, 4), at + 8, u32(d, at + 4)};
        if (c.size > quint64(end - c.at)) return std::nullopt;
        found.push_back(c);
        at = c.at + c.size + (c.size % 2);
    }
    return found;
}

// Fails the calling test (and returns nothing) at the first structural fault.
std::optional<Avi> parse(const QByteArray& d) {
    Avi avi;
    if (d.size() < 12 || d.left(4) != "RIFF" || d.mid(8, 4) != "AVI ") {
        ADD_FAILURE() << "not a RIFF AVI file";
        return std::nullopt;
    }
    EXPECT_EQ(u32(d, 4), quint32(d.size() - 8)) << "RIFF size";
    const auto top = chunks(d, 12, d.size());
    if (!top) {
        ADD_FAILURE() << "top-level chunks overrun the file";
        return std::nullopt;
    }
    std::vector<QByteArray> order;
    for (const Chunk& c : *top) {
        const QByteArray type = c.id == "LIST" ? d.mid(c.at, 4) : QByteArray();
        order.push_back(type.isEmpty() ? c.id : type);
        if (type == "hdrl") {
            const auto hdrl = chunks(d, c.at + 4, c.at + c.size);
            if (!hdrl || hdrl->size() != 2 || (*hdrl)[0].id != "avih" || (*hdrl)[0].size != 56) {
                ADD_FAILURE() << "header list is not avih + strl";
                return std::nullopt;
            }
            const qsizetype h = (*hdrl)[0].at;
            avi.microSecPerFrame = u32(d, h);
            avi.flags = u32(d, h + 12);
            avi.totalFrames = u32(d, h + 16);
            EXPECT_EQ(u32(d, h + 24), 1u) << "one stream";
            avi.width = u32(d, h + 32);
            avi.height = u32(d, h + 36);
            const Chunk& strl = (*hdrl)[1];
            EXPECT_EQ(d.mid(strl.at, 4), "strl");
            const auto stream = chunks(d, strl.at + 4, strl.at + strl.size);
            if (!stream || stream->size() != 2 || (*stream)[0].id != "strh" ||
                (*stream)[1].id != "strf" || (*stream)[0].size < 48 || (*stream)[1].size < 40) {
                ADD_FAILURE() << "stream list is not strh + strf";
                return std::nullopt;
            }
            const qsizetype s = (*stream)[0].at;
            avi.streamType = d.mid(s, 4);
            avi.handler = d.mid(s + 4, 4);
            avi.scale = u32(d, s + 20);
            avi.rate = u32(d, s + 24);
            avi.length = u32(d, s + 32);
            const qsizetype f = (*stream)[1].at;
            avi.strfWidth = u32(d, f + 4);
            avi.strfHeight = u32(d, f + 8);
            avi.compression = d.mid(f + 16, 4);
        } else if (type == "movi") {
            avi.moviType = c.at;
            const auto frames = chunks(d, c.at + 4, c.at + c.size);
            if (!frames) {
                ADD_FAILURE() << "frame chunks overrun the movi list";
                return std::nullopt;
            }
            avi.frames = *frames;
        } else if (c.id == "idx1") {
            if (c.size % 16) {
                ADD_FAILURE() << "idx1 is not whole entries";
                return std::nullopt;
            }
            for (qsizetype e = c.at; e < c.at + c.size; e += 16)
                avi.index.push_back({d.mid(e, 4), u32(d, e + 4), u32(d, e + 8), u32(d, e + 12)});
        }
    }
    EXPECT_EQ(order, (std::vector<QByteArray>{"hdrl", "movi", "idx1"}));
    return avi;
}

QByteArray readClip(const char* name) {
    QFile file(QStringLiteral(KV_APP_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BuiltClip : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(BuiltClip, HeadersFramesAndIndexAgree) {
    const QByteArray data = readClip(GetParam());
    ASSERT_FALSE(data.isEmpty()) << "the build did not draw " << GetParam();
    const auto avi = parse(data);
    ASSERT_TRUE(avi);

    EXPECT_EQ(avi->streamType, "vids");
    EXPECT_EQ(avi->handler, "MJPG");
    EXPECT_EQ(avi->compression, "MJPG");
    EXPECT_TRUE(avi->flags & 0x10) << "AVIF_HASINDEX";
    EXPECT_EQ(avi->strfWidth, avi->width);
    EXPECT_EQ(avi->strfHeight, avi->height);
    // The clips fill a switchboard pane: two side by side within 600 x 335.
    EXPECT_LE(avi->width * 2, 600u);
    EXPECT_LE(avi->height, 335u);
    EXPECT_GE(avi->width, 200u);

    ASSERT_GT(avi->scale, 0u);
    const double fps = double(avi->rate) / avi->scale;
    EXPECT_GE(fps, 15.0);
    EXPECT_LE(fps, 25.0);
    EXPECT_NEAR(avi->microSecPerFrame, 1e6 / fps, 1.0);
    const double seconds = avi->totalFrames / fps;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 4.0);

    EXPECT_EQ(avi->length, avi->totalFrames);
    ASSERT_EQ(avi->frames.size(), avi->totalFrames);
    ASSERT_EQ(avi->index.size(), avi->totalFrames);
    for (size_t i = 0; i < avi->frames.size(); ++i) {
        const Chunk& frame = avi->frames[i];
        const auto& entry = avi->index[i];
        ASSERT_EQ(frame.id, "00dc") << "frame " << i;
        EXPECT_EQ(entry.id, "00dc");
        EXPECT_TRUE(entry.flags & 0x10) << "every frame is a key frame";
        // idx1 offsets count from the 'movi' type field to the chunk's header.
        EXPECT_EQ(avi->moviType + qsizetype(entry.offset), frame.at - 8) << "frame " << i;
        EXPECT_EQ(entry.size, frame.size) << "frame " << i;
        const QByteArray jpeg = data.mid(frame.at, frame.size);
        EXPECT_TRUE(jpeg.startsWith("\xFF\xD8") && jpeg.endsWith("\xFF\xD9")) << "frame " << i;
    }
}

TEST_P(BuiltClip, FramesDecodeAtTheClipSizeAndMove) {
    const QByteArray data = readClip(GetParam());
    const auto avi = parse(data);
    ASSERT_TRUE(avi && !avi->frames.empty());
    auto frame = [&](size_t i) {
        return QImage::fromData(data.mid(avi->frames[i].at, avi->frames[i].size), "JPG");
    };
    const QImage first = frame(0);
    const QImage middle = frame(avi->frames.size() / 2);
    const QImage last = frame(avi->frames.size() - 1);
    for (const QImage& image : {first, middle, last})
        EXPECT_EQ(image.size(), QSize(int(avi->width), int(avi->height)));
    EXPECT_NE(first, middle);
    EXPECT_NE(middle, last);
}

INSTANTIATE_TEST_SUITE_P(
    IntroClips, BuiltClip, ::testing::Values("cds_an.avi", "text_an.avi"), [](const auto& info) {
        return std::string(info.param).substr(0, std::string(info.param).find('.'));
    });
