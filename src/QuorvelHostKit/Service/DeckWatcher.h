#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

namespace Quorvel {

// Notices when the deck file is changed by something other than the host, typically a person in
// a text editor, and hands the new bytes to its owner. Two triggers run the same check: events
// on the file and its folder (debounced) and a steady poll, which keeps running even when the
// folder cannot be watched. It decodes nothing; it only reports bytes that differ from the last
// ones it knows. Lives on the thread that made it.
class DeckWatcher : public QObject {
    Q_OBJECT

public:
    struct Timings {
        // Editors save in bursts of events; one check after the burst settles is enough.
        std::chrono::milliseconds debounce{300};
        // Catches edits that the file-system events miss, such as a folder that cannot be watched.
        std::chrono::milliseconds poll{2000};
    };

    using ChangeHandler = std::function<void(const QByteArray &)>;

    DeckWatcher(const QUrl &fileURL, std::optional<QByteArray> initialData, ChangeHandler onChange,
                Timings timings, QObject *parent = nullptr);
    DeckWatcher(const QUrl &fileURL, std::optional<QByteArray> initialData, ChangeHandler onChange,
                QObject *parent = nullptr);

    // Arms the file-system watch and the poll. Called once, right after creation.
    void start();
    // The bytes the host itself has just written; a later check that reads them stays silent.
    // Call it in the same turn of the event loop as the write so that no check falls between.
    void noteSaved(const QByteArray &bytes);
    // Ends both triggers for good; nothing is reported afterwards.
    void stop();

signals:
    // A check ran (whether or not it found a change).
    void checked();

private:
    void armWatches();
    void check();
    void poll();

    QString m_filePath;
    QString m_folderPath;
    Timings m_timings;
    ChangeHandler m_onChange;
    std::optional<QByteArray> m_lastData;
    bool m_started = false;
    bool m_stopped = false;
    QFileSystemWatcher m_watch;
    QTimer m_pending;
    QTimer m_pollTimer;
};

} // namespace Quorvel
