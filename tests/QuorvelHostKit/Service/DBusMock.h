#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>

namespace Quorvel::HostTest {

// A python3-dbusmock service that a test starts on a private bus and that ends with the test.
class DBusMock {
public:
    // How long the mock may take to appear on the bus.
    static constexpr int startupMilliseconds = 10000;

    DBusMock(QDBusConnection bus, QString service, QString path)
        : m_bus(std::move(bus)), m_service(std::move(service)), m_path(std::move(path))
    {}
    ~DBusMock()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }
    DBusMock(const DBusMock &) = delete;
    DBusMock &operator=(const DBusMock &) = delete;

    // Starts Debian's python with dbusmock and the given arguments; true once the service owns
    // its name on the bus.
    bool start(const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + arguments);
        if (!m_process.waitForStarted())
            return false;
        const auto registered = [this] {
            return m_bus.interface()->isServiceRegistered(m_service).value();
        };
        // Ends early when the mock has died; the answer is whether it owns the name by then.
        const bool settled =
            QTest::qWaitFor([&] { return registered() || m_process.state() != QProcess::Running; },
                            startupMilliseconds);
        return settled && registered();
    }

    // Adds a method that runs Python code to the mock's main object.
    bool addMethod(const QString &interface, const QString &name, const QString &in,
                   const QString &out, const QString &code)
    {
        QDBusMessage call = mockCall(QStringLiteral("AddMethod"));
        call << interface << name << in << out << code;
        return m_bus.call(call).type() == QDBusMessage::ReplyMessage;
    }

    // The arguments of every call of method on the mock's main object so far, oldest first.
    QList<QVariantList> calls(const QString &method)
    {
        QDBusMessage call = mockCall(QStringLiteral("GetMethodCalls"));
        call << method;
        const QDBusMessage reply = m_bus.call(call);
        QList<QVariantList> found;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return found;
        const auto calls = reply.arguments().first().value<QDBusArgument>();
        calls.beginArray();
        while (!calls.atEnd()) {
            calls.beginStructure();
            quint64 time = 0;
            QVariantList arguments;
            calls >> time >> arguments;
            calls.endStructure();
            found.append(arguments);
        }
        calls.endArray();
        return found;
    }

    int callCount(const QString &method) { return int(calls(method).size()); }

    QVariantList lastCallArguments(const QString &method)
    {
        const QList<QVariantList> all = calls(method);
        return all.isEmpty() ? QVariantList() : all.last();
    }

    // Calls a method of the mock's main object and gives the reply's first argument.
    QVariant call(const QString &interface, const QString &method)
    {
        const QDBusMessage reply =
            m_bus.call(QDBusMessage::createMethodCall(m_service, m_path, interface, method));
        return reply.arguments().value(0);
    }

private:
    QDBusMessage mockCall(const QString &method) const
    {
        return QDBusMessage::createMethodCall(m_service, m_path,
                                              QStringLiteral("org.freedesktop.DBus.Mock"), method);
    }

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    QProcess m_process;
};

} // namespace Quorvel::HostTest
