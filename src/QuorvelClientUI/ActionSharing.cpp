#include "QuorvelClientUI/ActionSharing.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelClientUI/ClientUILogging.h"
#include "QuorvelClientUI/SharedControls.h"

#include <QCoreApplication>
#include <QTimer>

namespace Quorvel {

namespace {

// The stored choice when it is a Bool; anything else (or nothing) offers the actions.
bool storedChoice()
{
    const QVariant value = openClientSettings()->value(ActionSharing::shareActionsKey);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // The INI file keeps a Bool as its text.
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == u"false")
            return false;
    }
    return true;
}

std::optional<QString> applicationVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        return std::nullopt;
    return version;
}

} // namespace

ActionSharing::ActionSharing(ClientModel &model, Knobwire::Discovery discovery, QString app,
                             QObject *parent)
    : QObject(parent), m_model(model), m_discovery(std::move(discovery)), m_app(std::move(app)),
      m_isEnabled(storedChoice())
{
    for (auto signal : {&ClientModel::deckChanged, &ClientModel::statesChanged,
                        &ClientModel::statusChanged, &ClientModel::hostInfoChanged})
        connect(&m_model, signal, this, &ActionSharing::scheduleRepublish);
    if (m_isEnabled)
        startOffering();
}

ActionSharing::~ActionSharing() = default;

void ActionSharing::setEnabled(bool enabled)
{
    if (m_isEnabled == enabled)
        return;
    m_isEnabled = enabled;
    openClientSettings()->setValue(shareActionsKey, enabled);
    emit isEnabledChanged();
    if (enabled)
        startOffering();
    else
        stopOffering();
}

QString ActionSharing::statusText() const
{
    return sharingStatusText(m_isEnabled, m_users);
}

void ActionSharing::setUsers(const QStringList &users)
{
    if (m_users == users)
        return;
    m_users = users;
    emit usersChanged();
}

QList<Knobwire::Control> ActionSharing::currentControls() const
{
    const std::optional<HostInfo> &info = m_model.hostInfo();
    const std::optional<QString> hostName =
        info ? std::optional<QString>(info->hostName) : m_model.rememberedHostName();
    return offeredControls(m_model.visibleDeck(), m_model.states(), m_model.isConnected(),
                           hostName);
}

void ActionSharing::startOffering()
{
    if (m_provider)
        return;
    m_provider = std::make_unique<Knobwire::KnobwireProvider>(
        m_app, providerName, applicationVersion(), currentControls(), m_discovery);
    m_provider->onPress = [this](const Knobwire::KnobwireProvider::Press &press) {
        handlePress(press);
    };
    m_provider->onConsumersChange = [this](const QList<Knobwire::Hello> &consumers) {
        QStringList names;
        for (const Knobwire::Hello &hello : consumers)
            names.append(hello.name);
        setUsers(names);
    };
    m_provider->start();
    qCDebug(lcActionSharing) << "offering" << m_provider->controls().size() << "actions";
}

void ActionSharing::stopOffering()
{
    if (m_provider) {
        m_provider->stop();
        m_provider.reset();
    }
    setUsers({});
}

void ActionSharing::scheduleRepublish()
{
    if (m_tracking || !m_provider)
        return;
    m_tracking = true;
    QTimer::singleShot(0, this, [this] {
        m_tracking = false;
        republish();
    });
}

void ActionSharing::republish()
{
    if (!m_provider)
        return;
    const QList<Knobwire::Control> fresh = currentControls();
    if (!sameShape(fresh, m_provider->controls())) {
        m_provider->setControls(fresh);
        return;
    }
    // Same controls: only their live values go out, and the provider sends what changed.
    for (const Knobwire::Control &control : fresh) {
        if (!control.text)
            m_provider->clearText(control.id);
        m_provider->update(control.id, std::nullopt, control.text, control.on);
    }
}

void ActionSharing::handlePress(const Knobwire::KnobwireProvider::Press &press)
{
    if (!press.down)
        return;
    // Only a live deck of a connected host: a remembered deck may no longer match the host.
    const std::optional<Deck> &deck = m_model.deck();
    if (!m_model.isConnected() || !deck)
        return;
    const std::optional<Control> action = deck->control(press.id);
    if (!action)
        return;
    switch (action->type) {
    case ControlType::button:
        m_model.press(action->id);
        return;
    case ControlType::toggle: {
        const std::optional<ControlState> state = m_model.state(action->id);
        const bool isOn = state && state->isOn.value_or(false);
        m_model.setSwitch(action->id, !isOn);
        return;
    }
    case ControlType::metric:
        return;
    }
}

} // namespace Quorvel
