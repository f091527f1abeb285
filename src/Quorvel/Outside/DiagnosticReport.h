#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// The plain-text report of what this copy of the application sees, for the user to paste when
// asking for help. Built from values the caller gathers, so that it reads the application once.
struct DiagnosticReport {
    struct Editor {
        bool connected = false;
        bool canEdit = false;
    };

    QDateTime now;
    // The program's version as the Updates tab shows it.
    QString version;
    // Where the program runs from.
    QString location;
    QString homePath;
    QString osLine;
    bool remote = false;
    bool hosting = false;
    bool startsAtLogin = false;
    bool automaticallyChecks = true;
    bool getsTestBuilds = false;
    std::optional<QString> availableVersion;
    // The client model's lines, present while the remote role is on.
    std::optional<QStringList> remoteLines;
    // The host's lines, present while hosting runs.
    std::optional<QStringList> hostLines;
    // The local deck editor's model, when it exists.
    std::optional<Editor> editor;

    // Every line joined with line feeds, ending in one.
    QString text() const;

    // The locale's date with an abbreviated month and no weekday, then its time with seconds and
    // no time zone.
    static QString dateText(const QDateTime &when, const QLocale &locale);

    // "~" for a leading home folder followed by "/" or the end; other paths unchanged.
    static QString homeRelative(const QString &path, const QString &home);
    // "Linux: " + the distribution's pretty name, + " on " + the machine model when there is one.
    static QString linuxLine(const QString &osReleasePath = QStringLiteral("/etc/os-release"),
                             const QString &productNamePath =
                                 QStringLiteral("/sys/devices/virtual/dmi/id/product_name"));
};

} // namespace Quorvel
