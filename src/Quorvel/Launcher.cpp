#include "Quorvel/Launcher.h"

#include "Platform/Desktop/ProcessTable.h"
#include "Platform/Session/ApplicationForwarder.h"
#include "Platform/Text/OutsideText.h"
#include "Quorvel/AppLogging.h"

#include <QFileInfo>

namespace Quorvel {

Launcher::Launcher(LaunchRequest request, Options options, QObject *parent)
    : QObject(parent), m_request(std::move(request)), m_options(std::move(options)),
      m_claim(m_options.bus, m_options.busName, m_options.lockPath), m_unit(m_options.loginAgent),
      m_handover(m_unit, m_options.handover)
{
    connect(&m_handover, &AgentHandover::finished, this, &Launcher::handOverFinished);
    connect(&m_service, &ApplicationService::activated, this,
            [this](const QVariantMap &data) { emit requested(requestFrom(data)); });
    connect(&m_service, &ApplicationService::opened, this,
            [this](const QStringList &uris, const QVariantMap &data) {
                LaunchRequest request = requestFrom(data);
                for (const QString &uri : uris) {
                    const QUrl url(uri);
                    if (url.scheme().compare(QLatin1String(LaunchRequest::linkScheme),
                                             Qt::CaseInsensitive) == 0)
                        request.links.append(url);
                    else
                        qCInfo(lcApp).noquote()
                            << "Not a link of this program:" << OutsideText::forLog(uri);
                }
                if (request.asksForMore())
                    emit requested(request);
            });
    connect(&m_service, &ApplicationService::actionActivated, this,
            [this](const QString &action, const QVariantList &, const QVariantMap &data) {
                LaunchRequest request = requestFrom(data);
                request.showOnboarding =
                    action == QLatin1String(LaunchRequest::showOnboardingAction);
                request.showSettings = action == QLatin1String(LaunchRequest::showSettingsAction);
                request.openDeckEditor =
                    action == QLatin1String(LaunchRequest::openDeckEditorAction);
                if (request.asksForMore())
                    emit requested(request);
                else
                    qCInfo(lcApp).noquote() << "Unknown action" << OutsideText::forLog(action);
            });
}

Launcher::~Launcher() = default;

bool Launcher::runsThisProgram(qint64 pid)
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return !self.isEmpty() &&
           QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == self;
}

LaunchRequest Launcher::requestFrom(const QVariantMap &platformData)
{
    LaunchRequest request;
    const QVariant caller =
        platformData.value(QString::fromLatin1(ApplicationService::callerProcessKey));
    if (caller.isValid())
        request.senderProcess = caller.toLongLong();
    // A later copy of this program names the process that started it. Any other caller could name
    // an approved application's process, and so could a copy of this program whose getppid() a
    // preloaded library answers: the named process is taken only when it is the caller's parent
    // as the kernel keeps it. Otherwise the caller stays the sender, and its parents are looked
    // at from there.
    const QVariant sender =
        platformData.value(QString::fromLatin1(LaunchRequest::senderProcessKey));
    if (sender.isValid() && caller.isValid() && runsThisProgram(caller.toLongLong()) &&
        sender.toLongLong() == ProcessTable::parentOf(caller.toLongLong()))
        request.senderProcess = sender.toLongLong();
    return request;
}

void Launcher::start()
{
    if (m_options.bus.isConnected()) {
        // Exported before the name is ours, so that a call queued for the name while the program
        // was being started by the bus finds the object.
        m_options.bus.registerObject(ApplicationService::objectPath(m_options.busName), &m_service,
                                     QDBusConnection::ExportAllSlots);
    }
    claimed(m_claim.claim());
}

void Launcher::claimed(InstanceClaim::Outcome outcome)
{
    if (outcome == InstanceClaim::Outcome::secondary) {
        passOnAndEnd();
        return;
    }
    // Without a bus nobody could see the agent come up, so there is no hand-over.
    if (outcome == InstanceClaim::Outcome::primary && m_claim.usesBus() &&
        m_handover.shouldHandOver()) {
        m_claim.release();
        m_handover.start(m_options.bus, m_options.busName);
        return;
    }
    emit runHere();
}

void Launcher::handOverFinished(bool handedOver)
{
    if (handedOver) {
        passOnAndEnd();
        return;
    }
    // A slow agent may have taken the name meanwhile: then it runs, and this copy passes on.
    claimed(m_claim.claim());
}

void Launcher::passOnAndEnd()
{
    if (!m_claim.usesBus()) {
        qCWarning(lcApp) << "Quorvel already runs; without a session bus this start's windows"
                            " and links cannot be passed to it";
        emit endHere(0);
        return;
    }
    if (!m_request.forward(ApplicationForwarder(m_options.bus, m_options.busName)))
        qCWarning(lcApp) << "Quorvel already runs but did not take this start's request";
    else
        qCInfo(lcApp) << "Quorvel already runs; passed this start's request to it";
    emit endHere(0);
}

} // namespace Quorvel
