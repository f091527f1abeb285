#pragma once

#include "Platform/Discovery/TxtRecord.h"

struct AvahiStringList;

namespace Quorvel {

// Conversions to and from Avahi's string list; the list returned is the caller's to free.
TxtRecord txtRecordFromAvahi(AvahiStringList *list);
AvahiStringList *avahiStringList(const TxtRecord &record);

} // namespace Quorvel
