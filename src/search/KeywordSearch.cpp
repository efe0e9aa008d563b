#include "search/KeywordSearch.h"

#include "platform/AppContext.h"
#include "titles/TitleAccess.h"
#include "titles/engine/Wheels.h"

#include <algorithm>

namespace kv {

namespace {

MVHandle openWheel(MVHandle title, char code, bool report) {
    const MVHandle handle = title ? hMVWordWheelOpenTitle(title, wheel::name(code)) : 0;
    if (!handle && report)
        ctx().messages().show(QStringLiteral("Unable to open Word Wheel \"%1\".").arg(wheel::code(code)),
                              mb::OKOnly | mb::Exclamation, kKeywordIndexTitle);
    return handle;
}

} // namespace

void KeywordSearch::open(MVHandle title, int type, bool includeCompilations) {
    close();
    switch (type) {
    case 0:
        m_primary = openWheel(title, includeCompilations ? wheel::Artists : wheel::OwnArtists, true);
        m_secondary = openWheel(title, wheel::ArtistSearch, true);
        break;
    case 1:
    case 3: {
        // One index in both roles, opened twice; its failure is told once.
        const char code = type == 1 ? wheel::Albums : wheel::CatalogueNumbers;
        m_primary = openWheel(title, code, true);
        m_secondary = openWheel(title, code, false);
        break;
    }
    default:
        m_primary = openWheel(title, wheel::Tracks, true);
        m_secondary = openWheel(title, wheel::TrackSearch, true);
        break;
    }
}

bool KeywordSearch::hasWheel(MVHandle title, char code) {
    const MVHandle handle = openWheel(title, code, false);
    if (handle) MVWordWheelClose(handle);
    return handle != 0;
}

void KeywordSearch::close() {
    freeGroup();
    if (m_primary)
        MVWordWheelClose(m_primary);
    if (m_secondary && m_secondary != m_primary)
        MVWordWheelClose(m_secondary);
    m_primary = 0;
    m_secondary = 0;
    m_listMode = true;
    m_rows = 0;
}

void KeywordSearch::freeGroup() {
    if (m_group)
        MVGroupFree(m_group);
    m_group = 0;
}

qint32 KeywordSearch::listIndex() {
    m_listMode = true;
    freeGroup();
    // No wheel finds nothing; a wheel whose length cannot be read is reported.
    const qint32 length = m_primary ? lMV_WordWheelLength(m_primary, true) : 0;
    m_rows = std::max<qint32>(0, length);
    return length;
}

qint32 KeywordSearch::searchWildcard(const QString& text) {
    m_listMode = false;
    freeGroup();
    m_group = m_secondary ? hMV_WordWheelSearch(m_secondary, text.trimmed() + u'*') : 0;
    m_rows = m_group ? std::max<qint32>(0, lMV_GroupItemCount(m_group)) : 0;
    return m_rows;
}

qint32 KeywordSearch::prefixRow(const QString& text) const {
    return m_primary ? lMV_WordWheelPrefix(m_primary, text) : -1;
}

QString KeywordSearch::keyword(qint32 row) const {
    QString keyword;
    if (m_listMode) {
        bMV_Keyword(m_primary, row, keyword, false);
    } else {
        const qint32 position = lMV_GroupFind(m_group, row);
        if (position >= 0)
            bMV_Keyword(m_secondary, position, keyword, false);
    }
    return keyword.trimmed();
}

QList<qint32> KeywordSearch::topicAddresses(const QString& keyword) const {
    // The count of a keyword that is not in the index is −1 (65535 to a 16-bit reader).
    const qint32 count = m_primary ? nMVKeyIndexGetCount(m_primary, keyword) : -1;
    QList<qint32> addresses;
    if (count > 0 && bMV_KeyIndexGetAddrs(m_primary, keyword, count, addresses, true))
        std::sort(addresses.begin(), addresses.end());
    return addresses;
}

} // namespace kv
