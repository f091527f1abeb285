#include "Platform/Files/PendingWrite.h"

#include "Platform/Files/PrivateFile.h"
#include "Platform/PlatformLogging.h"

#include <QFileInfo>

#include <algorithm>

namespace Quorvel {

PendingWrite::PendingWrite(Folder folder, Timings timings, QObject *parent)
    : QObject(parent), m_folder(folder), m_timings(timings)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PendingWrite::retry);
}

int PendingWrite::write(const QString &path, const QByteArray &bytes)
{
    m_path = path;
    m_bytes = bytes;
    const int error = attempt();
    if (error == 0) {
        cancel();
        return 0;
    }
    m_timer.start(m_timings.first);
    return error;
}

void PendingWrite::cancel()
{
    m_timer.stop();
    m_bytes.clear();
}

int PendingWrite::attempt() const
{
    if (m_folder == Folder::make) {
        if (const int error = PrivateFile::makeFolder(QFileInfo(m_path).path())) {
            return error;
        }
    }
    return PrivateFile::replace(m_path, m_bytes);
}

void PendingWrite::retry()
{
    const int error = attempt();
    if (error == 0) {
        qCInfo(lcFiles, "Wrote %s, which could not be written before", qUtf8Printable(m_path));
        cancel();
    } else {
        m_timer.start(std::min(m_timer.intervalAsDuration() * 2, m_timings.longest));
    }
    emit retried(error);
}

} // namespace Quorvel
