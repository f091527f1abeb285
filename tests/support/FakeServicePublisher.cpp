#include "FakeServicePublisher.h"

#include "FakeServiceNetwork.h"

#include <QMetaObject>

namespace Quorvel::Testing {

FakeServicePublisher::FakeServicePublisher(FakeServiceNetwork &network, QObject *parent)
    : ServicePublisher(parent), m_network(network)
{}

FakeServicePublisher::~FakeServicePublisher()
{
    m_network.withdraw(this);
}

void FakeServicePublisher::publish(const ServiceDescription &service)
{
    // The same service with a new TXT record is updated in place, as an entry group would be.
    const bool sameService = m_active && m_advertised && service.name == m_wanted.name &&
                             service.type == m_wanted.type && service.port == m_wanted.port &&
                             service.domain == m_wanted.domain;
    m_wanted = service;
    if (sameService) {
        m_advertised->txt = service.txt;
        m_network.updated(this);
        return;
    }
    m_active = true;
    republish();
}

void FakeServicePublisher::republish()
{
    if (!m_active) {
        return;
    }
    ++m_generation;
    m_network.withdraw(this);
    m_currentName = m_wanted.name;
    if (const std::optional<QString> failure = m_network.clientFailure()) {
        post(&ServicePublisher::failed, *failure);
        return;
    }
    if (!m_network.daemonRunning()) {
        post(&ServicePublisher::failed, FakeServiceNetwork::daemonGone);
        return;
    }
    m_network.announce(this);
}

void FakeServicePublisher::stop()
{
    m_active = false;
    ++m_generation;
    m_network.withdraw(this);
}

void FakeServicePublisher::setAdvertised(const std::optional<ServiceDescription> &service)
{
    m_advertised = service;
}

void FakeServicePublisher::post(void (ServicePublisher::*signal)(const QString &),
                                const QString &argument)
{
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, signal, argument, generation] {
            if (m_active && generation == m_generation) {
                emit(this->*signal)(argument);
            }
        },
        Qt::QueuedConnection);
}

} // namespace Quorvel::Testing
