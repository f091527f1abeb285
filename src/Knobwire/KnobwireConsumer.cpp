#include "Knobwire/KnobwireConsumer.h"

#include "Knobwire/KnobwireConsumerLink.h"
#include "Knobwire/KnobwireLogging.h"
#include "Knobwire/Limits.h"
#include "Knobwire/PeerWiring.h"
#include "Knobwire/ProtocolVersion.h"

#include <QPointer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

// Each lost link doubles the wait before the next query, so a provider that keeps failing is
// not asked again and again.
constexpr int requeryGrowth = 2;
// A meter that names no channel count is mono.
constexpr qsizetype defaultMeterChannels = 1;

const QString noControlsText = u"No controls"_s;
const QString helloFirstText = u"Send hello first"_s;

} // namespace

KnobwireConsumer::KnobwireConsumer(const QString &app, const QString &name,
                                   const std::optional<QString> &version, Discovery discovery,
                                   Timings timings, QObject *parent)
    : QObject(parent), m_identity(Hello::own(app, name, version)),
      m_discovery(std::move(discovery)), m_timings(timings), m_observers(m_discovery.center),
      m_senderCheck(m_discovery.center.bus()), m_requeryDelay(timings.firstRequery)
{
    m_requeryTask.setSingleShot(true);
    m_requeryTask.setTimerType(Qt::PreciseTimer);
    connect(&m_requeryTask, &QTimer::timeout, this, [this] {
        if (m_running) {
            query();
        }
    });
}

KnobwireConsumer::~KnobwireConsumer() = default;

void KnobwireConsumer::start()
{
    if (m_running) {
        return;
    }
    m_running = true;
    const QPointer<KnobwireConsumer> self(this);
    m_observers.observe(m_discovery.announceName(), [self](const std::optional<QString> &object,
                                                           const QString &sender) {
        const auto announcement = object ? Announcement::fromJson(*object) : std::nullopt;
        if (self && announcement) {
            self->receiveAnnouncement(*announcement, sender);
        }
    });
    m_observers.observe(
        m_discovery.goodbyeName(), [self](const std::optional<QString> &object, const QString &) {
            const auto announcement = object ? Announcement::fromJson(*object) : std::nullopt;
            if (!self || !announcement) {
                return;
            }
            // Behind announcements still being checked, so the two keep their
            // order.
            self->m_senderCheck.enqueue([self, goodbye = *announcement] {
                if (self) {
                    self->handleGoodbye(goodbye);
                }
            });
        });
    query();
}

void KnobwireConsumer::query()
{
    m_discovery.center.post(m_discovery.queryName());
}

void KnobwireConsumer::receiveAnnouncement(const Announcement &announcement, const QString &sender)
{
    // The cheap refusals first, so that they cost no question to the bus.
    if (!m_running || announcement.protocol < protocolVersion ||
        announcement.app == m_identity.app) {
        return;
    }
    const QPointer<KnobwireConsumer> self(this);
    m_senderCheck.verify(sender, announcement.pid, [self, announcement] {
        if (self) {
            self->handleAnnouncement(announcement);
        }
    });
}

void KnobwireConsumer::handleAnnouncement(const Announcement &announcement)
{
    if (!m_running || announcement.protocol < protocolVersion ||
        announcement.app == m_identity.app) {
        return;
    }
    const QString &app = announcement.app;
    Link *current = m_links.value(app);
    if (!current) {
        // A known application is never refused; only new ones count against the limit.
        if (indexOf(app) < 0 && m_providers.size() + m_links.size() >= Limits::maxPeers) {
            return;
        }
        m_links.insert(app, connectTo(announcement));
        return;
    }
    if (current->port == announcement.port) {
        return;
    }
    if (current->ready) {
        // The provider started again on a new port: the old link serves until the new one
        // has its controls.
        if (Link *candidate = m_candidates.value(app)) {
            if (candidate->port == announcement.port) {
                return;
            }
            drop(candidate);
        }
        m_candidates.insert(app, connectTo(announcement));
        return;
    }
    current->replaced = true;
    drop(current);
    m_links.insert(app, connectTo(announcement));
}

void KnobwireConsumer::handleGoodbye(const Announcement &announcement)
{
    Link *current = m_links.value(announcement.app);
    if (current && current->port == announcement.port) {
        current->goodbyeHeard = true;
    }
}

KnobwireConsumer::Link *KnobwireConsumer::connectTo(const Announcement &announcement)
{
    auto *link = new Link(this);
    link->app = announcement.app;
    link->name = announcement.name;
    link->port = announcement.port;
    link->connection = LineConnection::connect(announcement.port);
    const QPointer<KnobwireConsumer> self(this);
    const QPointer<Link> weakLink(link);
    LineConnection &connection = *link->connection;
    connection.onReady = [self, weakLink, key = announcement.key] {
        if (!self || !weakLink) {
            return;
        }
        Hello hello = self->m_identity;
        hello.key = key;
        weakLink->connection->send(Message::hello(hello));
    };
    wirePeer(this, link, &KnobwireConsumer::handle, &KnobwireConsumer::linkClosed,
             m_timings.controlsLimit, noControlsText);
    connection.start();
    return link;
}

void KnobwireConsumer::drop(Link *link)
{
    if (!link->connection->closed()) {
        link->connection->cancel();
    }
}

