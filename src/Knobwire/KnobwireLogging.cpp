#include "Knobwire/KnobwireLogging.h"

Q_LOGGING_CATEGORY(lcKnobwireConsumer, "dev.knobwire.consumer")
Q_LOGGING_CATEGORY(lcKnobwireProvider, "dev.knobwire.provider")
