#include "titles/TitleAccess.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "settings/FileLocations.h"
#include "settings/SettingsStore.h"
#include "titles/TitleViewer.h"
#include "titles/engine/Compiler.h"

#include <QPointer>

namespace kv {

namespace {

struct TitleAccessState {
    MVIndexTable indexes;
    QPointer<TitleViewer> catalogue;
};

TitleAccessState& state() {
    return ctx().slot<TitleAccessState>();
}

void warn(const QString& text) {
    ctx().messages().show(text, mb::OKOnly | mb::Exclamation, kKeywordIndexTitle);
}

QString quoted(const QString& s) {
    return u'"' + s + u'"';
}

QString markerName() {
    const QString& marker = ctx().constants.strTitleMarkerFile;
    return marker.isEmpty() ? QString::fromLatin1(title::kMarkerFile) : marker;
}

QString identifierFromCode(qint32 code) {
    const char32_t c = char32_t(code);
    return QString::fromUcs4(&c, 1);
}

} // namespace

bool bOpenTALVMVTitle(const QString& fileName, TitleViewer* viewer, bool searchParent) {
    return guarded("bOpenTALVMVTitle", [&] {
        if (!viewer) raiseError(err::ObjectNotSet);
        const QString extension = QStringLiteral("M14");
        QString path;
        if (!bReadIniStr_FileName(kSectionFileLocations, fileName, fileName, extension,
                                  kTitleDialogTitle, path, searchParent))
            return false;
        for (;;) {
            {
                BusyScope busy;
                viewer->setTitleFile(path);
            }
            if (bValidateTALVMVTitle(viewer, markerName())) return true;
            // The new location replaces the one that failed, under the key it was read
            // from, so the next start opens the file the user chose.
            if (!bGetIniStr_FileName(kSectionFileLocations, fileName, fileName, extension,
                                     kTitleDialogTitle, path)) {
                viewer->setTitleFile(QString());
                return false;
            }
        }
    });
}

bool bValidateTALVMVTitle(TitleViewer* viewer, const QString& markerName) {
    return guarded("bValidateTALVMVTitle", [&] {
        if (!viewer) raiseError(err::ObjectNotSet);
        const MVHandle baggage = hMVBaggageOpen(viewer->titleHandle(), markerName);
        if (!baggage) {
            ctx().messages().show(
                viewer->titleFile() +
                    QStringLiteral(" was not created for the Korvanda and cannot be loaded."),
                mb::OKOnly | mb::Exclamation, QStringLiteral("Korvanda"));
            return false;
        }
        MVBaggageClose(baggage);
        return true;
    });
}

MVIndexTable& MVIndexes() {
    return state().indexes;
}

TitleViewer* catalogueViewer() {
    return state().catalogue;
}

bool bInit_MV(TitleViewer* viewer) {
    return guarded("bInit_MV", [&] {
        if (!viewer || !viewer->titleHandle()) raiseError(err::ObjectNotSet);
        state().catalogue = viewer;
        return bMV_LoadIndexes(MVIndexes(), viewer->titleHandle());
    });
}

bool bMV_LoadIndexes(MVIndexTable& table, MVHandle title) {
    return guarded("bMV_LoadIndexes", [&] {
        table = MVIndexTable(1);
        // The index number travels in the high 16 bits of the parameter, so no more than
        // 65,535 indexes can be asked for; a title claiming more must not loop forever.
        for (int n = 0; n < 0xFFFF; ++n) {
            QString buffer(kIndexNameBufferSize, QChar(0));
            const qint32 code =
                lMVTitleGetInfo(title, kInfoIndex, lngPackParam(kIndexNameBufferSize, n), buffer);
            if (code == 0) break;
            QString name = strCString(buffer);
            if (name.isEmpty()) name = kUntitledIndex;
            if (table.size() < n + 1) table.resize(n + 1);
            table[n] = {identifierFromCode(code), name};
        }
        return true;
    });
}

bool bMV_OpenWordWheel(MVHandle title, const QString& id, MVHandle& wheel, qint32& length,
                       bool quiet) {
    wheel = 0;
    length = 0;
    return guarded("bMV_OpenWordWheel", [&] {
        wheel = hMVWordWheelOpenTitle(title, u'|' + id);
        if (!wheel) {
            if (!quiet) warn(QStringLiteral("Unable to open Word Wheel ") + quoted(id) + u'.');
            return false;
        }
        length = lMV_WordWheelLength(wheel, !quiet);
        return length >= 0;
    });
}

QString strCString(const QString& buffer) {
    const qsizetype nul = buffer.indexOf(QChar(0));
    return nul < 0 ? buffer : buffer.left(nul);
}

qint32 lngPackParam(int low, int high) {
    return qint32(quint32(high) * 65536u + quint32(low));
}

qint32 lMV_WordWheelLength(MVHandle wheel, bool report) {
    const qint32 n = lMVWordWheelLength(wheel);
    if (n < 0 && report) warn(QStringLiteral("Unable to get Word Wheel length."));
    return n < 0 ? -1 : n;
}

bool bMV_Keyword(MVHandle wheel, qint32 position, QString& keyword, bool report) {
    QString buffer(kKeywordBufferSize, QChar(0));
    if (nMVWordWheelLookup(wheel, position, buffer, kKeywordBufferSize) != 0) {
        keyword.clear();
        if (report)
            warn(QStringLiteral("Unable to look up keyword for Word Wheel at index %1.")
                     .arg(position));
        return false;
    }
    keyword = strCString(buffer);
    return true;
}

qint32 lMV_WordWheelPrefix(MVHandle wheel, const QString& text) {
    return lMVWordWheelPrefix(wheel, text);
}

MVHandle hMV_WordWheelSearch(MVHandle wheel, const QString& pattern) {
    return MVWordWheelSearch(wheel, pattern, 0);
}

qint32 lMV_GroupItemCount(MVHandle group) {
    return lMVGroupItemCount(group);
}

qint32 lMV_GroupFind(MVHandle group, qint32 item) {
    return lMVGroupFind(group, item);
}

qint32 nMV_KeyIndexGetCount(MVHandle wheel, const QString& keyword, bool report) {
    const qint32 n = nMVKeyIndexGetCount(wheel, keyword);
    if (n < 0 && report)
        warn(QStringLiteral("Unable to get topic count for keyword ") + quoted(keyword) + u'.');
    return n < 0 ? -1 : n;
}

bool bMV_KeyIndexGetAddrs(MVHandle wheel, const QString& keyword, qint32 count,
                          QList<qint32>& addresses, bool report) {
    addresses.clear();
    if (count <= 0) return true;
    // The library grows the list to what the keyword really has, so a wrong count costs
    // no memory.
    const qint32 filled = lMVKeyIndexGetAddrs(wheel, keyword, 0, count - 1, addresses);
    if (filled < 0) {
        addresses.clear();
        if (report)
            warn(QStringLiteral("Unable to get topic addresses for keyword ") + quoted(keyword) +
                 u'.');
        return false;
    }
    addresses.resize(filled);
    return true;
}

bool bMV_TopicTitle(MVHandle title, qint32 address, QString& topicTitle, bool report) {
    QString buffer(kTopicTitleBufferSize, QChar(0));
    if (lMVTitleGetInfo(title, kInfoTopicTitle, address, buffer) != 0) {
        topicTitle.clear();
        if (report) warn(QStringLiteral("Unable to get topic title for address %1.").arg(address));
        return false;
    }
    topicTitle = strCString(buffer);
    return true;
}

qint32 vaMV_ConvertAddr(MVHandle title, qint32 address) {
    return vaMVConvertAddr(title, address);
}

} // namespace kv