void KnobwireConsumer::handle(const Message &message, Link *link)
{
    if (const auto *hello = message.as<Hello>()) {
        handleHello(*hello, link);
    } else if (const auto *controls = message.as<Message::Controls>()) {
        handleControls(controls->controls, link);
    } else if (const auto *update = message.as<Update>()) {
        if (link->ready && m_links.value(link->app) == link) {
            applyUpdate(link->app, *update);
        }
    } else if (const auto *meter = message.as<Message::Meter>()) {
        handleMeter(*meter, link);
    } else if (const auto *error = message.as<Message::Error>()) {
        qCInfo(lcKnobwireConsumer, "%s says: %s", qUtf8Printable(link->app),
               qUtf8Printable(error->message));
        if (onError) {
            onError(link->app, error->message);
        }
    }
}

void KnobwireConsumer::handleHello(const Hello &hello, Link *link)
{
    if (link->heardHello) {
        return;
    }
    if (hello.app != link->app) {
        link->connection->fail(u"Announced as "_s + link->app + u", but said hello as "_s +
                               hello.app);
        return;
    }
    link->heardHello = true;
    link->name = hello.name;
    link->version = hello.version;
}

void KnobwireConsumer::handleControls(const QList<Control> &controls, Link *link)
{
    if (!link->heardHello) {
        link->connection->fail(helloFirstText);
        return;
    }
    const QList<Control> kept = knownControls(controls);
    const bool wasReady = link->ready;
    if (!link->ready) {
        linkBecameReady(link);
    }
    const QString app = link->app;
    if (m_links.value(app) != link || link->connection->closed()) {
        return;
    }
    markConnected(app, link, kept);
    QSet<QString> wanted;
    const QSet<QString> wishes = m_wantedMeters.value(app);
    for (const Control &control : kept) {
        if (control.kind == Control::Kind::meter && wishes.contains(control.id)) {
            wanted.insert(control.id);
        }
    }
    for (const QString &id : std::as_const(wanted)) {
        if (!(wasReady && link->subscribed.contains(id))) {
            link->connection->send(Message::meterSubscribe(id, true));
        }
    }
    link->subscribed = wanted;
}

void KnobwireConsumer::handleMeter(const Message::Meter &meter, Link *link)
{
    const QString &app = link->app;
    if (!link->ready || m_links.value(app) != link ||
        !m_wantedMeters.value(app).contains(meter.id) || !onMeter) {
        return;
    }
    const qsizetype index = indexOf(app);
    if (index < 0) {
        return;
    }
    const std::optional<Control> control = m_providers.at(index).control(meter.id);
    if (!control || control->kind != Control::Kind::meter) {
        return;
    }
    const qsizetype channels = control->channels.value_or(defaultMeterChannels);
    onMeter(app, meter.id, meter.levels.first(std::min(channels, meter.levels.size())));
}

void KnobwireConsumer::linkBecameReady(Link *link)
{
    link->ready = true;
    link->handshakeTimeout.stop();
    m_requeryDelay = m_timings.firstRequery;
    const QString app = link->app;
    if (m_candidates.value(app) == link) {
        m_candidates.remove(app);
        Link *previous = m_links.value(app);
        m_links.insert(app, link);
        if (previous) {
            previous->replaced = true;
            drop(previous);
        }
    }
    if (m_links.value(app) != link || indexOf(app) >= 0) {
        return;
    }
    if (m_providers.size() < Limits::maxPeers) {
        m_providers.append(Provider{.app = app,
                                    .name = link->name,
                                    .version = std::nullopt,
                                    .controls = {},
                                    .isConnected = false});
        emit providersChanged();
    } else {
        drop(link);
    }
}

void KnobwireConsumer::linkClosed(Link *link)
{
    link->handshakeTimeout.stop();
    link->deleteLater();
    const QString app = link->app;
    if (m_candidates.value(app) == link) {
        m_candidates.remove(app);
        return;
    }
    if (m_links.value(app) != link) {
        return;
    }
    m_links.remove(app);
    markDisconnected(app);
    if (Link *candidate = m_candidates.take(app)) {
        m_links.insert(app, candidate);
        return;
    }
    if (m_running && !link->replaced && !link->goodbyeHeard) {
        scheduleRequery();
    }
}

void KnobwireConsumer::scheduleRequery()
{
    if (m_requeryTask.isActive()) {
        return;
    }
    const std::chrono::milliseconds delay = m_requeryDelay;
    m_requeryDelay = std::min(delay * requeryGrowth, m_timings.longestRequery);
    m_requeryTask.start(delay);
}

void KnobwireConsumer::stop()
{
    if (!m_running) {
        return;
    }
    m_running = false;
    m_observers.removeAll();
    m_requeryTask.stop();
    QList<QPointer<Link>> taken;
    for (Link *link : std::as_const(m_links)) {
        taken.append(link);
    }
    for (Link *link : std::as_const(m_candidates)) {
        taken.append(link);
    }
    m_links.clear();
    m_candidates.clear();
    for (const QPointer<Link> &link : std::as_const(taken)) {
        if (link) {
            drop(link);
        }
    }
    QStringList connected;
    for (const Provider &entry : std::as_const(m_providers)) {
        if (entry.isConnected) {
            connected.append(entry.app);
        }
    }
    for (const QString &app : std::as_const(connected)) {
        markDisconnected(app);
    }
}

} // namespace Knobwire
