#include "QuorvelHostKit/Execution/AppControls.h"

#include "QuorvelHostKit/Execution/PercentText.h"
#include "QuorvelHostKit/Execution/PreciseSleep.h"
#include "QuorvelHostKit/HostKitLogging.h"

#include "Platform/Files/SettingsFile.h"
#include "Platform/Text/OutsideText.h"
#include "QuorvelCore/Model/AppControlValue.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QPointer>

namespace Quorvel {

namespace {

// This application has no bundle identifier here; it speaks to providers under this one.
const QString consumerApp = QStringLiteral("com.vantrel.quorvel.host");
const QString consumerName = QStringLiteral("Quorvel");
// This application offers its remote's actions as "com.vantrel.quorvel" and names every other
// part of itself below it; none of them is listed, or an action could be bound to its own mirror.
const QString ownApp = QStringLiteral("com.vantrel.quorvel");
const QString ownAppPrefix = ownApp + QLatin1Char('.');
const QString providersKey = QStringLiteral("knobwireProviders");

using Provider = Knobwire::KnobwireConsumer::Provider;

ExecutionResult success(const QString &text)
{
    return ExecutionResult{0, text, QString()};
}

ExecutionResult failure(const QString &text)
{
    return ExecutionResult{1, QString(), text};
}

QString onOffText(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

std::optional<QString> versionOfThisApplication()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? std::nullopt : std::optional(version);
}

std::optional<QList<Provider>> rememberedProviders()
{
    const QByteArray data = SettingsFile::open()->value(providersKey).toByteArray();
    const std::optional<QJsonValue> json = WireCodec::decoder().decodeJson(data);
    if (!json || !json->isArray())
        return std::nullopt;
    QList<Provider> providers;
    for (const QJsonValue &stored : json->toArray()) {
        const std::optional<Provider> provider = Provider::fromJson(stored);
        if (!provider)
            return std::nullopt;
        providers.append(*provider);
    }
    return providers;
}

// The entries as an editor picks from them: a control's state and text change all the time and
// are read when the action runs.
std::vector<HostCatalog::AppControls> withoutValues(std::vector<HostCatalog::AppControls> entries)
{
    for (HostCatalog::AppControls &entry : entries) {
        for (HostCatalog::AppControls::Item &item : entry.controls) {
            item.text.reset();
            item.on.reset();
        }
    }
    return entries;
}

} // namespace

AppControls::AppControls(Knobwire::Discovery discovery, QObject *parent)
    : QObject(parent),
      m_consumer(new Knobwire::KnobwireConsumer(
          consumerApp, consumerName, versionOfThisApplication(), std::move(discovery), {}, this))
{}

AppControls::~AppControls() = default;

void AppControls::start()
{
    if (const auto providers = rememberedProviders())
        m_consumer->restore(*providers);

    QPointer<AppControls> self(this);
    m_consumer->onChange = [self](const Provider &provider) {
        if (!self)
            return;
        self->save();
        if (self->onChange)
            self->onChange(provider.app);
    };
    m_offers = withoutValues(catalogEntries());
    connect(m_consumer, &Knobwire::KnobwireConsumer::providersChanged, this,
            &AppControls::noteOffers, Qt::UniqueConnection);
    m_consumer->onError = [](const QString &app, const QString &message) {
        qCInfo(lcAppControls, "%s: %s", qUtf8Printable(OutsideText::forLog(app)),
               qUtf8Printable(OutsideText::forLog(message)));
    };
    m_consumer->start();
}

QCoro::Task<ExecutionResult> AppControls::run(Action action)
{
    const std::optional<AppControlValue> value =
        AppControlValue::fromString(action.value.value_or(QString()));
    if (!action.control || !value)
        co_return failure(QStringLiteral("This action needs a control and a value"));

    const QString &app = action.target;
    const QString &id = *action.control;
    const std::optional<Provider> provider = m_consumer->provider(app);
    if (!provider)
        co_return failure(app +
                          QStringLiteral(" hasn't offered its controls here. Is it running?"));
    if (!provider->isConnected)
        co_return failure(provider->name + QStringLiteral(" isn't running"));
    const std::optional<Knobwire::Control> control = provider->control(id);
    if (!control)
        co_return failure(provider->name + QStringLiteral(" has no control ") + id);

    const QString where = control->name + QStringLiteral(" in ") + provider->name;
    switch (value->kind()) {
    case AppControlValue::Kind::level:
        if (m_consumer->turn(app, id, double(value->levelValue())))
            co_return success(control->name + QStringLiteral(" set to ") +
                              percentText(value->levelValue()));
        co_return failure(where + QStringLiteral(" can't be turned"));
    case AppControlValue::Kind::press:
        if (m_consumer->press(app, id, true) && m_consumer->press(app, id, false))
            co_return success(QStringLiteral("Pressed ") + control->name);
        co_return failure(where + QStringLiteral(" can't be pressed"));
    case AppControlValue::Kind::on:
    case AppControlValue::Kind::off:
        break;
    }

    const bool wanted = value->kind() == AppControlValue::Kind::on;
    if (control->kind != Knobwire::Control::Kind::toggle)
        co_return failure(where + QStringLiteral(" isn't a switch"));
    if (control->on == wanted)
        co_return success(control->name + QStringLiteral(" is already ") + onOffText(wanted));
    if (!m_consumer->press(app, id, true) || !m_consumer->press(app, id, false))
        co_return failure(QStringLiteral("Couldn't press ") + control->name);
    co_return co_await waitForSwitch(app, id, wanted, provider->name, control->name);
}

QCoro::Task<ExecutionResult> AppControls::waitForSwitch(QString app, QString id, bool wanted,
                                                        QString providerName, QString controlName)
{
    const SwitchWait wait = m_switchWait;
    QPointer<AppControls> self(this);
    for (int check = 0; check < wait.checks; ++check) {
        if (self && self->reportsState(app, id, wanted))
            co_return success(controlName + QStringLiteral(" turned ") + onOffText(wanted));
        co_await preciseSleep(wait.pause);
    }
    co_return failure(providerName + QStringLiteral(" didn't turn ") + controlName + u' ' +
                      onOffText(wanted));
}

bool AppControls::reportsState(const QString &app, const QString &id, bool wanted) const
{
    const std::optional<Provider> provider = m_consumer->provider(app);
    if (!provider)
        return false;
    const std::optional<Knobwire::Control> control = provider->control(id);
    return control && control->on == wanted;
}

StatusOutcome AppControls::status(const QString &app, const std::optional<QString> &control) const
{
    const std::optional<Provider> provider = m_consumer->provider(app);
    if (!provider)
        return {std::nullopt, app + QStringLiteral(" hasn't offered its controls here")};
    if (!provider->isConnected)
        return {std::nullopt, provider->name + QStringLiteral(" isn't running")};
    const QString id = control.value_or(QString());
    const std::optional<Knobwire::Control> found = provider->control(id);
    if (!found)
        return {std::nullopt, provider->name + QStringLiteral(" has no control ") + id};
    std::optional<QString> detail = found->text;
    if (!detail && found->value)
        detail = percentText(*found->value);
    return {found->on, detail};
}

void AppControls::noteOffers()
{
    std::vector<HostCatalog::AppControls> offers = withoutValues(catalogEntries());
    if (offers == m_offers)
        return;
    m_offers = std::move(offers);
    emit offersChanged();
}

std::vector<HostCatalog::AppControls> AppControls::catalogEntries() const
{
    std::vector<HostCatalog::AppControls> entries;
    for (const Provider &provider : m_consumer->providers()) {
        if (provider.app == ownApp || provider.app.startsWith(ownAppPrefix))
            continue;
        HostCatalog::AppControls entry;
        entry.app = provider.app;
        entry.name = provider.name;
        entry.isRunning = provider.isConnected;
        for (const Knobwire::Control &control : provider.controls) {
            entry.controls.push_back({control.id, control.name, control.kind.rawValue,
                                      control.group, control.readOnly, control.text, control.on});
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void AppControls::save() const
{
    QJsonArray stored;
    for (const Provider &provider : m_consumer->providers())
        stored.append(provider.remembered().toJson());
    const std::optional<QByteArray> data =
        WireCodec::prettyEncoder(false).encodeJson(QJsonValue(stored));
    if (data)
        SettingsFile::open()->setValue(providersKey, *data);
}

} // namespace Quorvel
