#include "Platform/Avahi/AvahiPublisher.h"

#include "Platform/Avahi/AvahiTxtRecord.h"
#include "Platform/PlatformLogging.h"
#include "Platform/Text/OutsideText.h"

#include <QMetaObject>

#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace Quorvel {
namespace {

// Names taken by this machine's own services are renamed at once; beyond this many the name is
// given up as broken rather than looped on.
constexpr int maximumLocalRenames = 100;

QString clientError(AvahiClient *client)
{
    return QString::fromUtf8(avahi_strerror(avahi_client_errno(client)));
}

QString alternativeName(const QString &name)
{
    char *alternative = avahi_alternative_service_name(name.toUtf8().constData());
    const QString result = QString::fromUtf8(alternative);
    avahi_free(alternative);
    return result;
}

} // namespace

AvahiPublisher::AvahiPublisher(QObject *parent) : ServicePublisher(parent)
{
    connect(&m_session, &AvahiSession::stateChanged, this, &AvahiPublisher::handleSessionState);
}

AvahiPublisher::~AvahiPublisher()
{
    freeGroup();
}

void AvahiPublisher::publish(const ServiceDescription &service)
{
    m_service = service;
    m_active = true;
    republish();
}

void AvahiPublisher::republish()
{
    if (!m_active) {
        return;
    }
    ++m_generation;
    m_currentName = m_service.name;
    freeGroup();
    switch (m_session.state()) {
    case AvahiSession::State::Running:
        registerService();
        break;
    case AvahiSession::State::Connecting:
        fail(m_session.errorString());
        break;
    case AvahiSession::State::Registering:
        break;
    case AvahiSession::State::Stopped:
    case AvahiSession::State::Failed:
        m_session.stop();
        // Reports its state at once; handleSessionState() registers or fails from there.
        m_session.start();
        break;
    }
}

void AvahiPublisher::stop()
{
    m_active = false;
    ++m_generation;
    freeGroup();
    m_session.stop();
}

void AvahiPublisher::handleSessionState(AvahiSession::State state)
{
    if (!m_active) {
        return;
    }
    switch (state) {
    case AvahiSession::State::Running:
        registerService();
        break;
    case AvahiSession::State::Registering:
        // The daemon claims a new host name; the records come back once it runs again.
        if (m_group) {
            avahi_entry_group_reset(m_group);
        }
        break;
    case AvahiSession::State::Connecting:
    case AvahiSession::State::Failed:
        freeGroup();
        fail(m_session.errorString());
        break;
    case AvahiSession::State::Stopped:
        break;
    }
}

void AvahiPublisher::registerService()
{
    AvahiClient *client = m_session.client();
    if (!client) {
        return;
    }
    if (!m_group) {
        m_group = avahi_entry_group_new(client, &AvahiPublisher::groupCallback, this);
        if (!m_group) {
            fail(clientError(client));
            return;
        }
    } else {
        avahi_entry_group_reset(m_group);
    }
    const QByteArray type = m_service.type.toUtf8();
    const QByteArray domain = m_service.domain.toUtf8();
    AvahiStringList *txt = avahiStringList(m_service.txt);
    int result = AVAHI_ERR_COLLISION;
    for (int attempt = 0; attempt <= maximumLocalRenames && result == AVAHI_ERR_COLLISION;
         ++attempt) {
        if (attempt > 0) {
            m_currentName = alternativeName(m_currentName);
        }
        result = avahi_entry_group_add_service_strlst(
            m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
            m_currentName.toUtf8().constData(), type.constData(),
            domain.isEmpty() ? nullptr : domain.constData(), nullptr, m_service.port, txt);
    }
    avahi_string_list_free(txt);
    if (result >= 0) {
        result = avahi_entry_group_commit(m_group);
    }
    if (result < 0) {
        const QString reason = QString::fromUtf8(avahi_strerror(result));
        qCWarning(lcAvahi, "Could not advertise %s: %s",
                  qUtf8Printable(OutsideText::forLog(m_currentName)), qUtf8Printable(reason));
        fail(reason);
    }
}

void AvahiPublisher::groupCallback(AvahiEntryGroup *group, AvahiEntryGroupState state,
                                   void *userdata)
{
    static_cast<AvahiPublisher *>(userdata)->handleGroupState(group, state);
}

void AvahiPublisher::handleGroupState(AvahiEntryGroup *group, AvahiEntryGroupState state)
{
    // A group that was replaced may still report; only the current one counts.
    if (m_group && group != m_group) {
        return;
    }
    switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
        qCInfo(lcAvahi, "Advertised %s", qUtf8Printable(OutsideText::forLog(m_currentName)));
        post(&ServicePublisher::established, m_currentName);
        break;
    case AVAHI_ENTRY_GROUP_COLLISION: {
        const QString taken = m_currentName;
        m_currentName = alternativeName(taken);
        qCInfo(lcAvahi, "Service name %s is taken; advertising as %s",
               qUtf8Printable(OutsideText::forLog(taken)),
               qUtf8Printable(OutsideText::forLog(m_currentName)));
        registerService();
        break;
    }
    case AVAHI_ENTRY_GROUP_FAILURE:
        fail(clientError(avahi_entry_group_get_client(group)));
        break;
    case AVAHI_ENTRY_GROUP_UNCOMMITED:
    case AVAHI_ENTRY_GROUP_REGISTERING:
        break;
    }
}

void AvahiPublisher::freeGroup()
{
    if (m_group) {
        AvahiEntryGroup *group = m_group;
        m_group = nullptr;
        avahi_entry_group_free(group);
    }
}

void AvahiPublisher::fail(const QString &reason)
{
    post(&ServicePublisher::failed, reason);
}

void AvahiPublisher::post(void (ServicePublisher::*signal)(const QString &),
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

} // namespace Quorvel
