#include "Platform/Power/InhibitRequest.h"

#include "Platform/PlatformLogging.h"

#include <QCoreApplication>
#include <QDBusPendingCallWatcher>

namespace Quorvel {

std::shared_ptr<InhibitRequest> InhibitRequest::send(const Call &call, IdleInhibitor::Answer answer)
{
    auto request = std::make_shared<InhibitRequest>();
    request->m_answer = std::move(answer);
    if (!call.bus.isConnected()) {
        const QString reason =
            QStringLiteral("no %1 bus (%2)").arg(call.busName, call.bus.lastError().message());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [request, reason] {
                if (request->m_answer)
                    std::exchange(request->m_answer, nullptr)(false, reason);
            },
            Qt::QueuedConnection);
        return request;
    }
    QDBusConnection bus = call.bus;
    // Not parented: it must see the reply through even when the inhibitor has gone, to hand back
    // a lock that arrives too late.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call.message, static_cast<int>(call.timeout.count())));
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher,
        [request, read = call.read, refuse = call.refuse](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            request->finish(*finished, read, refuse);
        });
    return request;
}

void InhibitRequest::finish(const QDBusPendingCall &reply, const Reader &read,
                            const Refusal &refuse)
{
    if (!m_wanted) {
        if (reply.isError())
            return;
        const Reading late = read(reply);
        if (const auto *unlock = std::get_if<Unlock>(&late))
            (*unlock)();
        return;
    }
    const IdleInhibitor::Answer answer = std::exchange(m_answer, nullptr);
    if (reply.isError()) {
        qCDebug(lcPower, "Inhibit call refused: %s", qUtf8Printable(reply.error().message()));
        answer(false, refuse(reply.error()));
        return;
    }
    Reading reading = read(reply);
    if (const auto *reason = std::get_if<QString>(&reading)) {
        answer(false, *reason);
        return;
    }
    m_unlock = std::get<Unlock>(std::move(reading));
    answer(true, QString());
}

void InhibitRequest::release()
{
    m_wanted = false;
    m_answer = nullptr;
    if (m_unlock)
        std::exchange(m_unlock, nullptr)();
}

} // namespace Quorvel
