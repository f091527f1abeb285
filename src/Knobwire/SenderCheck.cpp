#include "Knobwire/SenderCheck.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <csignal>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

// Checks waiting for the bus at once. Announcements come once a second per provider; beyond
// this a flood is dropped instead of queueing without bound.
constexpr std::size_t maxPending = 256;

} // namespace

SenderCheck::SenderCheck(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{}

void SenderCheck::verify(const QString &sender, std::optional<qint32> pid,
                         std::function<void()> then)
{
    if (!pid || *pid <= 0 || sender.isEmpty() || m_pending.size() >= maxPending) {
        return;
    }
    const quint64 serial = m_nextSerial++;
    m_pending.push_back(Pending{serial, std::move(then), std::nullopt});
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                       u"org.freedesktop.DBus"_s, u"GetConnectionUnixProcessID"_s);
    call << sender;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, serial, expected = *pid](QDBusPendingCallWatcher *finished) {
                const QDBusPendingReply<uint> reply = *finished;
                finished->deleteLater();
                const bool verdict =
                    !reply.isError() && reply.value() == uint(expected) && isProcessAlive(expected);
                decide(serial, verdict);
            });
}

void SenderCheck::enqueue(std::function<void()> then)
{
    if (m_pending.size() >= maxPending) {
        return;
    }
    m_pending.push_back(Pending{m_nextSerial++, std::move(then), true});
    drain();
}

void SenderCheck::decide(quint64 serial, bool verdict)
{
    const auto found =
        std::find_if(m_pending.begin(), m_pending.end(),
                     [serial](const Pending &entry) { return entry.serial == serial; });
    if (found == m_pending.end()) {
        return;
    }
    found->verdict = verdict;
    drain();
}

void SenderCheck::drain()
{
    // What runs here may end this object's owner, and with it this object.
    const QPointer<SenderCheck> self(this);
    while (self && !m_pending.empty() && m_pending.front().verdict) {
        Pending entry = std::move(m_pending.front());
        m_pending.pop_front();
        if (*entry.verdict && entry.then) {
            entry.then();
        }
    }
}

bool isProcessAlive(qint64 pid)
{
    if (pid <= 0) {
        return false;
    }
    // Signal 0 only asks whether the process exists; EPERM means it does, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace Knobwire
