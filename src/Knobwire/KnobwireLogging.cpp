#include "Knobwire/KnobwireLogging.h"

// Debug lines stay off unless QT_LOGGING_RULES asks for them: the host polls checks every few
// seconds and would otherwise print for each one.
Q_LOGGING_CATEGORY(lcKnobwireConsumer, "dev.knobwire.consumer", QtInfoMsg)
Q_LOGGING_CATEGORY(lcKnobwireProvider, "dev.knobwire.provider", QtInfoMsg)
