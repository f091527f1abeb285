#pragma once

#include <QString>

#include <optional>

namespace Quorvel {

class Message;

// Text a device sends, made safe where it enters the host: names clipped and cleaned of control
// characters, over-long identifiers turned away, and everything escaped before it reaches a log.
namespace DeviceText {

// Request and control ids longer than this are no id any peer of ours makes (they are UUIDs and
// short names); a message carrying one is dropped like any message the host cannot read.
inline constexpr qsizetype maxIdLength = 128;
// User-perceived characters of a device name the host keeps.
inline constexpr qsizetype maxNameCharacters = 64;
// UTF-16 units of a device name the host keeps, so that 64 characters each made of endless
// combining marks still make a short name; room for 64 emoji of up to 8 units.
inline constexpr qsizetype maxNameUnits = 512;
// Characters of one piece of device text written into a log line.
inline constexpr qsizetype maxLogLength = 160;

// The name as the host keeps it: control, line-separator and text-direction characters replaced
// by U+FFFD, clipped to maxNameCharacters user-perceived characters and maxNameUnits units.
QString deviceName(const QString &name);

// The longest request or control id of the message when it is over maxIdLength; nothing when
// every id fits (or the message carries none).
std::optional<QString> overlongId(const Message &message);

// The text for a log line: backslashes doubled, control, separator and direction characters
// written as \n, \t or \u{XXXX}, clipped to maxLogLength characters with "…" and the original
// length appended when clipped.
QString forLog(const QString &text);

} // namespace DeviceText

} // namespace Quorvel
