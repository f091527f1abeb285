#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace Quorvel {

// A file whose copy on disk has to catch up with what the program runs with: its identity, or
// the state that other programs read. A write that fails keeps the wanted bytes and tries them
// again on a timer whose interval doubles after each failure, up to a longest interval; a newer
// write replaces them and is tried at once, so the file follows at the first chance. Every
// attempt goes through PrivateFile::replace. Lives on the thread that uses it.
class PendingWrite : public QObject {
    Q_OBJECT
public:
    struct Timings {
        // Short enough that the file follows soon after room returns on a disk that was full.
        std::chrono::milliseconds first{500};
        // While a disk stays full, one attempt of a few hundred bytes this often costs nothing,
        // and the file is never more than this late once room returns.
        std::chrono::milliseconds longest{8000};
    };
    // Whether an attempt makes the file's folder (the user's alone) when it is missing.
    enum class Folder { mustExist, make };

    PendingWrite(Folder folder, Timings timings, QObject *parent = nullptr);

    // Puts bytes at path now, in place of anything still waiting. Returns 0, or the errno of the
    // failure: the bytes then wait and are tried again.
    int write(const QString &path, const QByteArray &bytes);
    // Forgets what waits, for a file whose content no longer matters.
    void cancel();

    bool isPending() const { return m_timer.isActive(); }
    // The time until the next attempt of what waits.
    std::chrono::milliseconds retryInterval() const { return m_timer.intervalAsDuration(); }

signals:
    // After each attempt of the timer: 0 when the waiting bytes were written, else the errno.
    void retried(int error);

private:
    int attempt() const;
    void retry();

    Folder m_folder;
    Timings m_timings;
    QString m_path;
    QByteArray m_bytes;
    QTimer m_timer;
};

} // namespace Quorvel
