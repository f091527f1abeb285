#include "Platform/Avahi/TxtRecord.h"

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

TxtRecord txtRecordFromAvahi(AvahiStringList *list)
{
    QList<QByteArray> strings;
    for (AvahiStringList *item = list; item; item = avahi_string_list_get_next(item)) {
        strings.append(QByteArray(reinterpret_cast<const char *>(avahi_string_list_get_text(item)),
                                  qsizetype(avahi_string_list_get_size(item))));
    }
    return txtRecordFromStrings(strings);
}

AvahiStringList *avahiStringList(const TxtRecord &record)
{
    AvahiStringList *list = nullptr;
    for (const QByteArray &string : txtStrings(record)) {
        list = avahi_string_list_add_arbitrary(
            list, reinterpret_cast<const uint8_t *>(string.constData()), size_t(string.size()));
    }
    return list;
}

} // namespace Quorvel
