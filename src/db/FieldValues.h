#pragma once

#include "db/Schema.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace kv::db {

// What a value assigned to a field becomes in the file, checked against the field's type
// the way the original engine checks it: Yes/No as -1 or 0; whole numbers rounded half to
// even and range-checked (3349); text no longer than the field (3163); anything that does
// not convert gives 3421. Null stays Null. Stored forms: qint64, double, QString (text and
// dates as ISO "yyyy-MM-dd[ hh:mm:ss]"), QByteArray.
QVariant toStored(const QVariant& value, const FieldInfo& field);

// The value a program reads for a stored value of the given field type.
QVariant fromStored(const QVariant& stored, int fieldType);

// Date literals and date text: "m/d/yyyy", "m/d/yy", "yyyy-m-d", "yyyy/m/d", "d Mon yyyy",
// "Mon d, yyyy", "d-Mon-yyyy", each with an optional "h:mm[:ss] [AM|PM]", or a time alone.
// hasTime tells whether a time was given.
std::optional<QDateTime> parseDateText(QStringView text, bool* hasTime = nullptr);
QString storedDateText(const QDateTime& value, bool withTime);

// A number as the layer writes it into text: plain decimals, no exponent.
QString numberText(double value);

} // namespace kv::db
