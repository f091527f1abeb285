#pragma once

#include "Knobwire/Announcement.h"
#include "Knobwire/Control.h"
#include "Knobwire/Discovery.h"
#include "Knobwire/Hello.h"
#include "Knobwire/ListenerHandle.h"
#include "Knobwire/Message.h"
#include "Knobwire/ObserverBag.h"
#include "Knobwire/Update.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace Knobwire {

class LineConnection;

// How long a provider's waits take; tests shorten them.
struct ProviderTimings {
    // A consumer that has not said hello by then is turned away.
    std::chrono::milliseconds helloLimit{3000};
    // A failed listener is tried again after this.
    std::chrono::milliseconds listenerRetry{5000};
    // Queries are answered at most once per this interval.
    std::chrono::milliseconds announceInterval{1000};
};

// The offering end of the app-control protocol. It listens on a loopback port that the system
// chooses, announces that port with a fresh key, accepts consumers that repeat the key in their
// hello, hands their turns and presses to its owner, and pushes changes of its controls to them.
// Lives on the main thread.
class KnobwireProvider : public QObject {
    Q_OBJECT

public:
    using Timings = ProviderTimings;

    // Opens the listener on the loopback address at a port the system chooses; false when that
    // fails. Tests replace it to make listening fail.
    using Listen = std::function<bool(QTcpServer &listener)>;

    // A consumer turned a level (value) or moved a step counter (steps); exactly one is present.
    struct Turn {
        QString id;
        std::optional<double> value;
        std::optional<int> steps;
        // The consumer's hello, without its key.
        Hello from;
    };

    // A consumer pressed (down) or released a control.
    struct Press {
        QString id;
        bool down = true;
        Hello from;
    };

    // The name, version and controls are clipped and sanitised; nothing is started or posted.
    KnobwireProvider(const QString &app, const QString &name, const std::optional<QString> &version,
                     const QList<Control> &controls, Discovery discovery = Discovery(),
                     Timings timings = {}, Listen listen = {}, QObject *parent = nullptr);
    // Posts a goodbye when it is dropped while listening.
    ~KnobwireProvider() override;

    // Makes a new key, answers queries and listens. Does nothing while running.
    void start();
    // Says goodbye, stops listening and closes every session. Does nothing when stopped.
    void stop();

    const Hello &identity() const { return m_identity; }
    const QList<Control> &controls() const { return m_controls; }
    // The listening port, while a listener is ready.
    std::optional<quint16> port() const { return m_port; }
    // Meters that at least one consumer watches.
    const QSet<QString> &watchedMeters() const { return m_watchedMeters; }
    // Why listening failed last, until a listener is ready again.
    const std::optional<QString> &problem() const { return m_problem; }
    // The hellos of the consumers that are ready, in order of arrival.
    QList<Hello> consumers() const;

    // Replaces the offered list and sends it to every ready consumer. Consumers receive the
    // longest leading part of the list that fits in one line they read; the rest is logged.
    void setControls(const QList<Control> &controls);
    // Changes a control; absent arguments change nothing. Consumers hear what changed.
    void update(const QString &id, std::optional<double> value = {},
                std::optional<QString> text = {}, std::optional<bool> on = {});
    // Removes a control's text.
    void clearText(const QString &id);
    void rename(const QString &id, const QString &name);
    // Sends meter levels to the consumers that watch the meter.
    void meter(const QString &id, const QList<double> &levels);

    std::function<void(const Turn &)> onTurn;
    std::function<void(const Press &)> onPress;
    std::function<void(const QSet<QString> &)> onWatchedMetersChange;
    std::function<void(const QList<Hello> &)> onConsumersChange;

private:
    class Session;

    void startListening();
    void listenerReady(QTcpServer *listener);
    void listenerFailed(const QString &text);
    void announceSoon();
    void announceNow();
    Announcement announcement() const;
    void accept(QTcpServer *listener);
    void addSession(QTcpSocket *socket);
    void handle(const Message &message, Session *session);
    void handleHello(const Hello &hello, Session *session);
    void handleTurn(const Message::Turn &turn, Session *session);
    void handlePress(const Message::Press &press, Session *session);
    void handleMeterSubscribe(const Message::MeterSubscribe &request, Session *session);
    void sessionClosed(Session *session);
    void refreshWatchedMeters();
    void push(const Update &update);
    Message controlsMessage() const;
    void sendToReady(const Message &message);
    Control *control(const QString &id);

    Hello m_identity;
    QList<Control> m_controls;
    std::optional<quint16> m_port;
    QSet<QString> m_watchedMeters;
    std::optional<QString> m_problem;
    QString m_key;
    Discovery m_discovery;
    Timings m_timings;
    Listen m_listen;
    ListenerHandle m_listenerHandle;
    QList<Session *> m_sessions;
    ObserverBag m_observers;
    bool m_running = false;
    QTimer m_restartTask;
    QSet<QString> m_echoDue;
    // Runs from the last announce; invalid before the first.
    QElapsedTimer m_lastAnnounce;
    QTimer m_announceTask;
};

} // namespace Knobwire
