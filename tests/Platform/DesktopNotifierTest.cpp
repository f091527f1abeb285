#include "Platform/Desktop/DesktopNotifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Quorvel;

namespace {

const QString notifications = QStringLiteral("org.freedesktop.Notifications");
// Debian's python, which carries python3-dbusmock; the PATH's python3 may be another one.
const QString python = QStringLiteral("/usr/bin/python3");
// Far beyond the mock's start-up.
constexpr int startLimitMs = 20000;

struct Call {
    QString method;
    QVariantList arguments;
};

// python3-dbusmock's notification daemon on the sandbox's session bus.
class MockDaemon {
public:
    bool start()
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(python,
                        {"-m", "dbusmock", "--session", "--template", "notification_daemon"});
        return QTest::qWaitFor(
            [] {
                return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                    notifications);
            },
            startLimitMs);
    }
    ~MockDaemon()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }

    QList<Call> calls() const
    {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(notifications, "/org/freedesktop/Notifications",
                                           "org.freedesktop.DBus.Mock", "GetCalls"));
        QList<Call> calls;
        if (reply.type() != QDBusMessage::ReplyMessage)
            return calls;
        const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            Call call;
            quint64 timestamp = 0;
            list.beginStructure();
            list >> timestamp >> call.method;
            list.beginArray();
            while (!list.atEnd()) {
                QDBusVariant value;
                list >> value;
                call.arguments.append(value.variant());
            }
            list.endArray();
            list.endStructure();
            calls.append(call);
        }
        list.endArray();
        return calls;
    }

    QList<Call> notifyCalls() const
    {
        QList<Call> result;
        for (const Call &call : calls()) {
            if (call.method == QLatin1String("Notify"))
                result.append(call);
        }
        return result;
    }

    // Has the mock send one of the service's signals, as when the user acts on a notice.
    static bool emitSignal(const QString &name, const QString &signature,
                           const QVariantList &arguments)
    {
        QDBusMessage call =
            QDBusMessage::createMethodCall(notifications, "/org/freedesktop/Notifications",
                                           "org.freedesktop.DBus.Mock", "EmitSignal");
        call << notifications << name << signature << arguments;
        return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
    }

private:
    QProcess m_process;
};

} // namespace

// Notices through the desktop's notification service, checked against python3-dbusmock's
// notification daemon.
class DesktopNotifierTest : public QObject {
    Q_OBJECT

private slots:
    void withoutAServiceTheFallbackStandsIn()
    {
        int beeps = 0;
        DesktopNotifier notifier("Quorvel", "com.vantrel.quorvel", [&beeps] { ++beeps; });
        QSignalSpy fellBack(&notifier, &DesktopNotifier::fellBack);
        notifier.notify("Couldn't run Fan", "body");
        QVERIFY(fellBack.wait());
        QCOMPARE(beeps, 1);
    }

    void showsTheNoticeWithItsBodyEscaped()
    {
        MockDaemon daemon;
        QVERIFY(daemon.start());
        int beeps = 0;
        DesktopNotifier notifier("Quorvel", "com.vantrel.quorvel", [&beeps] { ++beeps; });
        QSignalSpy shown(&notifier, &DesktopNotifier::shown);
        notifier.notify("Couldn't run <b>Fan</b>", "Studio & <i>Den</i> has no action \"x\".");
        QVERIFY(shown.wait());
        QCOMPARE(beeps, 0);

        const QList<Call> calls = daemon.notifyCalls();
        QCOMPARE(calls.size(), 1);
        const QVariantList &arguments = calls.at(0).arguments;
        QCOMPARE(arguments.value(0).toString(), QStringLiteral("Quorvel"));
        QCOMPARE(arguments.value(3).toString(), QStringLiteral("Couldn't run <b>Fan</b>"));
        QCOMPARE(
            arguments.value(4).toString(),
            QStringLiteral("Studio &amp; &lt;i&gt;Den&lt;/i&gt; has no action &quot;x&quot;."));
        const QVariantMap hints = qdbus_cast<QVariantMap>(arguments.value(6));
        QCOMPARE(hints.value("desktop-entry").toString(), QStringLiteral("com.vantrel.quorvel"));
    }

