#pragma once

#include "Platform/Session/ApplicationService.h"
#include "Platform/Session/InstanceClaim.h"
#include "Quorvel/AgentHandover.h"
#include "Quorvel/LaunchRequest.h"

#include <QDBusConnection>
#include <QObject>

namespace Quorvel {

// Decides, before anything else is built, whether this copy is the one to run. It exports the
// org.freedesktop.Application object and asks for the program's bus name without queueing. A copy
// that loses passes its request to the one that won and ends. The winner gives way to the login
// agent when it should, passes its request on once the agent owns the name and ends; when the
// agent does not come up it takes the name back and runs. Everything that arrives on the bus
// later comes out of requested().
class Launcher : public QObject {
    Q_OBJECT

public:
    static inline const QString defaultBusName = QStringLiteral("com.vantrel.quorvel");

    struct Options {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QString busName = defaultBusName;
        // Only without a session bus; empty means the runtime folder.
        QString lockPath;
        LoginAgentUnit::Options loginAgent;
        AgentHandover::Options handover;
    };

    Launcher(LaunchRequest request, Options options, QObject *parent = nullptr);
    ~Launcher() override;

    // Call once the event loop runs; ends with runHere() or endHere().
    void start();

    const LaunchRequest &request() const { return m_request; }

signals:
    // This copy is the one to run: build the application now.
    void runHere();
    // This copy ends with the status; its request went to the copy that runs.
    void endHere(int status);
    // A request passed on by a later copy or a desktop launcher.
    void requested(const Quorvel::LaunchRequest &request);

private:
    void claimed(InstanceClaim::Outcome outcome);
    void handOverFinished(bool handedOver);
    void passOnAndEnd();
    static LaunchRequest requestFrom(const QVariantMap &platformData);
    // Whether the process runs the same program file as this one.
    static bool runsThisProgram(qint64 pid);

    LaunchRequest m_request;
    Options m_options;
    ApplicationService m_service;
    InstanceClaim m_claim;
    LoginAgentUnit m_unit;
    AgentHandover m_handover;
};

} // namespace Quorvel
