#pragma once

#include "Quorvel/Outside/ActionEntity.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace Quorvel {

class ActionRunner;

// The host's actions for scripts, on the session bus: run, turn on or off, read, and list them.
// Calls that reach the host answer late (they wait for the link and the host's result), so
// callers give a long time-out, for example `gdbus call --timeout 110`. Failures are D-Bus
// errors named com.vantrel.quorvel.Error.<Case> whose message is the text to show.
class ActionsBusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vantrel.quorvel.Actions")
public:
    // Beside the application's own object at /com/vantrel/quorvel.
    static inline const QString objectPath = QStringLiteral("/com/vantrel/quorvel/Actions");
    static inline const QString interfaceName = QStringLiteral("com.vantrel.quorvel.Actions");

    explicit ActionsBusService(ActionRunner *runner, QObject *parent = nullptr);

    // Puts the object on the connection's object path; false when the path is taken.
    bool registerOn(QDBusConnection connection);

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
    // Takes over the reply of the current call.
    QDBusMessage delayReply();

    ActionRunner *m_runner;
};

} // namespace Quorvel
