#pragma once

#include "Platform/Desktop/DesktopEntry.h"
#include "Platform/Desktop/ProcessInfo.h"

#include <QList>
#include <QString>

#include <optional>

namespace Quorvel {

// Tells whether a process runs the application of one desktop entry. What a process calls itself
// (the first word of its command line) never counts: only the file it really runs does.
//
// - A Flatpak entry matches the processes of its application's sandbox, and a snap entry the
//   processes that run from its snap; their Exec lines start a launcher that other applications
//   share, so nothing else counts for them.
// - Otherwise the programs of Exec and TryExec are found through PATH: a process runs the entry
//   when its executable is one of them; for a script, when its executable is the script's
//   interpreter (after "env", the program env runs) and the first word after the options on its
//   command line is the script.
// - An Exec line that gives its program a word of its own (an interpreter its script, as in
//   "python3 /opt/app.py"; a program its mode) matches only processes of that program whose first
//   word after the options is that word: the same file when it names one, else the same text.
//   Every script of an interpreter would otherwise count as the one application. TryExec then
//   does not count either, as it often names the interpreter alone.
class EntryProgram {
public:
    // Reads the disk: looks the programs up on PATH and reads a script's first line.
    explicit EntryProgram(const DesktopEntry &entry);

    // The file name of what the process runs for this entry (the script for a script), or none
    // when it does not run the entry's application.
    std::optional<QString> match(const ProcessInfo &process) const;

    // The longest first line of a script that the kernel reads for its interpreter.
    static constexpr qint64 interpreterLineBytes = 256;

private:
    struct Executable {
        // The file the process runs, every link resolved: the program, or a script's interpreter.
        QString path;
        // The first word after the options that the process's command line must have: a file
        // with every link resolved, else a text; empty when any command line will do.
        QString firstWord;
        // What a match reports when the first word is a file (its file name); empty to report
        // the name of what the process runs.
        QString name;

        friend bool operator==(const Executable &, const Executable &) = default;
    };

    static std::optional<Executable> executableOf(const QString &program);
    // The process's first word after the options, as a file when it names one.
    static QString firstWordOf(const ProcessInfo &process);

    QList<Executable> m_executables;
    QString m_flatpakId;
    // "/snap/NAME/" for a snap entry.
    QString m_snapFolder;
};

} // namespace Quorvel
