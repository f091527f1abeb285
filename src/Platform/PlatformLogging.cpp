#include "Platform/PlatformLogging.h"

Q_LOGGING_CATEGORY(lcAvahi, "Quorvel.Avahi")
