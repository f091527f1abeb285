#include "Platform/Files/PendingSettings.h"

#include "Platform/PlatformLogging.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScopedValueRollback>
#include <QThread>

#include <algorithm>

namespace Quorvel {

namespace {

PendingWrite::Timings &timings()
{
    static PendingWrite::Timings current;
    return current;
}

bool &retrying()
{
    static bool current = false;
    return current;
}

} // namespace

PendingSettings *PendingSettings::instance()
{
    static QPointer<PendingSettings> current;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread())
        return nullptr;
    if (!current)
        current = new PendingSettings(application);
    return current;
}

void PendingSettings::setTimings(PendingWrite::Timings value)
{
    timings() = value;
}

bool PendingSettings::isRetrying()
{
    return retrying();
}

PendingSettings::PendingSettings(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PendingSettings::retry);
}

PendingSettings::~PendingSettings()
{
    // The application ends: a last attempt, since room may have returned since the last one.
    if (m_held && attempt())
        written();
}

void PendingSettings::hold(std::unique_ptr<QSettings> failed)
{
    // Settings already held keep the file's changes, the new ones among them.
    if (!m_held) {
        m_held = std::move(failed);
        // Settings flush themselves once more after a change: the attempts here are the only
        // ones, on the timer, and say nothing more than the failure already said.
        QCoreApplication::removePostedEvents(m_held.get(), QEvent::UpdateRequest);
    }
    m_timer.start(timings().first);
}

void PendingSettings::written()
{
    if (!m_held)
        return;
    qCInfo(lcFiles, "Wrote %s, which could not be written before",
           qUtf8Printable(m_held->fileName()));
    release();
}

bool PendingSettings::attempt() const
{
    // Settings opened anew write what waits as they open; the status of those held stays the
    // failure's for good. A failure is told once, when the change failed, not at every attempt.
    const QScopedValueRollback quiet(retrying(), true);
    const QSettings settings(m_held->fileName(), m_held->format());
    return settings.status() == QSettings::NoError;
}

void PendingSettings::retry()
{
    if (attempt()) {
        written();
        return;
    }
    m_timer.start(std::min(m_timer.intervalAsDuration() * 2, timings().longest));
}

void PendingSettings::release()
{
    m_timer.stop();
    m_held.reset();
}

} // namespace Quorvel