    // Titles carry link ids and action titles from outside: each stays one short plain line.
    void titlesFromOutsideStayOneShortLine_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");

        const QString mark = QString(QChar::ReplacementCharacter);
        QTest::newRow("line break") << "Couldn't run Fan\nAll is well"
                                    << "Couldn't run Fan" + mark + "All is well";
        QTest::newRow("paragraph separator")
            << QString::fromUtf16(u"Couldn't run a\u2029b") << "Couldn't run a" + mark + "b";
        QTest::newRow("direction override") << QString::fromUtf16(u"Couldn't run \u202Efdp.exe")
                                            << "Couldn't run " + mark + "fdp.exe";
        QTest::newRow("markup stays as text") << "Couldn't run <b>Fan</b>"
                                              << "Couldn't run <b>Fan</b>";
        const QString huge = "Couldn't run " + QString(1024 * 1024, u'x');
        QTest::newRow("a megabyte") << huge << huge.left(64);
    }

    void titlesFromOutsideStayOneShortLine()
    {
        QFETCH(QString, title);
        QFETCH(QString, shown);
        MockDaemon daemon;
        QVERIFY(daemon.start());
        DesktopNotifier notifier("Quorvel", "com.vantrel.quorvel", [] {});
        QSignalSpy sent(&notifier, &DesktopNotifier::shown);
        notifier.notify(title, "body");
        QVERIFY(sent.wait());
        const QList<Call> calls = daemon.notifyCalls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.at(0).arguments.value(3).toString(), shown);
    }

    void reportsTheUsersChoiceOfItsOwnNotices()
    {
        MockDaemon daemon;
        QVERIFY(daemon.start());
        DesktopNotifier notifier("Quorvel", "com.vantrel.quorvel", [] {});
        QSignalSpy shown(&notifier, &DesktopNotifier::shown);
        QSignalSpy invoked(&notifier, &DesktopNotifier::actionInvoked);
        notifier.notify("Version 2.0 is available", "Download it.", {"download", "Download"});
        QVERIFY(shown.wait());
        const quint32 id = shown.at(0).at(0).toUInt();
        QCOMPARE(daemon.notifyCalls().at(0).arguments.value(5).toStringList(),
                 QStringList({"download", "Download"}));

        // Another program's notice is not ours to answer.
        QVERIFY(MockDaemon::emitSignal("ActionInvoked", "us", {id + 100, "download"}));
        QVERIFY(MockDaemon::emitSignal("ActionInvoked", "us", {id, "download"}));
        QVERIFY(invoked.wait());
        QCOMPARE(invoked.size(), 1);
        QCOMPARE(invoked.at(0).at(1).toString(), QStringLiteral("download"));

        // Once closed, the notice's id may be another program's. The signals arrive in order, so
        // a choice on a later notice shows that the one before was passed over.
        notifier.notify("Version 2.1 is available", "Download it.", {"download", "Download"});
        QTRY_COMPARE(shown.size(), 2);
        const quint32 later = shown.at(1).at(0).toUInt();
        QVERIFY(MockDaemon::emitSignal("NotificationClosed", "uu", {id, 2u}));
        QVERIFY(MockDaemon::emitSignal("ActionInvoked", "us", {id, "download"}));
        QVERIFY(MockDaemon::emitSignal("ActionInvoked", "us", {later, "download"}));
        QTRY_COMPARE(invoked.size(), 2);
        QCOMPARE(invoked.at(1).at(0).toUInt(), later);
    }
};

QTEST_GUILESS_MAIN(DesktopNotifierTest)
#include "DesktopNotifierTest.moc"
