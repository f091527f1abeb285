#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcAvahi)
Q_DECLARE_LOGGING_CATEGORY(lcPower)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
