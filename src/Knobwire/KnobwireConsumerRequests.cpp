// The consumer's list of provider entries and what its user asks of the providers.

#include "Knobwire/KnobwireConsumer.h"

#include "Knobwire/Clip.h"
#include "Knobwire/KnobwireConsumerLink.h"
#include "Knobwire/KnobwireLogging.h"
#include "Knobwire/Limits.h"

#include <QThread>

#include <algorithm>

namespace Knobwire {

namespace {

// A step request beyond this is a runaway value, not a user's intent.
constexpr int maxSteps = 10000;

} // namespace

std::optional<KnobwireConsumer::Provider> KnobwireConsumer::provider(const QString &app) const
{
    const qsizetype index = indexOf(app);
    if (index < 0) {
        return std::nullopt;
    }
    return m_providers.at(index);
}

qsizetype KnobwireConsumer::indexOf(const QString &app) const
{
    checkThread();
    const auto found = std::find_if(m_providers.cbegin(), m_providers.cend(),
                                    [&app](const Provider &entry) { return entry.app == app; });
    return found == m_providers.cend() ? -1 : found - m_providers.cbegin();
}

void KnobwireConsumer::checkThread() const
{
    if (QThread::currentThread() != thread()) {
        qCCritical(lcKnobwireConsumer, "The provider list was used outside its own thread");
    }
}

void KnobwireConsumer::replaceEntry(qsizetype index, const Provider &entry)
{
    m_providers[index] = entry;
    emit providersChanged();
    if (onChange) {
        onChange(entry);
    }
}

void KnobwireConsumer::restore(const QList<Provider> &providers)
{
    bool added = false;
    for (const Provider &stored : providers) {
        // Clipped before the duplicate check: two stored identifiers that differ only in
        // dropped characters are one application.
        const QString app = clip(stored.app, Limits::maxName);
        if (app.isEmpty() || indexOf(app) >= 0 || m_providers.size() >= Limits::maxPeers) {
            continue;
        }
        const QString name = clip(stored.name, Limits::maxName);
        Provider entry{.app = app,
                       .name = name.isEmpty() ? app : name,
                       .version = stored.version
                                      ? std::optional(clip(*stored.version, Limits::maxName))
                                      : std::nullopt,
                       .controls = knownControls(stored.controls),
                       .isConnected = false};
        m_providers.append(entry.remembered());
        added = true;
    }
    if (added) {
        emit providersChanged();
    }
}

void KnobwireConsumer::forget(const QString &app)
{
    if (m_links.contains(app)) {
        return;
    }
    m_wantedMeters.remove(app);
    if (m_providers.removeIf([&app](const Provider &entry) { return entry.app == app; }) > 0) {
        emit providersChanged();
    }
}

void KnobwireConsumer::markConnected(const QString &app, const Link *link,
                                     const QList<Control> &controls)
{
    const qsizetype index = indexOf(app);
    if (index < 0) {
        return;
    }
    const Provider entry{.app = m_providers.at(index).app,
                         .name = link->name,
                         .version = link->version,
                         .controls = controls,
                         .isConnected = true};
    if (entry != m_providers.at(index)) {
        replaceEntry(index, entry);
    }
}

void KnobwireConsumer::applyUpdate(const QString &app, const Update &update)
{
    const qsizetype index = indexOf(app);
    if (index < 0) {
        return;
    }
    Provider entry = m_providers.at(index);
    const auto control =
        std::find_if(entry.controls.begin(), entry.controls.end(),
                     [&update](const Control &each) { return each.id == update.id; });
    if (control == entry.controls.end()) {
        return;
    }
    control->apply(update);
    if (entry != m_providers.at(index)) {
        replaceEntry(index, entry);
    }
}

void KnobwireConsumer::markDisconnected(const QString &app)
{
    const qsizetype index = indexOf(app);
    if (index < 0) {
        return;
    }
    const Provider remembered = m_providers.at(index).remembered();
    if (remembered != m_providers.at(index)) {
        replaceEntry(index, remembered);
    }
}

KnobwireConsumer::Link *KnobwireConsumer::readyLink(const QString &app) const
{
    Link *link = m_links.value(app);
    return link && link->ready && !link->connection->closed() ? link : nullptr;
}

bool KnobwireConsumer::turn(const QString &app, const QString &id, double value)
{
    Link *link = readyLink(app);
    const std::optional<Provider> entry = provider(app);
    const std::optional<Control> control = entry ? entry->control(id) : std::nullopt;
    if (!link || !control || control->kind != Control::Kind::level || !control->canTurn()) {
        return false;
    }
    link->connection->send(Message::turn(id, Control::normalizedValue(value), std::nullopt));
    return true;
}

bool KnobwireConsumer::turn(const QString &app, const QString &id, int steps)
{
    if (steps == 0) {
        return false;
    }
    Link *link = readyLink(app);
    const std::optional<Provider> entry = provider(app);
    const std::optional<Control> control = entry ? entry->control(id) : std::nullopt;
    // A read-only step counter is refused as a read-only level is: the provider ignores it.
    if (!link || !control || control->kind != Control::Kind::steps || !control->canTurn()) {
        return false;
    }
    link->connection->send(Message::turn(id, std::nullopt, std::clamp(steps, -maxSteps, maxSteps)));
    return true;
}

bool KnobwireConsumer::press(const QString &app, const QString &id, bool down)
{
    Link *link = readyLink(app);
    const std::optional<Provider> entry = provider(app);
    const std::optional<Control> control = entry ? entry->control(id) : std::nullopt;
    if (!link || !control || !control->kind.isPressable()) {
        return false;
    }
    link->connection->send(Message::press(id, down));
    return true;
}

bool KnobwireConsumer::tap(const QString &app, const QString &id)
{
    return press(app, id, true) && press(app, id, false);
}

void KnobwireConsumer::subscribeMeter(const QString &app, const QString &id, bool on)
{
    QSet<QString> wanted = m_wantedMeters.value(app);
    if (wanted.contains(id) == on) {
        return;
    }
    if (on) {
        wanted.insert(id);
    } else {
        wanted.remove(id);
    }
    m_wantedMeters.insert(app, wanted);
    Link *link = readyLink(app);
    const std::optional<Provider> entry = provider(app);
    const std::optional<Control> control = entry ? entry->control(id) : std::nullopt;
    if (!link || !control || control->kind != Control::Kind::meter) {
        return;
    }
    if (on) {
        link->subscribed.insert(id);
    } else {
        link->subscribed.remove(id);
    }
    link->connection->send(Message::meterSubscribe(id, on));
}

} // namespace Knobwire
