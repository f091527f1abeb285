#include "QuorvelHostKit/Service/HostRefusals.h"

namespace Quorvel::HostRefusals {

QString stillRunning(const QString &title)
{
    return title + QStringLiteral(" is still running");
}

QString tooManyRunning(const QString &hostName)
{
    return QStringLiteral("Too many actions are running on ") + hostName +
           QStringLiteral("; try again in a moment");
}

QString nothingToRun()
{
    return QStringLiteral("nothing to run");
}

QString editingOff(const QString &hostName)
{
    return QStringLiteral("Editing actions from other devices is turned off on ") + hostName +
           QStringLiteral(".");
}

QString editingOffWithHowTo(const QString &hostName, const QString &settingsFilePath)
{
    return editingOff(hostName) +
           QStringLiteral(" Turn it on in Quorvel's settings there, or set "
                          "allowRemoteDeckEditing=true in ") +
           settingsFilePath + QStringLiteral(".");
}

} // namespace Quorvel::HostRefusals
