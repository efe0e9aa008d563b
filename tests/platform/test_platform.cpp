#include "fakes/Fakes.h"
#include "platform/WaveFile.h"
#include "platform/qt/QtResources.h"
#include "platform/qt/QtSound.h"

#include <QWidget>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::TestContext;

namespace {

QByteArray le32(quint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le16(quint16 v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray makeWave(quint16 format, quint16 channels, quint32 rate, quint16 bits, const QByteArray& samples,
                    quint32 claimedDataSize = 0xFFFFFFFF) {
    QByteArray fmt = le16(format) + le16(channels) + le32(rate) + le32(rate * channels * bits / 8) +
                     le16(channels * bits / 8) + le16(bits);
    QByteArray body = "WAVE" + QByteArray("fmt ") + le32(fmt.size()) + fmt + QByteArray("LIST") + le32(3) +
                      QByteArray("abc") + QByteArray(1, 0) + QByteArray("data") +
                      le32(claimedDataSize == 0xFFFFFFFF ? samples.size() : claimedDataSize) + samples;
    return "RIFF" + le32(body.size()) + body;
}

} // namespace

TEST(FormRegistry, LoadsOnFirstUseAndUnloadsNewestFirst) {
    FormRegistry forms;
    QStringList destroyed;
    int made = 0;
    for (const char* name : {"a", "b", "c"}) {
        const QString n = QString::fromLatin1(name);
        forms.registerFactory(n, [&, n] {
            ++made;
            auto* w = new QObject;
            QObject::connect(w, &QObject::destroyed, [&destroyed, n] { destroyed << n; });
            return w;
        });
    }
    EXPECT_FALSE(forms.isLoaded(QStringLiteral("a")));
    QObject* a = forms.load(QStringLiteral("a"));
    EXPECT_EQ(forms.load(QStringLiteral("a")), a);
    forms.load(QStringLiteral("c"));
    forms.load(QStringLiteral("b"));
    EXPECT_EQ(made, 3);
    EXPECT_EQ(forms.load(QStringLiteral("unknown")), nullptr);
    EXPECT_EQ(forms.loadedNames(), (QStringList{"a", "c", "b"}));

    EXPECT_TRUE(forms.unload(QStringLiteral("c")));
    EXPECT_FALSE(forms.unload(QStringLiteral("c")));
    forms.unloadAll();
    EXPECT_EQ(destroyed, (QStringList{"c", "b", "a"}));
    // A window deleted behind the registry's back is simply no longer loaded.
    QObject* again = forms.load(QStringLiteral("a"));
    delete again;
    EXPECT_FALSE(forms.isLoaded(QStringLiteral("a")));
}

TEST(Context, EachScopeStartsCleanAndRestoresThePrevious) {
    TestContext outer;
    outer.ctx().intCurrentScreen = 4;
    outer.ctx().slot<std::vector<int>>().push_back(1);
    {
        TestContext inner;
        EXPECT_EQ(ctx().intCurrentScreen, 0);
        EXPECT_TRUE(ctx().slot<std::vector<int>>().empty());
    }
    EXPECT_EQ(ctx().intCurrentScreen, 4);
    EXPECT_EQ(ctx().slot<std::vector<int>>().size(), 1u);
}

TEST(BusyScope, RestoresThePointerOnEveryWayOut) {
    TestContext t;
    try {
        BusyScope outer;
        {
            BusyScope inner;
            EXPECT_EQ(t.busy.depth(), 2);
        }
        EXPECT_EQ(t.busy.depth(), 1);
        throw std::runtime_error("failure inside");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST(FileFilter, ClassicFiltersBecomeQtFiltersMatchingAnyCase) {
    EXPECT_EQ(qtFilterFromClassic(QStringLiteral("Access Database File (*.MDB)| *.MDB|All (*.*)| *.*")),
              QStringLiteral("Access Database File (*.MDB *.mdb);;All (*)"));
    EXPECT_EQ(qtFilterFromClassic(QStringLiteral("All (*.*)| *.*")), QStringLiteral("All (*)"));
    EXPECT_EQ(qtFilterFromClassic(QStringLiteral("Pictures|*.bmp;*.ICO")),
              QStringLiteral("Pictures (*.bmp *.BMP *.ICO *.ico)"));
}

TEST(WaveImage, ParsesPcmAndRefusesWhatCannotBePlayed) {
    const QByteArray samples(400, '\x10');
    auto info = parseWave(makeWave(1, 1, 22050, 16, samples));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->sampleRate, 22050);
    EXPECT_EQ(info->dataSize, 400);
    EXPECT_EQ(info->bitsPerSample, 16);

    // A data chunk that claims more than the image holds plays what is there.
    info = parseWave(makeWave(1, 2, 8000, 16, samples, 1'000'000));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->dataSize, 400);

    EXPECT_FALSE(parseWave(makeWave(3, 1, 22050, 32, samples))); // float samples
    EXPECT_FALSE(parseWave(makeWave(1, 0, 22050, 16, samples)));
    EXPECT_FALSE(parseWave(QByteArray("RIFF\x04\0\0\0WAVE", 12)));
    EXPECT_FALSE(parseWave(QByteArray("not a wave at all")));
    EXPECT_FALSE(parseWave(QByteArray()));
    // Every truncation of a valid image either parses within bounds or is refused.
    const QByteArray whole = makeWave(1, 1, 11025, 8, samples);
    for (int n = 0; n < whole.size(); ++n) {
        const auto cut = parseWave(whole.left(n));
        if (cut) {
            EXPECT_LE(cut->dataOffset + cut->dataSize, n);
        }
    }
}

TEST(ProgramResources, PicturesAndSoundsByNumber) {
    QtResources resources;
    for (int n : {10100, 11010, 11012}) {
        const QSize size = resources.pictureSize(n);
        EXPECT_FALSE(size.isEmpty()) << n;
        const QPixmap twice = resources.picture(n, 2.0);
        EXPECT_EQ(twice.size(), size * 2) << n; // drawn at double density, not scaled up
        EXPECT_EQ(twice.deviceIndependentSize().toSize(), size) << n;
    }
    EXPECT_TRUE(resources.picture(12345).isNull());
    for (int n : {10054, 10056}) {
        const auto info = parseWave(resources.wave(n));
        ASSERT_TRUE(info) << n;
        EXPECT_GT(info->seconds(), 0.5) << n;
        EXPECT_LT(info->seconds(), 5.0) << n;
    }
    EXPECT_TRUE(resources.wave(10055).isEmpty());
}

TEST(Sound, RefusesImagesThatAreNotWaves) {
    QtSound sound;
    EXPECT_FALSE(sound.play(QByteArray("garbage"), ISound::Async));
    EXPECT_TRUE(sound.play(makeWave(1, 1, 22050, 16, QByteArray(2000, 0)), ISound::Sync));
    sound.stop();
}

#include "platform/qt/QtServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {
// Presses a button of the next message box that opens (the real Qt box, offscreen).
void pressWhenShown(QMessageBox::StandardButton which, QString* seenText, QString* seenTitle) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *seenText = box->text();
        *seenTitle = box->windowTitle();
        box->button(which)->click();
    });
}
} // namespace

