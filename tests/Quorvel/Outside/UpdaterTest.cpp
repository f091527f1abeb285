#include "Quorvel/Outside/Updater.h"

#include "QuorvelClientUI/ClientSettings.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(std::optional<std::chrono::hours>)
Q_DECLARE_METATYPE(std::chrono::seconds)
Q_DECLARE_METATYPE(std::chrono::minutes)
Q_DECLARE_METATYPE(std::optional<std::chrono::minutes>)

namespace {

const QByteArray feedPath = "/appcast.xml";

// A feed with one release of each sort the reader must tell apart.
QByteArray feed(const QString &host)
{
    const QByteArray https = "https://" + host.toUtf8();
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Quorvel</title>
<item><title>Old</title><sparkle:version>1.0.0</sparkle:version>
  <enclosure url=")" +
           https + R"(/old.tar.gz" length="1" type="application/octet-stream"/></item>
<item><title>Stable</title><sparkle:version>1.3.0</sparkle:version>
  <sparkle:shortVersionString>1.3</sparkle:shortVersionString>
  <enclosure url=")" +
           https + R"(/stable.tar.gz" length="1" type="application/octet-stream"/></item>
<item><title>Test</title><sparkle:channel>testing</sparkle:channel>
  <enclosure url=")" +
           https + R"(/test.tar.gz" sparkle:version="1.4.0" length="1"/></item>
<item><title>Plain</title><sparkle:version>1.5.0</sparkle:version>
  <enclosure url="http://example.invalid/plain.tar.gz" length="1"/></item>
<item><title>Beta</title><sparkle:channel>beta</sparkle:channel><sparkle:version>1.6.0</sparkle:version>
  <enclosure url=")" +
           https + R"(/beta.tar.gz" length="1"/></item>
</channel></rss>)";
}

// A small https server on 127.0.0.1 with a certificate made for this run, answering every
// request with the feed.
class FeedServer {
public:
    bool start()
    {
        const QString key = m_dir.filePath("key.pem");
        const QString certificate = m_dir.filePath("cert.pem");
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-keyout", key, "-out", certificate, "-days", "1", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
        if (!openssl.waitForFinished() || openssl.exitCode() != 0)
            return false;
        const QList<QSslCertificate> certificates = QSslCertificate::fromPath(certificate);
        QFile keyFile(key);
        if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly))
            return false;
        m_certificate = certificates.first();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(m_certificate);
        configuration.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
        m_server.setSslConfiguration(configuration);
        QObject::connect(&m_server, &QSslServer::pendingConnectionAvailable, &m_server,
                         [this] { answerPending(); });
        return m_server.listen(QHostAddress::LocalHost);
    }

    QUrl url() const
    {
        return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(m_server.serverPort()) +
                    QString::fromLatin1(feedPath));
    }

    // What the updater trusts: the system's authorities and this run's certificate.
    QSslConfiguration clientConfiguration() const
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificate(m_certificate);
        return configuration;
    }

    int requests = 0;

private:
    void answerPending()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_received[socket] += socket->readAll();
                if (!m_received[socket].contains("\r\n\r\n"))
                    return;
                ++requests;
                const QByteArray body = feed(QStringLiteral("127.0.0.1"));
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\n"
                              "Connection: close\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    QTemporaryDir m_dir;
    QSslServer m_server;
    QSslCertificate m_certificate;
    QHash<QTcpSocket *, QByteArray> m_received;
};

const QDateTime launch(QDate(2026, 12, 10), QTime(8, 0), Qt::UTC);

// An updater on a clock the test moves, noting when each check starts. A check reads the feed
// at once, or fails as told.
struct ScheduledUpdater {
    explicit ScheduledUpdater(std::optional<std::chrono::minutes> lastCheckBefore,
                              QList<bool> readings = {})
        : readings(std::move(readings))
    {
        if (lastCheckBefore)
            openClientSettings()->setValue(
                Updater::lastCheckKey,
                launch.addSecs(-std::chrono::seconds(*lastCheckBefore).count())
                    .toString(Qt::ISODate));
        Updater::Schedule schedule;
        // The wall clock is looked at only when the test says so, or when a check is due.
        schedule.clockLook = std::chrono::hours(1);
        schedule.now = [this] { return now; };
        schedule.fetch = [this] {
            checkedAt.append(int(launch.secsTo(now) / 60));
            if (!this->readings.isEmpty() && !this->readings.takeFirst())
                return FeedReading{std::nullopt, QStringLiteral("Host not found")};
            return FeedReading{feed(QStringLiteral("127.0.0.1")), QString()};
        };
        updater = std::make_unique<Updater>(QUrl("https://127.0.0.1:9/appcast.xml"), "1.0",
                                            std::move(schedule));
    }

