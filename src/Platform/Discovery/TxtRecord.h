#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace Quorvel {

// The key/value texts of a DNS-SD TXT record. A key written without "=" reads with an empty value.
using TxtRecord = QMap<QString, QString>;

// Reads TXT strings in record order: each splits at its first "=" only, so a value may itself hold
// "="; when a key repeats, its first occurrence counts; strings with an empty key are ignored.
TxtRecord txtRecordFromStrings(const QList<QByteArray> &strings);

// The TXT strings "key=value" of a record, in key order.
QList<QByteArray> txtStrings(const TxtRecord &record);

} // namespace Quorvel
