#pragma once

#include <QtGlobal>

// The fixed bounds of the app-control protocol. Every receiver applies them to what another
// process sent, so that no peer can make this process crash or grow without bound.
namespace Knobwire::Limits {

// Bytes in one received line, without its line feed.
inline constexpr qsizetype maxLine = 1048576;
// Bytes in one line that a provider accepts before a valid hello; UTF-8 bytes of an announcement.
inline constexpr qsizetype maxHelloLine = 4096;
// Controls kept by sanitize().
inline constexpr qsizetype maxControls = 512;
// Unicode scalars kept of an identifier, name, kind, group, application identifier, version or key.
inline constexpr qsizetype maxName = 256;
// Unicode scalars kept of a control's text and of an error message.
inline constexpr qsizetype maxText = 1024;
// Writes that one connection may have in flight.
inline constexpr qsizetype maxQueuedSends = 1000;
// Bytes that one connection may have in flight.
inline constexpr qsizetype maxQueuedBytes = 8388608;
// Providers that a consumer tracks at once and restores; sessions that a provider keeps at once.
inline constexpr qsizetype maxPeers = 64;
// Sessions that a provider holds that have not sent a valid hello yet.
inline constexpr qsizetype maxPendingSessions = 16;

// A closed range of doubles.
struct Range {
    double lower;
    double upper;
};

// Meter levels in decibels: silence floor to the loudest level a meter shows.
inline constexpr Range meterRange{-160.0, 24.0};

} // namespace Knobwire::Limits
