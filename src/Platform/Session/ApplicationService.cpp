#include "Platform/Session/ApplicationService.h"

namespace Quorvel {

ApplicationService::ApplicationService(QObject *parent) : QObject(parent) {}

QString ApplicationService::objectPath(const QString &busName)
{
    QString path = u'/' + busName;
    path.replace(u'.', u'/');
    path.replace(u'-', u'_');
    return path;
}

void ApplicationService::Activate(const QVariantMap &platformData)
{
    emit activated(platformData);
}

void ApplicationService::Open(const QStringList &uris, const QVariantMap &platformData)
{
    emit opened(uris, platformData);
}

void ApplicationService::ActivateAction(const QString &actionName, const QVariantList &parameter,
                                        const QVariantMap &platformData)
{
    emit actionActivated(actionName, parameter, platformData);
}

} // namespace Quorvel
