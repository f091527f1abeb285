#include "Quorvel/LaunchRequest.h"

#include "Platform/Session/ApplicationForwarder.h"

namespace Quorvel {

LaunchRequest LaunchRequest::fromArguments(const QStringList &arguments)
{
    LaunchRequest request;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String(showOnboardingArgument)) {
            request.showOnboarding = true;
        } else if (argument.startsWith(QLatin1String(settingsTabPrefix))) {
            request.showSettings = true;
        } else if (argument == QLatin1String(openDeckEditorArgument)) {
            request.openDeckEditor = true;
        } else {
            const QUrl url(argument, QUrl::StrictMode);
            if (url.isValid() &&
                url.scheme().compare(QLatin1String(linkScheme), Qt::CaseInsensitive) == 0)
                request.links.append(url);
        }
    }
    return request;
}

QVariantMap LaunchRequest::platformData() const
{
    QVariantMap data;
    if (senderProcess)
        data.insert(QString::fromLatin1(senderProcessKey), *senderProcess);
    return data;
}

bool LaunchRequest::forward(const ApplicationForwarder &forwarder) const
{
    const QVariantMap data = platformData();
    bool ok = true;
    if (!asksForMore())
        return forwarder.activate(data);
    if (showOnboarding)
        ok = forwarder.activateAction(QString::fromLatin1(showOnboardingAction), {}, data) && ok;
    if (showSettings)
        ok = forwarder.activateAction(QString::fromLatin1(showSettingsAction), {}, data) && ok;
    if (openDeckEditor)
        ok = forwarder.activateAction(QString::fromLatin1(openDeckEditorAction), {}, data) && ok;
    if (!links.isEmpty()) {
        QStringList uris;
        for (const QUrl &link : links)
            uris.append(link.toString(QUrl::FullyEncoded));
        ok = forwarder.open(uris, data) && ok;
    }
    return ok;
}

} // namespace Quorvel
