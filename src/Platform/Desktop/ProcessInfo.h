#pragma once

#include <QString>
#include <QStringList>

namespace Quorvel {

// What the process table says about one running process, as far as telling its application goes.
struct ProcessInfo {
    qint64 pid = 0;
    // The file the process runs (/proc/PID/exe), without the kernel's mark for a replaced file;
    // empty when it cannot be read.
    QString executablePath;
    // Its command line. The first word is whatever the process chose to call itself, so it proves
    // nothing about which program runs.
    QStringList arguments;
    // Its working folder, against which a relative script path on the command line is read.
    QString workingFolder;
    // The Flatpak application whose sandbox it runs in; empty outside Flatpak.
    QString flatpakId;

    friend bool operator==(const ProcessInfo &, const ProcessInfo &) = default;
};

} // namespace Quorvel
