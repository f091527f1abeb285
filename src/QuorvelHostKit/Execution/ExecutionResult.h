#pragma once

#include <QString>

namespace Quorvel {

// The outcome of one program run or app-control run. A non-zero exit code is a result, not an
// error; it is the caller's business to treat it as a failure.
struct ExecutionResult {
    // The exit status, or the signal number for a process ended by a signal.
    qint32 exitCode = 0;
    // Standard output and standard error, each at most 64 KiB of bytes before decoding. Named
    // apart from the C library's stdout and stderr, which may be macros.
    QString standardOutput;
    QString standardError;

    bool ok() const { return exitCode == 0; }

    // One line for the host to show and send: the output on success, else the error text, the
    // output, or "exit " and the code.
    QString summary() const;

    friend bool operator==(const ExecutionResult &, const ExecutionResult &) = default;
};

} // namespace Quorvel
