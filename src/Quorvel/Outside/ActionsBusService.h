#pragma once

#include "Quorvel/Outside/ActionEntity.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace Quorvel {

class ActionRunner;

// The host's actions for scripts, on the session bus: run, turn on or off, read, and list them.
// Calls that reach the host answer late (they wait for the link and the host's result), so
// callers give a long time-out, for example `gdbus call --timeout 110`. Failures are D-Bus
// errors named com.vantrel.quorvel.Error.<Case> whose message is the text to show.
//
// The interface is described by hand: Qt's own description leaves answers unnamed and marks the
// lists with its C++ type, which means nothing to a script. It must name every slot and signal
// below with its D-Bus types.
class ActionsBusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vantrel.quorvel.Actions")
    Q_CLASSINFO("D-Bus Introspection",
                "  <interface name=\"com.vantrel.quorvel.Actions\">\n"
                "    <method name=\"Run\">\n"
                "      <arg name=\"id\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"text\" type=\"s\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"TurnOn\">\n"
                "      <arg name=\"id\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"text\" type=\"s\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"TurnOff\">\n"
                "      <arg name=\"id\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"text\" type=\"s\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"IsOn\">\n"
                "      <arg name=\"id\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"state\" type=\"b\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"GetValue\">\n"
                "      <arg name=\"id\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"value\" type=\"s\" direction=\"out\"/>\n"
                "      <arg name=\"dialog\" type=\"s\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"ListActions\">\n"
                "      <arg name=\"actions\" type=\"a(ssss)\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"ActionsByIds\">\n"
                "      <arg name=\"ids\" type=\"as\" direction=\"in\"/>\n"
                "      <arg name=\"actions\" type=\"a(ssss)\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <method name=\"SearchActions\">\n"
                "      <arg name=\"text\" type=\"s\" direction=\"in\"/>\n"
                "      <arg name=\"actions\" type=\"a(ssss)\" direction=\"out\"/>\n"
                "    </method>\n"
                "    <signal name=\"ActionsChanged\"/>\n"
                "  </interface>\n")
public:
    // Beside the application's own object at /com/vantrel/quorvel.
    static inline const QString objectPath = QStringLiteral("/com/vantrel/quorvel/Actions");
    static inline const QString interfaceName = QStringLiteral("com.vantrel.quorvel.Actions");
    // Calls waiting for their answer (for the link, then for the host's result) that are kept at
    // once; each holds its message and its wait. Far beyond what scripts ask in parallel; past it
    // a call is refused at once with org.freedesktop.DBus.Error.LimitsExceeded.
    static constexpr int maxWaitingCalls = 64;

    explicit ActionsBusService(ActionRunner *runner, QObject *parent = nullptr);

    // Puts the object on the connection's object path; false when the path is taken.
    bool registerOn(QDBusConnection connection);

    // The calls whose answer is still to come.
    int waitingCalls() const { return *m_waiting; }

public slots:
    // Runs a button or flips a switch; answers the text to show.
    QString Run(const QString &id);
    QString TurnOn(const QString &id);
    QString TurnOff(const QString &id);
    // Whether the action's last known state is on.
    bool IsOn(const QString &id);
    // The action's value, and the sentence that says it.
    QString GetValue(const QString &id, QString &dialog);

    // The host's actions (the last deck while no host is connected), in deck order.
    QList<Quorvel::ActionEntity> ListActions();
    QList<Quorvel::ActionEntity> ActionsByIds(const QStringList &ids);
    QList<Quorvel::ActionEntity> SearchActions(const QString &text);

signals:
    // The host's deck changed: listed actions may have come or gone.
    void ActionsChanged();

private:
    QString runLater(const QString &id, std::optional<bool> desiredState);
    // Counts the current call among the waiting ones for as long as its handler holds the token;
    // none, and the call answered with an error, when too many wait already.
    std::shared_ptr<const void> admitCall();
    // Takes over the reply of the current call.
    QDBusMessage delayReply();

    ActionRunner *m_runner;
    // Shared with the tokens, which may outlive this object in a handler still queued.
    std::shared_ptr<int> m_waiting = std::make_shared<int>(0);
};

} // namespace Quorvel
