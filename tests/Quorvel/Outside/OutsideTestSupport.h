#pragma once

#include "Quorvel/Outside/ActionRunner.h"
#include "Quorvel/Outside/ActionsBusService.h"

#include "../../QuorvelClientUI/ClientTestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace Quorvel::OutsideTest {

using namespace std::chrono_literals;
using namespace Quorvel::ClientTest;

// Short enough that a test of the unreachable host does not drag, long enough for loopback.
constexpr std::chrono::milliseconds shortConnectionWait{400};

const QString serviceName = QStringLiteral("com.vantrel.quorvel");

// What a script sees of one call.
struct CallResult {
    QString output;
    QString errorName;
    QString errorText;
};

// Calls a method the way a script does, with gdbus and the long time-out that delayed replies
// need; the event loop runs meanwhile, so this process can answer.
inline CallResult gdbusCall(const QString &method, const QStringList &arguments,
                            int limitMs = answerLimitMs)
{
    QProcess gdbus;
    gdbus.start(QStringLiteral("gdbus"),
                QStringList{"call", "--session", "--timeout", "110", "--dest", serviceName,
                            "--object-path", ActionsBusService::objectPath, "--method",
                            ActionsBusService::interfaceName + u'.' + method} +
                    arguments);
    static_cast<void>(
        QTest::qWaitFor([&gdbus] { return gdbus.state() == QProcess::NotRunning; }, limitMs));
    CallResult result;
    result.output = QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed();
    static const QRegularExpression error(QStringLiteral("GDBus\\.Error:(\\S+): (.*)$"));
    const QRegularExpressionMatch match =
        error.match(QString::fromUtf8(gdbus.readAllStandardError()).trimmed());
    if (match.hasMatch()) {
        result.errorName = match.captured(1);
        result.errorText = match.captured(2);
    }
    return result;
}

inline ControlState stateOf(const QString &id, std::optional<bool> isOn,
                            std::optional<QString> detail = std::nullopt)
{
    ControlState state;
    state.id = id;
    state.isOn = isOn;
    state.detail = std::move(detail);
    state.checkedAt = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    return state;
}

// A real client model with a host of its own on loopback, and the run step over it.
struct Session {
    explicit Session(std::chrono::milliseconds connectionWait = ActionRunner::defaultConnectionWait)
        : host(firstCode(), sampleDeck(), uniqueHostName()),
          model("Remote", KeychainTokenStore(), true, fastTimings()),
          runner(&model, connectionWait)
    {}

    bool startHost() { return host.start() && Keyring().save(firstCode(), host.hostID()); }

    bool connect()
    {
        if (!startHost())
            return false;
        model.connectTo(host.listing());
        return QTest::qWaitFor([this] { return model.isConnected() && model.statesArrived(); },
                               answerLimitMs);
    }

    std::optional<Message::TriggerAction> lastTrigger() const
    {
        for (auto it = host.received.rbegin(); it != host.received.rend(); ++it) {
            if (const auto *trigger = it->as<Message::TriggerAction>())
                return *trigger;
        }
        return std::nullopt;
    }

    int triggerCount() const
    {
        int count = 0;
        for (const Message &message : host.received)
            count += message.as<Message::TriggerAction>() != nullptr;
        return count;
    }

    TestHost host;
    ClientModel model;
    ActionRunner runner;
};

} // namespace Quorvel::OutsideTest
