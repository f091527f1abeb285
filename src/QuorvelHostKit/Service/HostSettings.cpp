#include "QuorvelHostKit/Service/HostSettings.h"

#include <QSettings>

#include <memory>

namespace Quorvel::HostSettings {

namespace {

std::unique_ptr<QSettings> userSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Quorvel"), QStringLiteral("Quorvel"));
}

} // namespace

bool stored(const char *key)
{
    const auto settings = userSettings();
    settings->sync();
    return settings->value(QLatin1String(key), false).toBool();
}

void store(const char *key, bool value)
{
    const auto settings = userSettings();
    settings->setValue(QLatin1String(key), value);
    settings->sync();
}

QString filePath()
{
    return userSettings()->fileName();
}

} // namespace Quorvel::HostSettings
