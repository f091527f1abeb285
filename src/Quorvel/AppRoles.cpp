#include "Quorvel/AppRoles.h"

#include "Platform/Files/SettingsFile.h"
#include "Quorvel/AppLogging.h"
#include "QuorvelClientUI/ClientSettings.h"

#include <QDir>
#include <QFileInfo>

namespace Quorvel {

AppRoles::AppRoles(Paths paths, QObject *parent) : QObject(parent)
{
    const auto settings = openClientSettings();
    if (settings->contains(remoteKey) && settings->contains(hostingKey)) {
        if (!settings->contains(onboardedKey))
            store(onboardedKey, true);
    } else {
        const QString home = paths.home.isEmpty() ? QDir::homePath() : paths.home;
        const bool found = QFileInfo(home + u'/' + oldAgentFile).isFile();
        store(hostingKey, found);
        store(remoteKey, false);
        store(onboardedKey, found);
        m_wasOldHost = found;
    }
    m_remote = readFlag(settings->value(remoteKey));
    m_hosting = readFlag(settings->value(hostingKey));
    m_onboarded = readFlag(settings->value(onboardedKey));
    migrate(paths.oldSettings.isEmpty() ? defaultOldSettingsPath() : paths.oldSettings);
}

AppRoles::~AppRoles() = default;

QString AppRoles::defaultOldSettingsPath()
{
    return SettingsFile::folderPath() + u'/' + oldSuite + QStringLiteral(".ini");
}

bool AppRoles::readFlag(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toDouble() != 0;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        // The settings file keeps every value as text.
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        return isNumber && number != 0;
    }
    default:
        return false;
    }
}

void AppRoles::store(const QString &key, bool value)
{
    // Written through settings of its own, closed at once: a failure is told each time, not only
    // the first time for the settings kept open.
    openClientSettings()->setValue(key, value);
}

void AppRoles::migrate(const QString &oldSettingsPath)
{
    if (readFlag(openClientSettings()->value(migratedKey)))
        return;
    // Marked before copying: a copy that fails half-way is never tried again.
    store(migratedKey, true);
    if (!QFileInfo(oldSettingsPath).isFile())
        return;
    const QSettings old(oldSettingsPath, SettingsFile::format());
    const auto settings = openClientSettings();
    for (const QString &key : migratedSettings) {
        if (!settings->contains(key) && old.contains(key))
            settings->setValue(key, old.value(key));
    }
    qCInfo(lcApp) << "Copied the earlier host's settings from" << oldSettingsPath;
}

void AppRoles::setRemote(bool on)
{
    const bool changed = on != m_remote;
    m_remote = on;
    store(remoteKey, on);
    if (changed)
        emit remoteChanged();
}

void AppRoles::setHosting(bool on)
{
    const bool changed = on != m_hosting;
    m_hosting = on;
    store(hostingKey, on);
    if (changed)
        emit hostingChanged();
}

void AppRoles::setOnboarded(bool done)
{
    const bool changed = done != m_onboarded;
    m_onboarded = done;
    store(onboardedKey, done);
    if (changed)
        emit onboardedChanged();
}

} // namespace Quorvel
