#pragma once

#include "titles/engine/ViewerLibrary.h"

#include <QList>
#include <QString>

namespace kv {

// The keyword search of one search type over the catalogue title's word wheels, apart
// from the screen that shows it. The primary wheel lists a whole index and files the
// topics; the secondary wheel answers wildcard searches with a group of matches. The
// object owns the wheels and the group, and closes them when it is closed or destroyed.
class KeywordSearch {
public:
    KeywordSearch() = default;
    ~KeywordSearch() { close(); }
    KeywordSearch(const KeywordSearch&) = delete;
    KeywordSearch& operator=(const KeywordSearch&) = delete;

    // Opens the wheels of a search type (0 artists, 1 albums, 2 tracks, 3 catalogue
    // numbers) in `title`; a wheel that cannot be opened is reported and stays 0.
    void open(MVHandle title, int type, bool includeCompilations);
    void close();
    // Whether `title` has the word wheel, asked without a word to the user.
    static bool hasWheel(MVHandle title, char code);

    MVHandle primary() const { return m_primary; }
    MVHandle secondary() const { return m_secondary; }
    // True while the rows are the whole primary index, false while they are the matches
    // of a wildcard search.
    bool listMode() const { return m_listMode; }
    // Rows of the current list (never negative).
    qint32 rows() const { return m_rows; }

    // Lists the whole primary index. The length of the index, −1 when it cannot be read
    // (reported); 0 rows either way then.
    qint32 listIndex();
    // Lists the keywords of the secondary wheel that begin with `text` ("text*").
    qint32 searchWildcard(const QString& text);
    // The row of the whole index where keywords beginning with `text` start; −1 without
    // an index.
    qint32 prefixRow(const QString& text) const;
    // The keyword of a row of the current list ("" when there is none).
    QString keyword(qint32 row) const;
    // The topics filed under a keyword of the primary index, in address order; empty for
    // a keyword that is not in the index.
    QList<qint32> topicAddresses(const QString& keyword) const;

private:
    void freeGroup();

    MVHandle m_primary = 0;
    MVHandle m_secondary = 0;
    MVHandle m_group = 0;
    bool m_listMode = true;
    qint32 m_rows = 0;
};

} // namespace kv
