#pragma once

#include <QString>

namespace Quorvel {

// A DNS-SD service name is one DNS label: at most 63 bytes of UTF-8.
inline constexpr qsizetype serviceNameMaxBytes = 63;

// The name this computer shows to devices: its pretty host name (systemd-hostnamed) when one is
// set, else its host name, else "Quorvel"; cut to fit a DNS-SD service name.
QString hostDisplayName();

// The longest start of text whose UTF-8 form fits in maxBytes, never splitting a user-perceived
// character (a grapheme cluster).
QString clipToUtf8Bytes(const QString &text, qsizetype maxBytes);

} // namespace Quorvel
