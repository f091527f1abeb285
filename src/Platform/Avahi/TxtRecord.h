#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

struct AvahiStringList;

namespace Quorvel {

// The key/value texts of a DNS-SD TXT record. A key written without "=" reads with an empty value.
using TxtRecord = QMap<QString, QString>;

// Reads TXT strings in record order: each splits at its first "=" only, so a value may itself hold
// "="; when a key repeats, its first occurrence counts; strings with an empty key are ignored.
TxtRecord txtRecordFromStrings(const QList<QByteArray> &strings);

// The TXT strings "key=value" of a record, in key order.
QList<QByteArray> txtStrings(const TxtRecord &record);

// Conversions to and from Avahi's string list; the list returned is the caller's to free.
TxtRecord txtRecordFromAvahi(AvahiStringList *list);
AvahiStringList *avahiStringList(const TxtRecord &record);

} // namespace Quorvel
