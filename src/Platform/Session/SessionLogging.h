#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLoginItem)
Q_DECLARE_LOGGING_CATEGORY(lcInstance)
