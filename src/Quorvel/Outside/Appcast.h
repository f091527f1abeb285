#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace Quorvel {

// One release of an appcast feed (RSS with the sparkle: namespace).
struct AppcastItem {
    QString title;
    // The build number ("sparkle:version"), compared to choose the newest.
    QString version;
    // The version users see ("sparkle:shortVersionString"), else the build number.
    QString displayVersion;
    // Absent for the default channel.
    std::optional<QString> channel;
    QUrl download;
    friend bool operator==(const AppcastItem &, const AppcastItem &) = default;
};

namespace Appcast {

// The feed's items in feed order; an item without a version or a download is left out. None when
// the text is no readable XML.
std::optional<QList<AppcastItem>> parse(const QByteArray &xml);

// Compares versions part by part ("1.10" is newer than "1.9"; numbers before letters); negative,
// zero or positive.
int compareVersions(const QString &a, const QString &b);

// The newest item newer than current on the default channel, or also on "testing" when asked;
// items whose download is not https are never offered.
std::optional<AppcastItem> newestUpdate(const QList<AppcastItem> &items, const QString &current,
                                        bool testing);

} // namespace Appcast

} // namespace Quorvel
