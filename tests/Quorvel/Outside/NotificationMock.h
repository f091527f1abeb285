#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace Quorvel::OutsideTest {

// python3-dbusmock's notification daemon on the session bus, to see what it was asked to show.
class NotificationMock {
public:
    bool start(int limitMs)
    {
        // Debian's python, which carries python3-dbusmock; the PATH's python3 may be another one.
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {"-m", "dbusmock", "--session", "--template", "notification_daemon"});
        return QTest::qWaitFor(
            [] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(service); },
            limitMs);
    }
    ~NotificationMock()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }

    // The summary and body of every notice so far, as "summary | body".
    QStringList shown() const
    {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(service, "/org/freedesktop/Notifications",
                                           "org.freedesktop.DBus.Mock", "GetCalls"));
        QStringList result;
        const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 timestamp = 0;
            QString method;
            QVariantList arguments;
            list.beginStructure();
            list >> timestamp >> method;
            list.beginArray();
            while (!list.atEnd()) {
                QDBusVariant value;
                list >> value;
                arguments.append(value.variant());
            }
            list.endArray();
            list.endStructure();
            if (method == QLatin1String("Notify"))
                result << arguments.value(3).toString() + " | " + arguments.value(4).toString();
        }
        list.endArray();
        return result;
    }
    int count() const { return int(shown().size()); }

private:
    static constexpr const char *service = "org.freedesktop.Notifications";

    QProcess m_process;
};

} // namespace Quorvel::OutsideTest
