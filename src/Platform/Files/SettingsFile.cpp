#include "Platform/Files/SettingsFile.h"

#include "Platform/Files/IniText.h"
#include "Platform/Files/PendingSettings.h"
#include "Platform/Files/PrivateFile.h"
#include "Platform/PlatformLogging.h"

#include <QFileDevice>
#include <QStandardPaths>

#include <cerrno>

namespace Quorvel::SettingsFile {

namespace {

const QString organization = QStringLiteral("Quorvel");
const QString application = QStringLiteral("Quorvel");

// Writes that failed on this thread (and were logged), so that a handle knows whether Qt's
// report of a failure was already told.
int &failedWrites()
{
    thread_local int count = 0;
    return count;
}

bool readSettings(QIODevice &device, QSettings::SettingsMap &settings)
{
    settings = IniText::read(device.readAll());
    // Qt drops everything a reader found when it answers false; like Qt's own INI reader, this
    // one keeps what it could read.
    return true;
}

// Qt hands over its safe-save file, a new file beside the settings file that takes the file's
// place only when this answers true.
bool writeSettings(QIODevice &device, const QSettings::SettingsMap &settings)
{
    const auto *file = qobject_cast<QFileDevice *>(&device);
    const int descriptor = file ? file->handle() : -1;
    const int failure =
        descriptor >= 0 ? PrivateFile::fill(descriptor, IniText::write(settings)) : EBADF;
    if (failure == 0)
        return true;
    // An attempt to write what waits is not told again (nor counted as told).
    if (PendingSettings::isRetrying())
        return false;
    ++failedWrites();
    qCWarning(lcFiles).noquote() << QStringLiteral("can't write %1: %2")
                                        .arg(file ? file->fileName() : QStringLiteral("settings"),
                                             PrivateFile::errorText(failure));
    return false;
}

} // namespace

void Closer::operator()(QSettings *settings) const
{
    std::unique_ptr<QSettings> closing(settings);
    closing->sync();
    PendingSettings *pending = PendingSettings::instance();
    if (closing->status() != QSettings::AccessError) {
        // The write took whatever waited from earlier failures with it.
        if (pending)
            pending->written();
        return;
    }
    if (failedWrites() == m_failedWritesBefore) {
        qCWarning(lcFiles).noquote()
            << QStringLiteral("can't write %1: its lock file or its new copy could not be made")
                   .arg(closing->fileName());
    }
    if (pending)
        pending->hold(std::move(closing));
}

void setRetryTimings(PendingWrite::Timings timings)
{
    PendingSettings::setTimings(timings);
}

QSettings::Format format()
{
    // The extension keeps the file where Qt's INI format has always put it.
    static const QSettings::Format registered =
        QSettings::registerFormat(QStringLiteral("ini"), readSettings, writeSettings);
    return registered;
}

Handle open()
{
    const QString folder = folderPath();
    if (const int failure = PrivateFile::makeFolder(folder)) {
        qCWarning(lcFiles).noquote()
            << QStringLiteral("can't make %1: %2").arg(folder, PrivateFile::errorText(failure));
    }
    // Opening writes changes that an earlier write could not.
    const int failedBefore = failedWrites();
    return Handle(new QSettings(format(), QSettings::UserScope, organization, application),
                  Closer(failedBefore));
}

QString folderPath()
{
    // Where Qt puts a user's settings of an organization.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           organization;
}

QString filePath()
{
    return folderPath() + u'/' + application + QStringLiteral(".ini");
}

int makePrivate()
{
    const QString folder = folderPath();
    if (const int failure = PrivateFile::makeFolder(folder))
        return failure;
    if (const int failure = PrivateFile::tightenFolder(folder))
        return failure;
    return PrivateFile::tightenFile(filePath());
}

} // namespace Quorvel::SettingsFile
