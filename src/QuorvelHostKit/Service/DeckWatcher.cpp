#include "QuorvelHostKit/Service/DeckWatcher.h"

#include "QuorvelHostKit/HostKitLogging.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace Quorvel {

DeckWatcher::DeckWatcher(const QUrl &fileURL, std::optional<QByteArray> initialData,
                         ChangeHandler onChange, Timings timings, QObject *parent)
    : QObject(parent), filePath(fileURL.toLocalFile()),
      folderPath(QFileInfo(filePath).absolutePath()), timings(timings),
      onChange(std::move(onChange)), lastData(std::move(initialData))
{
    pending.setSingleShot(true);
    pending.setInterval(timings.debounce);
    connect(&pending, &QTimer::timeout, this, &DeckWatcher::check);
    pollTimer.setSingleShot(true);
    pollTimer.setInterval(timings.poll);
    connect(&pollTimer, &QTimer::timeout, this, &DeckWatcher::poll);
    const auto debounce = [this] {
        if (!stopped) {
            pending.start();
        }
    };
    connect(&watch, &QFileSystemWatcher::directoryChanged, this, debounce);
    connect(&watch, &QFileSystemWatcher::fileChanged, this, debounce);
}

DeckWatcher::DeckWatcher(const QUrl &fileURL, std::optional<QByteArray> initialData,
                         ChangeHandler onChange, QObject *parent)
    : DeckWatcher(fileURL, std::move(initialData), std::move(onChange), Timings{}, parent)
{}

void DeckWatcher::start()
{
    if (started || stopped) {
        return;
    }
    started = true;
    if (!QFileInfo(folderPath).isDir() || !watch.addPath(folderPath)) {
        qCCritical(lcDeckWatcher, "Can't watch %s", qUtf8Printable(folderPath));
    }
    armWatches();
    pollTimer.start();
}

void DeckWatcher::noteSaved(const QByteArray &bytes)
{
    lastData = bytes;
}

void DeckWatcher::stop()
{
    stopped = true;
    pending.stop();
    pollTimer.stop();
    const auto watched = watch.files() + watch.directories();
    if (!watched.isEmpty()) {
        watch.removePaths(watched);
    }
}

// A folder created after start, or a deck file replaced by a rename, drops out of the watch;
// putting it back keeps edits quick to notice. Only paths that exist are tried, so nothing is
// logged for a file that is briefly missing.
void DeckWatcher::armWatches()
{
    if (!watch.directories().contains(folderPath) && QFileInfo(folderPath).isDir()) {
        watch.addPath(folderPath);
    }
    if (!watch.files().contains(filePath) && QFileInfo(filePath).isFile()) {
        watch.addPath(filePath);
    }
}

void DeckWatcher::check()
{
    if (stopped) {
        return;
    }
    armWatches();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        emit checked();
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || (lastData && *lastData == bytes)) {
        emit checked();
        return;
    }
    lastData = bytes;
    qCInfo(lcDeckWatcher, "deck.json changed on disk");
    const QPointer<DeckWatcher> self(this);
    onChange(bytes);
    if (self) {
        emit checked();
    }
}

void DeckWatcher::poll()
{
    const QPointer<DeckWatcher> self(this);
    check();
    if (self && !stopped) {
        pollTimer.start();
    }
}

} // namespace Quorvel
