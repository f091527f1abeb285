#include "Platform/Session/ApplicationService.h"

#include <QDBusConnectionInterface>

namespace Quorvel {

ApplicationService::ApplicationService(QObject *parent) : QObject(parent) {}

QString ApplicationService::objectPath(const QString &busName)
{
    QString path = u'/' + busName;
    path.replace(u'.', u'/');
    path.replace(u'-', u'_');
    return path;
}

QVariantMap ApplicationService::withCaller(QVariantMap platformData) const
{
    const QString key = QString::fromLatin1(callerProcessKey);
    platformData.remove(key);
    if (!calledFromDBus())
        return platformData;
    const QDBusReply<uint> pid = connection().interface()->servicePid(message().service());
    if (pid.isValid())
        platformData.insert(key, qint64(pid.value()));
    return platformData;
}

void ApplicationService::Activate(const QVariantMap &platformData)
{
    emit activated(withCaller(platformData));
}

void ApplicationService::Open(const QStringList &uris, const QVariantMap &platformData)
{
    emit opened(uris, withCaller(platformData));
}

void ApplicationService::ActivateAction(const QString &actionName, const QVariantList &parameter,
                                        const QVariantMap &platformData)
{
    emit actionActivated(actionName, parameter, withCaller(platformData));
}

} // namespace Quorvel
