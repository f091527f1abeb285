#include "Platform/Avahi/AvahiTxtRecord.h"

#include <avahi-common/strlst.h>

namespace Quorvel {

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
