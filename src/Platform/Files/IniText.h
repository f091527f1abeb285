#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSettings>

// A whole settings file in the text of Qt's INI format, both ways. Keys directly at the top go
// under "[General]"; a key "group/name" goes under "[group]" as "name", deeper levels kept in the
// key ("a/b/c" is "b\c" under "[a]"). Groups are written in order of their names, keys in order
// within them, a blank line between groups.
namespace Quorvel::IniText {

QByteArray write(const QSettings::SettingsMap &settings);
// Reads what it can, as Qt's INI reader does: a line it does not understand is passed over, and
// a key given twice keeps its last value. Lines run to the end of the line outside quotes, or
// to a ";" that starts a comment.
QSettings::SettingsMap read(QByteArrayView text);

} // namespace Quorvel::IniText
