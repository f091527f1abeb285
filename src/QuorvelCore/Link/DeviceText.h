#pragma once

#include "Platform/Text/OutsideText.h"

#include <QString>

#include <optional>

namespace Quorvel {

class Message;

// Text a device sends, made safe where it enters the host: names clipped and cleaned of control
// characters, over-long identifiers turned away. Logs take it through OutsideText::forLog.
namespace DeviceText {

// Request and control ids longer than this are no id any peer of ours makes (they are UUIDs and
// short names); a message carrying one is dropped like any message the host cannot read.
inline constexpr qsizetype maxIdLength = 128;
// User-perceived characters of a device name the host keeps.
inline constexpr qsizetype maxNameCharacters = OutsideText::maxShownCharacters;

// The name as the host keeps it: outside text as it is shown (OutsideText::forShowing).
QString deviceName(const QString &name);

// The longest request or control id of the message when it is over maxIdLength; nothing when
// every id fits (or the message carries none).
std::optional<QString> overlongId(const Message &message);

} // namespace DeviceText

} // namespace Quorvel
