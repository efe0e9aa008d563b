#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <utility>

namespace kv {

// The help book file (docs/help-format.md): named entries (pages, pictures, the map) and
// the context-number map. Read whole into memory; every offset and length is checked.
class HelpBook {
public:
    using Entry = std::pair<QString, QByteArray>;

    // Loads a book; on failure the book is empty and error says why.
    bool open(const QString& path, QString* error = nullptr);
    bool load(const QByteArray& bytes, QString* error = nullptr);
    void clear();

    bool isOpen() const { return !m_entries.isEmpty(); }
    QString path() const { return m_path; }
    QString title() const { return m_title; }
    QString contentsPage() const { return m_contents; }
    // The page a context number opens, or "".
    QString pageForContext(qint64 contextNumber) const;
    QList<int> contexts() const { return m_contexts.keys(); }
    // The HTML pages in file order, and their titles (the <title> text, else the name).
    QStringList pages() const;
    QString pageTitle(const QString& page) const;

    bool hasEntry(const QString& name) const;
    QByteArray entry(const QString& name) const;
    QString pageHtml(const QString& page) const;

    // Writes a book; the entries must include "book.map".
    static QByteArray pack(const QList<Entry>& entries);
    static quint32 crc32(const char* data, qsizetype size);

    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
    static constexpr int kMaxEntries = 1024;

private:
    bool fail(QString* error, const QString& why);
    bool readMap(const QByteArray& map, QString* error);

    QString m_path;
    QString m_title;
    QString m_contents;
    QList<Entry> m_entries;
    QHash<QString, int> m_index; // lower-case name -> position in m_entries
    QMap<int, QString> m_contexts;
};

} // namespace kv
