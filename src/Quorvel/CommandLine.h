#pragma once

#include <QString>
#include <QStringList>

namespace Quorvel {

// What the command line asks before anything starts: to run (the request then comes from
// LaunchRequest), to print the usage or the version and end, or nothing it knows: an option this
// program lacks ends it, so that a mistyped option is not taken for a plain start.
struct CommandLine {
    enum class Kind { run, help, version, unknownOption };

    static constexpr char helpOption[] = "--help";
    static constexpr char versionOption[] = "--version";

    Kind kind = Kind::run;
    // The first option not known, for unknownOption.
    QString option;

    // The arguments after the program's name. "--help" or "--version" anywhere wins (the first
    // of them); otherwise the first argument that starts with "-" and is none of the program's
    // options. Other arguments (links, desktop launchers' extras) are left to LaunchRequest.
    static CommandLine read(const QStringList &arguments);

    // The text "--help" prints, ending in a line feed.
    static QString usage();
    // The one line "--version" prints, ending in a line feed.
    static QString versionLine(const QString &version);
    // The one line an unknown option prints, ending in a line feed.
    static QString unknownOptionLine(const QString &option);
};

} // namespace Quorvel
