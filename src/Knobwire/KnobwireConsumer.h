#pragma once

#include "Knobwire/Announcement.h"
#include "Knobwire/Discovery.h"
#include "Knobwire/Hello.h"
#include "Knobwire/KnobwireConsumerProvider.h"
#include "Knobwire/Message.h"
#include "Knobwire/ObserverBag.h"
#include "Knobwire/SenderCheck.h"
#include "Knobwire/Update.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace Knobwire {

// How long a consumer's waits take; tests shorten them.
struct ConsumerTimings {
    // A provider that has not sent its controls by then is given up.
    std::chrono::milliseconds controlsLimit{5000};
    // The wait before asking again after a link was lost; it doubles with every further loss.
    std::chrono::milliseconds firstRequery{3000};
    // The longest wait between such queries, so a provider that comes back is found soon.
    std::chrono::milliseconds longestRequery{60000};
};

// The using end of the app-control protocol. It finds providers on this computer, links to
// each over loopback TCP, keeps one list of provider applications with their controls, and
// turns, presses and watches them. A provider that goes away stays listed in remembered form
// and is filled again when it comes back. Lives on the main thread.
class KnobwireConsumer : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        QList<Knobwire::KnobwireConsumerProvider> providers READ providers NOTIFY providersChanged)

public:
    using Provider = KnobwireConsumerProvider;
    using Timings = ConsumerTimings;

    // The name and version are clipped; nothing is posted or opened.
    KnobwireConsumer(const QString &app, const QString &name, const std::optional<QString> &version,
                     Discovery discovery = Discovery(), Timings timings = {},
                     QObject *parent = nullptr);
    // Closes every link without a word.
    ~KnobwireConsumer() override;

    // Listens for providers and asks them to announce themselves. Does nothing while running.
    void start();
    // Closes every link; connected entries become remembered. Does nothing when stopped.
    void stop();

    const Hello &identity() const { return m_identity; }
    // The known providers, connected or remembered, at most Limits::maxPeers.
    const QList<Provider> &providers() const { return m_providers; }
    std::optional<Provider> provider(const QString &app) const;

    // Adds remembered entries for applications not listed yet (for example, from settings).
    void restore(const QList<Provider> &providers);
    // Drops an application that has no current link, with the meters wanted of it.
    void forget(const QString &app);
    // Asks every provider to announce itself now.
    void query();

    // Each returns whether the request was sent: false without a ready link, an entry, or a
    // control that takes it.
    bool turn(const QString &app, const QString &id, double value);
    bool turn(const QString &app, const QString &id, int steps);
    bool press(const QString &app, const QString &id, bool down);
    // Press, then release.
    bool tap(const QString &app, const QString &id);
    // Starts or stops watching a meter. The wish is kept across links and asked for again
    // whenever the provider offers that meter.
    void subscribeMeter(const QString &app, const QString &id, bool on);

    // The wait before the next query after a lost link.
    std::chrono::milliseconds requeryDelay() const { return m_requeryDelay; }

    // Levels of a watched meter: application, meter id, levels.
    std::function<void(const QString &, const QString &, const QList<double> &)> onMeter;
    // An entry changed after connecting, an update or a disconnection.
    std::function<void(const Provider &)> onChange;
    // A provider sent an error line: application, message.
    std::function<void(const QString &, const QString &)> onError;

signals:
    void providersChanged();

private:
    class Link;

    void receiveAnnouncement(const Announcement &announcement, const QString &sender);
    void handleAnnouncement(const Announcement &announcement);
    void handleGoodbye(const Announcement &announcement);
    Link *connectTo(const Announcement &announcement);
    void drop(Link *link);
    void handle(const Message &message, Link *link);
    void handleHello(const Hello &hello, Link *link);
    void handleControls(const QList<Control> &controls, Link *link);
    void handleMeter(const Message::Meter &meter, Link *link);
    void linkBecameReady(Link *link);
    void markConnected(const QString &app, const Link *link, const QList<Control> &controls);
    void applyUpdate(const QString &app, const Update &update);
    void markDisconnected(const QString &app);
    void linkClosed(Link *link);
    void scheduleRequery();
    Link *readyLink(const QString &app) const;
    qsizetype indexOf(const QString &app) const;
    void replaceEntry(qsizetype index, const Provider &entry);
    void checkThread() const;

    Hello m_identity;
    QList<Provider> m_providers;
    Discovery m_discovery;
    Timings m_timings;
    QHash<QString, Link *> m_links;
    QHash<QString, Link *> m_candidates;
    QHash<QString, QSet<QString>> m_wantedMeters;
    ObserverBag m_observers;
    SenderCheck m_senderCheck;
    bool m_running = false;
    QTimer m_requeryTask;
    std::chrono::milliseconds m_requeryDelay;
};

} // namespace Knobwire
