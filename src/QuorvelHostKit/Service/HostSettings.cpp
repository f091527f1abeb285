#include "QuorvelHostKit/Service/HostSettings.h"

#include "Platform/Files/SettingsFile.h"

namespace Quorvel::HostSettings {

bool stored(const char *key)
{
    const auto settings = SettingsFile::open();
    settings->sync();
    return settings->value(QLatin1String(key), false).toBool();
}

void store(const char *key, bool value)
{
    SettingsFile::open()->setValue(QLatin1String(key), value);
}

QString filePath()
{
    return SettingsFile::filePath();
}

} // namespace Quorvel::HostSettings
