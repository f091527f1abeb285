#include "FakeServiceNetwork.h"

#include "FakeServiceBrowser.h"
#include "FakeServicePublisher.h"
#include "FakeServiceResolver.h"

#include <QRegularExpression>

namespace Quorvel::Testing {
namespace {

// The interface and protocol every fake service is seen on.
constexpr int fakeInterface = 1;
constexpr int fakeProtocol = 0;

QString domainOf(const QString &domain)
{
    return domain.isEmpty() ? FakeServiceNetwork::domain : domain;
}

ServiceInstance instanceOf(const ServiceDescription &service)
{
    return ServiceInstance{fakeInterface, fakeProtocol, service.name, service.type,
                           domainOf(service.domain)};
}

// The next name DNS-SD tries after a collision: "Studio" → "Studio #2" → "Studio #3".
QString alternativeName(const QString &name)
{
    static const QRegularExpression numbered(QStringLiteral(" #(\\d+)$"));
    const QRegularExpressionMatch match = numbered.match(name);
    if (!match.hasMatch()) {
        return name + QStringLiteral(" #2");
    }
    return name.left(match.capturedStart()) +
           QStringLiteral(" #%1").arg(match.captured(1).toInt() + 1);
}

} // namespace

FakeServiceNetwork::~FakeServiceNetwork() = default;

template<typename Fake> QList<Fake *> FakeServiceNetwork::live(QList<QPointer<Fake>> &list)
{
    list.removeIf([](const QPointer<Fake> &fake) { return fake.isNull(); });
    QList<Fake *> result;
    for (const QPointer<Fake> &fake : std::as_const(list)) {
        result.append(fake.data());
    }
    return result;
}

ServicePublisher *FakeServiceNetwork::makePublisher(QObject *parent)
{
    auto *publisher = new FakeServicePublisher(*this, parent);
    m_publishers.append(publisher);
    return publisher;
}

ServiceBrowser *FakeServiceNetwork::makeBrowser(const QString &type, QObject *parent)
{
    auto *browser = new FakeServiceBrowser(*this, type, parent);
    m_browsers.append(browser);
    return browser;
}

ServiceResolver *FakeServiceNetwork::makeResolver(QObject *parent)
{
    auto *resolver = new FakeServiceResolver(*this, parent);
    m_resolvers.append(resolver);
    return resolver;
}

void FakeServiceNetwork::setDaemonRunning(bool running)
{
    if (running == m_daemonRunning) {
        return;
    }
    m_daemonRunning = running;
    if (!running) {
        for (FakeServicePublisher *publisher : live(m_publishers)) {
            if (publisher->active()) {
                publisher->setAdvertised(std::nullopt);
                publisher->post(&ServicePublisher::failed, daemonGone);
            }
        }
        for (FakeServiceBrowser *browser : live(m_browsers)) {
            if (browser->active()) {
                browser->lost(&ServiceBrowser::unreachable, daemonGone, false);
            }
        }
        return;
    }
    for (FakeServicePublisher *publisher : live(m_publishers)) {
        if (publisher->active()) {
            announce(publisher);
        }
    }
    for (FakeServiceBrowser *browser : live(m_browsers)) {
        if (browser->active()) {
            tellBrowser(browser);
        }
    }
    for (FakeServiceResolver *resolver : live(m_resolvers)) {
        if (resolver->running()) {
            lookUp(resolver);
        }
    }
}

void FakeServiceNetwork::setClientFailure(const std::optional<QString> &reason)
{
    m_clientFailure = reason;
    if (!reason) {
        return;
    }
    // Browsers first: their failure already says that every service they reported is gone.
    for (FakeServiceBrowser *browser : live(m_browsers)) {
        if (browser->active()) {
            browser->lost(&ServiceBrowser::clientFailed, *reason, true);
        }
    }
    for (FakeServicePublisher *publisher : live(m_publishers)) {
        if (publisher->active()) {
            withdraw(publisher);
            publisher->post(&ServicePublisher::failed, *reason);
        }
    }
}

void FakeServiceNetwork::takeName(const QString &name)
{
    m_takenNames.insert(name);
}

void FakeServiceNetwork::failBrowsers(const QString &reason)
{
    for (FakeServiceBrowser *browser : live(m_browsers)) {
        if (browser->active()) {
            browser->lost(&ServiceBrowser::failed, reason, true);
        }
    }
}

QList<ServiceDescription> FakeServiceNetwork::advertised() const
{
    QList<ServiceDescription> services;
    for (const QPointer<FakeServicePublisher> &publisher : m_publishers) {
        if (publisher && publisher->advertised()) {
            services.append(*publisher->advertised());
        }
    }
    return services;
}

bool FakeServiceNetwork::nameIsTaken(const ServiceDescription &service,
                                     const FakeServicePublisher *by) const
{
    if (m_takenNames.contains(service.name)) {
        return true;
    }
    for (const QPointer<FakeServicePublisher> &publisher : m_publishers) {
        if (publisher && publisher != by && publisher->advertised() &&
            instanceOf(*publisher->advertised()) == instanceOf(service)) {
            return true;
        }
    }
    return false;
}

void FakeServiceNetwork::announce(FakeServicePublisher *publisher)
{
    ServiceDescription service = publisher->wanted();
    service.name = publisher->currentName();
    while (nameIsTaken(service, publisher)) {
        service.name = alternativeName(service.name);
    }
    publisher->setCurrentName(service.name);
    publisher->setAdvertised(service);
    publisher->post(&ServicePublisher::established, service.name);
    for (FakeServiceBrowser *browser : live(m_browsers)) {
        if (browser->active() && browser->type() == service.type) {
            browser->found(BrowsedService{instanceOf(service), service.txt});
        }
    }
    for (FakeServiceResolver *resolver : live(m_resolvers)) {
        if (resolver->running()) {
            lookUp(resolver);
        }
    }
}

void FakeServiceNetwork::withdraw(FakeServicePublisher *publisher)
{
    if (!publisher->advertised()) {
        return;
    }
    const ServiceInstance instance = instanceOf(*publisher->advertised());
    publisher->setAdvertised(std::nullopt);
    for (FakeServiceBrowser *browser : live(m_browsers)) {
        if (browser->active() && browser->type() == instance.type) {
            browser->removed(instance);
        }
    }
}

void FakeServiceNetwork::updated(FakeServicePublisher *publisher)
{
    const ServiceDescription &service = *publisher->advertised();
    for (FakeServiceBrowser *browser : live(m_browsers)) {
        if (browser->active() && browser->type() == service.type) {
            browser->found(BrowsedService{instanceOf(service), service.txt});
        }
    }
}

void FakeServiceNetwork::tellBrowser(FakeServiceBrowser *browser)
{
    if (m_clientFailure) {
        browser->lost(&ServiceBrowser::clientFailed, *m_clientFailure, true);
        return;
    }
    if (!m_daemonRunning) {
        browser->lost(&ServiceBrowser::unreachable, daemonGone, false);
        return;
    }
    static const QRegularExpression validType(QStringLiteral("^_[A-Za-z0-9-]+\\._(tcp|udp)$"));
    if (!validType.match(browser->type()).hasMatch()) {
        browser->lost(&ServiceBrowser::failed, invalidType, true);
        return;
    }
    for (const ServiceDescription &service : advertised()) {
        if (service.type == browser->type()) {
            browser->found(BrowsedService{instanceOf(service), service.txt});
        }
    }
    browser->becameReady();
}

void FakeServiceNetwork::lookUp(FakeServiceResolver *resolver)
{
    if (!m_daemonRunning) {
        return;
    }
    for (const ServiceDescription &service : advertised()) {
        if (service.name == resolver->name() && service.type == resolver->type() &&
            domainOf(service.domain) == domainOf(resolver->domain())) {
            resolver->finish(ResolvedService{hostName, address, service.port, service.txt});
            return;
        }
    }
}

} // namespace Quorvel::Testing
