#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcKnobwireConsumer)
Q_DECLARE_LOGGING_CATEGORY(lcKnobwireProvider)
