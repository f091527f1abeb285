#include "QuorvelHostKit/Service/DeckWatcher.h"

#include "QuorvelHostKit/HostKitLogging.h"
#include "QuorvelHostKit/Service/FileRead.h"

#include <QFileInfo>
#include <QPointer>

namespace Quorvel {

DeckWatcher::DeckWatcher(const QUrl &fileURL, std::optional<QByteArray> initialData,
                         ChangeHandler onChange, Timings timings, QObject *parent)
    : QObject(parent), m_filePath(fileURL.toLocalFile()),
      m_folderPath(QFileInfo(m_filePath).absolutePath()), m_timings(timings),
      m_onChange(std::move(onChange)), m_lastData(std::move(initialData))
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(m_timings.debounce);
    connect(&m_pending, &QTimer::timeout, this, &DeckWatcher::check);
    m_pollTimer.setSingleShot(true);
    m_pollTimer.setInterval(m_timings.poll);
    connect(&m_pollTimer, &QTimer::timeout, this, &DeckWatcher::poll);
    const auto debounce = [this] {
        if (!m_stopped) {
            m_pending.start();
        }
    };
    connect(&m_watch, &QFileSystemWatcher::directoryChanged, this, debounce);
    connect(&m_watch, &QFileSystemWatcher::fileChanged, this, debounce);
}

DeckWatcher::DeckWatcher(const QUrl &fileURL, std::optional<QByteArray> initialData,
                         ChangeHandler onChange, QObject *parent)
    : DeckWatcher(fileURL, std::move(initialData), std::move(onChange), Timings{}, parent)
{}

void DeckWatcher::start()
{
    if (m_started || m_stopped) {
        return;
    }
    m_started = true;
    if (!QFileInfo(m_folderPath).isDir() || !m_watch.addPath(m_folderPath)) {
        qCCritical(lcDeckWatcher, "Can't watch %s", qUtf8Printable(m_folderPath));
    }
    armWatches();
    m_pollTimer.start();
}

void DeckWatcher::noteSaved(const QByteArray &bytes)
{
    m_lastData = bytes;
}

void DeckWatcher::stop()
{
    m_stopped = true;
    m_pending.stop();
    m_pollTimer.stop();
    const auto watched = m_watch.files() + m_watch.directories();
    if (!watched.isEmpty()) {
        m_watch.removePaths(watched);
    }
}

// A folder created after start, or a deck file replaced by a rename, drops out of the watch;
// putting it back keeps edits quick to notice. Only paths that exist are tried, so nothing is
// logged for a file that is briefly missing.
void DeckWatcher::armWatches()
{
    if (!m_watch.directories().contains(m_folderPath) && QFileInfo(m_folderPath).isDir()) {
        m_watch.addPath(m_folderPath);
    }
    if (!m_watch.files().contains(m_filePath) && QFileInfo(m_filePath).isFile()) {
        m_watch.addPath(m_filePath);
    }
}

void DeckWatcher::check()
{
    if (m_stopped) {
        return;
    }
    armWatches();
    const std::optional<QByteArray> bytes = FileRead::read(m_filePath).bytes;
    if (!bytes || (m_lastData && *m_lastData == *bytes)) {
        emit checked();
        return;
    }
    m_lastData = bytes;
    qCInfo(lcDeckWatcher, "deck.json changed on disk");
    const QPointer<DeckWatcher> self(this);
    m_onChange(*bytes);
    if (self) {
        emit checked();
    }
}

void DeckWatcher::poll()
{
    const QPointer<DeckWatcher> self(this);
    check();
    if (self && !m_stopped) {
        m_pollTimer.start();
    }
}

} // namespace Quorvel
