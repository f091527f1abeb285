#include "Platform/PlatformLogging.h"

Q_LOGGING_CATEGORY(lcAvahi, "Quorvel.Avahi")
Q_LOGGING_CATEGORY(lcPower, "Quorvel.Power")
