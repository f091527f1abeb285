#pragma once

#include <QSettings>

#include <memory>
#include <optional>

namespace Quorvel {

// The application's settings: an INI file of organization and application "Quorvel".
std::unique_ptr<QSettings> openClientSettings();

// A text setting, or none when the key is absent.
std::optional<QString> readSettingText(const QString &key);
// Stores the text, or removes the key for none.
void writeSettingText(const QString &key, const std::optional<QString> &value);

} // namespace Quorvel