TEST(QtServices, MessageBoxAnswersWithTheButtonPressedAndBreaksLinesOnCarriageReturn) {
    ScopedContext scope;
    installQtServices(scope.get());
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanda"));
    QString text, title;
    pressWhenShown(QMessageBox::No, &text, &title);
    EXPECT_EQ(ctx().messages().show(QStringLiteral("Do you wish to exit Korvanda ?"), mb::YesNo | mb::Question),
              mb::No);
    EXPECT_EQ(title, QStringLiteral("Korvanda"));
    pressWhenShown(QMessageBox::Ok, &text, &title);
    EXPECT_EQ(ctx().messages().show(QStringLiteral("Error: 53 File not found\rbOpen"), mb::OKOnly | mb::Critical,
                                    QStringLiteral("Error")),
              mb::OK);
    EXPECT_EQ(text, QStringLiteral("Error: 53 File not found\nbOpen"));
    EXPECT_EQ(title, QStringLiteral("Error"));
    pressWhenShown(QMessageBox::Cancel, &text, &title);
    EXPECT_EQ(ctx().messages().show(QStringLiteral("?"), mb::YesNoCancel | mb::Default3), mb::Cancel);
}

TEST(QtServices, BusyPointerNestsAndResetRestoresTheDefault) {
    ScopedContext scope;
    installQtServices(scope.get());
    IBusyPointer& busy = ctx().busy();
    {
        BusyScope one;
        BusyScope two;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(busy.depth(), 2);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    busy.setBusy();
    busy.setBusy();
    busy.reset();
    EXPECT_EQ(busy.depth(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    busy.restore(); // an unmatched restore is harmless
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
