#include "QuorvelClientUI/ClientSettings.h"

namespace Quorvel {

SettingsFile::Handle openClientSettings()
{
    return SettingsFile::open();
}

std::optional<QString> readSettingText(const QString &key)
{
    const QVariant value = openClientSettings()->value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void writeSettingText(const QString &key, const std::optional<QString> &value)
{
    const auto settings = openClientSettings();
    if (value)
        settings->setValue(key, *value);
    else
        settings->remove(key);
}

} // namespace Quorvel
