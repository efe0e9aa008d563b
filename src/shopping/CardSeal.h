#pragma once

// The card number at rest. It is sealed (XSalsa20-Poly1305, libsodium's secret box) with a
// random key kept outside the database: in the desktop's secret store when one answers,
// otherwise in a key file only the user may read, in the per-user data folder. The sealed
// value goes in the "Card Number" field, which holds 50 characters: "enc:" and the sealed
// bytes written 14 bits to a character (CJK ideographs U+4E00 to U+8DFF), so no digit of the
// number ever reaches the database file or an export of it. A value without the prefix is
// clear text from an older copy: it still reads, and is sealed at the next save.

#include <QString>

namespace kv {

inline const QString kSealedCardPrefix = QStringLiteral("enc:");
// The name of the key in the secret store, and of the key file in the per-user data folder.
inline const QString kCardKeyName = QStringLiteral("card-number-key");
inline const QString kCardKeyFileName = QStringLiteral("card-number.key");
// The longest number (in UTF-8 bytes) a sealed value can hold within the field.
inline constexpr int kMaxSealedCardBytes = 39;

// Whether a stored value was sealed by this program.
bool isSealedCard(const QString& stored);

// The key file's path: the per-user data folder and kCardKeyFileName.
QString Card_Key_File();

// Seals a number for the field ("" stays ""). A key is made on first use. False, with the
// reason in words a user can act on, when no key can be kept or the number is too long.
bool Card_Seal(const QString& number, QString& stored, QString& why);

// The number in a stored value: a clear value as it is, a sealed one opened with the key.
// False, with the reason, when the key cannot be read or does not open the value (another
// key, or a damaged value); `number` is then "".
bool Card_Open(const QString& stored, QString& number, QString& why);

// Shows a number masked: every digit but the last four becomes a bullet; spaces and other
// separators stay, so the grouping still shows.
QString Card_Masked(const QString& number);

} // namespace kv
