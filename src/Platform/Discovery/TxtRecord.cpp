#include "Platform/Discovery/TxtRecord.h"

#include <avahi-common/strlst.h>

namespace Quorvel {

TxtRecord txtRecordFromStrings(const QList<QByteArray> &strings)
{
    TxtRecord record;
    for (const QByteArray &string : strings) {
        const qsizetype separator = string.indexOf('=');
        const QByteArray key = separator < 0 ? string : string.left(separator);
        if (key.isEmpty()) {
            continue;
        }
        const QString keyText = QString::fromUtf8(key);
        if (record.contains(keyText)) {
            continue;
        }
        record.insert(keyText,
                      separator < 0 ? QString() : QString::fromUtf8(string.mid(separator + 1)));
    }
    return record;
}

QList<QByteArray> txtStrings(const TxtRecord &record)
{
    QList<QByteArray> strings;
    for (auto it = record.cbegin(); it != record.cend(); ++it) {
        strings.append(it.key().toUtf8() + '=' + it.value().toUtf8());
    }
    return strings;
}

} // namespace Quorvel
