#pragma once

#include "Platform/Files/SettingsFile.h"

#include <optional>

namespace Quorvel {

// The application's settings: an INI file of organization and application "Quorvel", written
// when the handle closes.
SettingsFile::Handle openClientSettings();

// A text setting, or none when the key is absent.
std::optional<QString> readSettingText(const QString &key);
// Stores the text, or removes the key for none.
void writeSettingText(const QString &key, const std::optional<QString> &value);

} // namespace Quorvel
