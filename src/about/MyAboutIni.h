#pragma once

#include <QString>

namespace kv {

// The user lines of the about box, as the installer records them in "MYABOUT.INI",
// section "UserInfo".
struct AboutUserInfo {
    QString Name;
    QString Address;
    QString City;
    QString State;
    QString ZipCode;
};

// The classic private-profile read into a buffer of bufferLength characters: sections and
// keys match without regard to case, the value loses the blanks around it and one pair of
// enclosing quotes, and at most bufferLength - 1 characters come back (the buffer's last
// place holds the terminating NUL). A missing file, section or key gives the default.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& def,
                                int bufferLength, const QString& file);

// "MYABOUT.INI" in the application folder, else in the settings folder (the name matched
// without regard to case); empty when neither has one.
QString myAboutIniFile();

// The five user values with their buffer lengths (Name 40, Address 50, City 50, State 4,
// ZipCode 11); an empty file name gives empty values.
AboutUserInfo readAboutUserInfo(const QString& file);

} // namespace kv
