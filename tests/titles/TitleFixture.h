#pragma once

// Writes catalogue sources into a temporary folder, compiles them with our compiler and
// opens the result through the viewer-library functions.

#include "titles/engine/Compiler.h"
#include "titles/engine/ViewerLibrary.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv::test {

inline void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(text);
}

inline QString upToNul(const QString& s) {
    const qsizetype n = s.indexOf(QChar(0));
    return n < 0 ? s : s.left(n);
}

class TitleTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (MVHandle w : m_wheels)
            MVWordWheelClose(w);
        for (MVHandle t : m_titles)
            MVTitleClose(t);
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Compiles a catalogue from the four sources (header lines included) and opens it.
    MVHandle catalogue(const QByteArray& artists, const QByteArray& recordings,
                       const QByteArray& releases, const QByteArray& tracks) {
        writeFile(path("artists.csv"), artists);
        writeFile(path("recordings.csv"), recordings);
        writeFile(path("releases.csv"), releases);
        writeFile(path("tracks.csv"), tracks);
        QString error;
        EXPECT_TRUE(title::compileCatalogue(m_dir.path(), path("Music.M14"), &error))
            << error.toStdString();
        return open(path("Music.M14"));
    }

    MVHandle open(const QString& file) {
        const MVHandle t = hMVTitleOpen(file);
        EXPECT_NE(t, 0) << strMVLastError().toStdString();
        if (t) m_titles.push_back(t);
        return t;
    }

    MVHandle wheel(MVHandle title, const QString& id) {
        const MVHandle w = hMVWordWheelOpenTitle(title, u'|' + id);
        EXPECT_NE(w, 0) << "wheel " << id.toStdString();
        if (w) m_wheels.push_back(w);
        return w;
    }

    static QString keywordAt(MVHandle wheel, qint32 position) {
        QString buffer(261, QChar(0));
        if (nMVWordWheelLookup(wheel, position, buffer, 261) != 0) return QStringLiteral("<fail>");
        return upToNul(buffer);
    }

    static QStringList keywords(MVHandle wheel) {
        QStringList all;
        const qint32 n = lMVWordWheelLength(wheel);
        for (qint32 i = 0; i < n; ++i)
            all << keywordAt(wheel, i);
        return all;
    }

    // "position:keyword" for every match of the pattern.
    static QStringList search(MVHandle wheel, const QString& pattern) {
        QStringList found;
        const MVHandle g = MVWordWheelSearch(wheel, pattern, 0);
        const qint32 n = lMVGroupItemCount(g);
        for (qint32 i = 0; i < n; ++i) {
            const qint32 p = lMVGroupFind(g, i);
            found << QStringLiteral("%1:%2").arg(p).arg(keywordAt(wheel, p));
        }
        MVGroupFree(g);
        return found;
    }

    static QList<qint32> topics(MVHandle wheel, const QString& keyword) {
        const qint32 n = nMVKeyIndexGetCount(wheel, keyword);
        QList<qint32> addresses;
        if (n > 0) {
            EXPECT_EQ(lMVKeyIndexGetAddrs(wheel, keyword, 0, n - 1, addresses), n);
        }
        return addresses;
    }

    static QString topicTitle(MVHandle title, qint32 address) {
        QString buffer(128, QChar(0));
        if (lMVTitleGetInfo(title, kInfoTopicTitle, address, buffer) != 0)
            return QStringLiteral("<fail>");
        return upToNul(buffer);
    }

    QStringList topicTitles(MVHandle title, MVHandle wheel, const QString& keyword) {
        QStringList out;
        for (qint32 a : topics(wheel, keyword))
            out << topicTitle(title, a);
        return out;
    }

    QTemporaryDir m_dir;
    std::vector<MVHandle> m_titles, m_wheels;
};

} // namespace kv::test