    // Moves the clock to this long after the launch and lets the updater look at it.
    void at(std::chrono::seconds sinceLaunch)
    {
        now = launch.addSecs(sinceLaunch.count());
        updater->checkWhenDue();
    }

    int checks() const { return int(checkedAt.size()); }

    QDateTime now = launch;
    // Whether each coming check reads the feed, in order; the ones after these all do.
    QList<bool> readings;
    // Minutes after the launch at which each check started.
    QList<int> checkedAt;
    std::unique_ptr<Updater> updater;
};

} // namespace

// Reading the release feed over TLS on loopback: versions, channels and refused links.
class UpdaterTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void automaticChecksFollowTheWallClock_data()
    {
        QTest::addColumn<std::optional<std::chrono::hours>>("lastCheckBefore");
        QTest::addColumn<int>("checksAtLaunch");
        QTest::addColumn<std::chrono::seconds>("nextAfterLaunch");
        using namespace std::chrono_literals;
        QTest::newRow("never checked: the first start only records")
            << std::optional<std::chrono::hours>() << 0 << std::chrono::seconds(24h);
        QTest::newRow("switched off for 25 hours")
            << std::optional(25h) << 1 << std::chrono::seconds(24h);
        QTest::newRow("an hour ago") << std::optional(1h) << 0 << std::chrono::seconds(23h);
        QTest::newRow("in the future: the clock went back")
            << std::optional(-5h) << 0 << std::chrono::seconds(24h);
    }

    void automaticChecksFollowTheWallClock()
    {
        QFETCH(std::optional<std::chrono::hours>, lastCheckBefore);
        QFETCH(int, checksAtLaunch);
        QFETCH(std::chrono::seconds, nextAfterLaunch);
        using namespace std::chrono_literals;
        ScheduledUpdater scheduled(lastCheckBefore);
        // A check due at launch comes from the event loop, without anyone asking.
        QTRY_COMPARE(scheduled.checks(), checksAtLaunch);
        scheduled.at(0s);
        QCOMPARE(scheduled.checks(), checksAtLaunch);
        QCOMPARE(scheduled.updater->nextCheck(), launch.addSecs(nextAfterLaunch.count()));

        scheduled.at(nextAfterLaunch - 1s);
        QCOMPARE(scheduled.checks(), checksAtLaunch);
        // Time asleep counts: the first look at the clock after the due time checks.
        scheduled.at(nextAfterLaunch + 3h);
        QCOMPARE(scheduled.checks(), checksAtLaunch + 1);
        QCOMPARE(scheduled.updater->nextCheck(), launch.addSecs((nextAfterLaunch + 27h).count()));
    }

    void togglingDoesNotPutTheCheckOff()
    {
        using namespace std::chrono_literals;
        ScheduledUpdater scheduled(20h);
        QCOMPARE(scheduled.updater->nextCheck(), launch.addSecs(std::chrono::seconds(4h).count()));
        scheduled.updater->setAutomaticallyChecks(false);
        QCOMPARE(scheduled.updater->nextCheck(), std::nullopt);
        scheduled.at(5h);
        QCOMPARE(scheduled.checks(), 0);
        // Back on after the due time: the check comes at once, and the next a day after it.
        scheduled.updater->setAutomaticallyChecks(true);
        QTRY_COMPARE(scheduled.checks(), 1);
        QCOMPARE(scheduled.updater->nextCheck(), launch.addSecs(std::chrono::seconds(29h).count()));
        scheduled.updater->setAutomaticallyChecks(false);
        scheduled.updater->setAutomaticallyChecks(true);
        QCOMPARE(scheduled.updater->nextCheck(), launch.addSecs(std::chrono::seconds(29h).count()));
        scheduled.at(6h);
        QCOMPARE(scheduled.checks(), 1);
    }

    void failedChecksAreTriedAgain_data()
    {
        using namespace std::chrono_literals;
        QTest::addColumn<std::chrono::minutes>("lastCheckBefore");
        QTest::addColumn<QList<bool>>("readings");
        QTest::addColumn<std::optional<std::chrono::minutes>>("manualAt");
        QTest::addColumn<std::chrono::minutes>("until");
        QTest::addColumn<QList<int>>("checkedAt");
        QTest::addColumn<int>("lastCheckAfter");
        const bool fails = false;
        const bool reads = true;
        const std::optional<std::chrono::minutes> noManual;
        QTest::newRow("fails at login, the network comes up: again an hour later")
            << std::chrono::minutes(25h) << QList<bool>{fails} << noManual
            << std::chrono::minutes(26h) << QList<int>{0, 60, 25 * 60} << 25 * 60;
        QTest::newRow("keeps failing: again each hour, never more often")
            << std::chrono::minutes(25h) << QList<bool>{fails, fails, fails, fails} << noManual
            << std::chrono::minutes(5h) << QList<int>{0, 60, 120, 180, 240} << 240;
        QTest::newRow("reads the feed: the next a day later")
            << std::chrono::minutes(25h) << QList<bool>{reads} << noManual
            << std::chrono::minutes(48h) << QList<int>{0, 24 * 60, 48 * 60} << 48 * 60;
        QTest::newRow("fails after a success: the success stays the last check")
            << std::chrono::minutes(25h) << QList<bool>{reads, fails, fails} << noManual
            << std::chrono::minutes(25h + 30min) << QList<int>{0, 24 * 60, 25 * 60} << 0;
        QTest::newRow("a manual check that fails moves no automatic one")
            << std::chrono::minutes(5h) << QList<bool>{fails} << std::optional(0min)
            << std::chrono::minutes(19h) << QList<int>{0, 19 * 60} << 19 * 60;
        QTest::newRow("a manual check that fails just before one is due: that one waits an hour")
            << std::chrono::minutes(23h + 30min) << QList<bool>{fails} << std::optional(0min)
            << std::chrono::minutes(70min) << QList<int>{0, 60} << 60;
    }

    // A check that fails does not count as the last one: it is tried again an hour after it
    // started, and on that interval until one reads the feed.
    void failedChecksAreTriedAgain()
    {
        QFETCH(std::chrono::minutes, lastCheckBefore);
        QFETCH(QList<bool>, readings);
        QFETCH(std::optional<std::chrono::minutes>, manualAt);
        QFETCH(std::chrono::minutes, until);
        QFETCH(QList<int>, checkedAt);
        QFETCH(int, lastCheckAfter);
        using namespace std::chrono_literals;
        ScheduledUpdater scheduled(lastCheckBefore, readings);
        // The clock is looked at as often as the real timer looks at it.
        for (std::chrono::minutes sinceLaunch = 0min; sinceLaunch <= until;
             sinceLaunch += std::chrono::duration_cast<std::chrono::minutes>(
                 Updater::Schedule::defaultClockLook)) {
            if (manualAt == sinceLaunch) {
                scheduled.now = launch.addSecs(std::chrono::seconds(sinceLaunch).count());
                scheduled.updater->checkNow();
            }
            scheduled.at(sinceLaunch);
        }
        QCOMPARE(scheduled.checkedAt, checkedAt);
        QCOMPARE(openClientSettings()->value(Updater::lastCheckKey).toString(),
                 launch.addSecs(lastCheckAfter * 60).toString(Qt::ISODate));
    }

    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("equal") << "1.2.0"
                               << "1.2.0" << 0;
        QTest::newRow("numbers, not text") << "1.10"
                                           << "1.9" << 1;
        QTest::newRow("a further part") << "1.2"
                                        << "1.2.1" << -1;
        QTest::newRow("leading zeros") << "1.02"
                                       << "1.2" << 0;
        QTest::newRow("a pre-release is older") << "1.2b1"
                                                << "1.2" << -1;
        QTest::newRow("pre-releases in order") << "1.2b2"
                                               << "1.2b10" << -1;
        QTest::newRow("long numbers") << "20261210"
                                      << "9" << 1;
    }

    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(Appcast::compareVersions(a, b), order);
        QCOMPARE(Appcast::compareVersions(b, a), -order);
    }

    void versionString_data()
    {
        QTest::addColumn<QString>("shortVersion");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("shown");
        QTest::newRow("both") << "1.2"
                              << "42"
                              << "1.2 (42)";
        QTest::newRow("no build") << "1.2" << QString() << "1.2 (?)";
        QTest::newRow("neither") << QString() << QString() << "? (?)";
    }

    void versionString()
    {
        QFETCH(QString, shortVersion);
        QFETCH(QString, build);
        QFETCH(QString, shown);
        QCOMPARE(Updater::versionString(shortVersion, build), shown);
        // This program's own: the build number a checkout gives it, "?" without one.
        const QRegularExpression own(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(Updater::shortVersion()) +
            QStringLiteral(" \\((\\d+|\\?)\\)")));
        QVERIFY2(own.match(Updater::versionString()).hasMatch(),
                 qPrintable(Updater::versionString()));
    }

    void findsTheNewestOverTls_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("found");

        QTest::newRow("default channel") << "1.2.0"
                                         << ""
                                         << "1.3";
        QTest::newRow("testing channel") << "1.2.0"
                                         << "testing"
                                         << "1.4.0";
        QTest::newRow("another channel counts as default") << "1.2.0"
                                                           << "beta"
                                                           << "1.3";
        QTest::newRow("up to date") << "1.3.0"
                                    << ""
                                    << "";
        QTest::newRow("up to date on testing") << "1.4.0"
                                               << "testing"
                                               << "";
    }

    void findsTheNewestOverTls()
    {
        QFETCH(QString, current);
        QFETCH(QString, channel);
        QFETCH(QString, found);
        if (!channel.isEmpty())
            writeSettingText(Updater::channelKey, channel);
        FeedServer server;
        QVERIFY(server.start());
        Updater updater(server.url(), current);
        updater.setSslConfiguration(server.clientConfiguration());
        QCOMPARE(updater.getsTestBuilds(), channel == Updater::testingChannel);
        QSignalSpy foundSpy(&updater, &Updater::updateFound);
        QSignalSpy upToDate(&updater, &Updater::upToDate);
        QSignalSpy failed(&updater, &Updater::checkFailed);
        updater.checkNow();
        QTRY_COMPARE(foundSpy.size() + upToDate.size() + failed.size(), 1);
        QVERIFY2(failed.isEmpty(),
                 failed.isEmpty() ? "" : qPrintable(failed.at(0).at(0).toString()));
        QCOMPARE(updater.pendingVersion().value_or(QString()), found);
        if (!found.isEmpty()) {
            QCOMPARE(updater.available()->download.scheme(), QStringLiteral("https"));
            QCOMPARE(Updater::availableText(found), "Version " + found + " is available");
        }
    }

    void refusesWhatIsNotHttps()
    {
        Updater plain(QUrl("http://127.0.0.1:9/appcast.xml"), "1.0");
        QSignalSpy failed(&plain, &Updater::checkFailed);
        plain.checkNow();
        QCOMPARE(failed.size(), 1);

        const std::optional<QList<AppcastItem>> items = Appcast::parse(feed("127.0.0.1"));
        QVERIFY(items);
        QCOMPARE(items->size(), 5);
        // Only the plain-http release is newer than 1.4.0 on the default channel.
        QCOMPARE(Appcast::newestUpdate(*items, "1.4.0", false), std::nullopt);
        QVERIFY(!Appcast::parse("<rss><channel><item>"));
    }

    void testBuildsSetting()
    {
        FeedServer server;
        QVERIFY(server.start());
        Updater updater(server.url(), "1.0");
        updater.setSslConfiguration(server.clientConfiguration());

        updater.setAutomaticallyChecks(false);
        updater.setGetsTestBuilds(true);
        QCOMPARE(readSettingText(Updater::channelKey), std::optional<QString>("testing"));
        updater.setGetsTestBuilds(false);
        QCOMPARE(readSettingText(Updater::channelKey), std::nullopt);
        QCOMPARE(server.requests, 0);

        // With automatic checks, turning test builds on looks at the feed at once.
        updater.setAutomaticallyChecks(true);
        QSignalSpy found(&updater, &Updater::updateFound);
        updater.setGetsTestBuilds(true);
        QVERIFY(found.wait());
        QCOMPARE(updater.pendingVersion(), std::optional<QString>("1.4.0"));
        QCOMPARE(server.requests, 1);
    }
};

QTEST_GUILESS_MAIN(UpdaterTest)
#include "UpdaterTest.moc"
