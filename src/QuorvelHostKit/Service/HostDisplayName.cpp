#include "QuorvelHostKit/Service/HostDisplayName.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSysInfo>
#include <QTextBoundaryFinder>

namespace Quorvel {

namespace {

// hostnamed answers at once when it runs; a slow or absent bus must not hold up the host's start.
constexpr int hostnamedTimeoutMs = 1000;

QString prettyHostName()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return {};
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("/org/freedesktop/hostname1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.freedesktop.hostname1") << QStringLiteral("PrettyHostname");
    const QDBusMessage reply = bus.call(call, QDBus::Block, hostnamedTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toString().trimmed();
}

} // namespace

QString hostDisplayName()
{
    QString name = prettyHostName();
    if (name.isEmpty()) {
        name = QSysInfo::machineHostName().trimmed();
    }
    if (name.isEmpty()) {
        name = QStringLiteral("Quorvel");
    }
    return clipToUtf8Bytes(name, serviceNameMaxBytes);
}

QString clipToUtf8Bytes(const QString &text, qsizetype maxBytes)
{
    // Cut only between user-perceived characters, so that no half of a flag, an emoji sequence
    // or a letter with its accents is left at the end of the name.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    while (graphemes.toNextBoundary() != -1) {
        const qsizetype next = graphemes.position();
        if (QStringView(text).left(next).toUtf8().size() > maxBytes) {
            break;
        }
        end = next;
    }
    return text.left(end);
}

} // namespace Quorvel
