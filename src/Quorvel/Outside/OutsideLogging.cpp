#include "Quorvel/Outside/OutsideLogging.h"

Q_LOGGING_CATEGORY(lcOutside, "Quorvel.Outside", QtInfoMsg)
