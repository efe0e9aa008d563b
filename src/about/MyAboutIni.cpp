#include "about/MyAboutIni.h"

#include "platform/AppContext.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace kv {

namespace {

// An installer's INI file is a few hundred bytes; anything far larger is not one.
constexpr qint64 kMaxIniBytes = 1 << 20;

QString fileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = file.read(kMaxIniBytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    // Older installers wrote the Windows code page.
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    return text;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

QString findIn(const QString& folder) {
    if (folder.isEmpty()) return QString();
    const QStringList found =
        QDir(folder).entryList({QStringLiteral("MYABOUT.INI")}, QDir::Files | QDir::Readable, QDir::Name);
    return found.isEmpty() ? QString() : QDir(folder).filePath(found.first());
}

} // namespace

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& def,
                                int bufferLength, const QString& file) {
    if (bufferLength <= 0) return QString();
    QString value = def;
    if (!file.isEmpty()) {
        bool inSection = false;
        const QStringList lines = fileText(file).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
        for (const QString& raw : lines) {
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                const qsizetype close = line.indexOf(QLatin1Char(']'));
                inSection = close > 0 && line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
                continue;
            }
            if (!inSection || line.startsWith(QLatin1Char(';'))) continue;
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals <= 0 || line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
            value = unquoted(line.mid(equals + 1).trimmed());
            break;
        }
    }
    // The buffer holds bufferLength - 1 characters and the NUL. Reading it back, trailing
    // blanks go and then the NUL: so what is left is the value as the buffer took it.
    return value.left(bufferLength - 1);
}

QString myAboutIniFile() {
    const QString inApp = findIn(ctx().appFolder);
    if (!inApp.isEmpty()) return inApp;
    return findIn(QFileInfo(settings::storeFile(settings::settingsApp())).absolutePath());
}

AboutUserInfo readAboutUserInfo(const QString& file) {
    const QString section = QStringLiteral("UserInfo");
    AboutUserInfo info;
    info.Name = GetPrivateProfileString(section, QStringLiteral("Name"), QString(), 40, file);
    info.Address = GetPrivateProfileString(section, QStringLiteral("Address"), QString(), 50, file);
    info.City = GetPrivateProfileString(section, QStringLiteral("City"), QString(), 50, file);
    info.State = GetPrivateProfileString(section, QStringLiteral("State"), QString(), 4, file);
    info.ZipCode = GetPrivateProfileString(section, QStringLiteral("ZipCode"), QString(), 11, file);
    return info;
}

} // namespace kv
