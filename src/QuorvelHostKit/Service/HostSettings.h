#pragma once

#include <QString>

// The host's user settings: the INI file that the settings window writes and that a user or a
// script may edit by hand. Every read goes to the file again, so a value written from outside
// counts at the next read.
namespace Quorvel::HostSettings {

bool stored(const char *key);
void store(const char *key, bool value);
// Where the settings live, as a user would look for them.
QString filePath();

} // namespace Quorvel::HostSettings
