#include "QuorvelCore/Discovery/HostListing.h"
#include "QuorvelCore/Discovery/DiscoveredHost.h"
#include "QuorvelCore/Discovery/Resolve.h"
#include "QuorvelCore/Discovery/RetryDelay.h"

#include <QTest>

#include <chrono>
#include <limits>

using namespace std::chrono_literals;
using Quorvel::BrowsedService;
using Quorvel::DiscoveredHost;
using Quorvel::ServiceEndpoint;
using Quorvel::ServiceInstance;
using Quorvel::TxtRecord;

namespace {

const QString type = QStringLiteral("_quorvel._tcp");

BrowsedService browsed(const QString &name, std::optional<TxtRecord> txt = TxtRecord{},
                       int interfaceIndex = 1, int protocol = 0)
{
    return BrowsedService{ServiceInstance{interfaceIndex, protocol, name, type, "local"}, txt};
}

QStringList names(const QList<DiscoveredHost> &hosts)
{
    QStringList result;
    for (const DiscoveredHost &host : hosts) {
        result.append(host.name);
    }
    return result;
}

} // namespace

// The pure rules of host discovery: reading TXT values, the host list, the resolved host text
// and the back-off of a failed browser.
class HostListingTest : public QObject {
    Q_OBJECT

private slots:
    void protocolVersion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<qint64>>("expected");

        QTest::newRow("2") << "2" << std::optional<qint64>(2);
        QTest::newRow("+2") << "+2" << std::optional<qint64>(2);
        QTest::newRow("-7") << "-7" << std::optional<qint64>(-7);
        QTest::newRow("leading zeros") << "007" << std::optional<qint64>(7);
        QTest::newRow("largest") << "9223372036854775807"
                                 << std::optional<qint64>(9223372036854775807LL);
        QTest::newRow("smallest") << "-9223372036854775808"
                                  << std::optional<qint64>(std::numeric_limits<qint64>::min());
        QTest::newRow("overflow") << "9223372036854775808" << std::optional<qint64>();
        QTest::newRow("far overflow") << "99999999999999999999" << std::optional<qint64>();
        QTest::newRow("2.0") << "2.0" << std::optional<qint64>();
        QTest::newRow("leading space") << " 2" << std::optional<qint64>();
        QTest::newRow("trailing space") << "2 " << std::optional<qint64>();
        QTest::newRow("empty") << "" << std::optional<qint64>();
        QTest::newRow("minus alone") << "-" << std::optional<qint64>();
        QTest::newRow("plus alone") << "+" << std::optional<qint64>();
        QTest::newRow("two signs") << "+-2" << std::optional<qint64>();
        QTest::newRow("hex") << "0x2" << std::optional<qint64>();
        QTest::newRow("arabic-indic digit") << QStringLiteral("\u0662") << std::optional<qint64>();
    }

    void protocolVersion()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<qint64>, expected);
        QCOMPARE(Quorvel::parseProtocolVersion(text), expected);
    }

    void hostID_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("expected");

        const QString upper = QStringLiteral("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0");
        QTest::newRow("upper case") << upper << std::optional<QString>(upper);
        QTest::newRow("lower case") << upper.toLower() << std::optional<QString>(upper);
        QTest::newRow("braces") << "{" + upper + "}" << std::optional<QString>();
        QTest::newRow("no dashes") << QString(upper).remove('-') << std::optional<QString>();
        QTest::newRow("too short") << upper.chopped(1) << std::optional<QString>();
        QTest::newRow("not hex") << QString(upper).replace(0, 1, "G") << std::optional<QString>();
        QTest::newRow("trailing newline") << upper + "\n" << std::optional<QString>();
        QTest::newRow("empty") << "" << std::optional<QString>();
    }

    void hostID()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(Quorvel::parseHostID(text), expected);
    }

    void hostFromServiceReadsItsFields()
    {
        const DiscoveredHost host = Quorvel::hostFromService(browsed(
            "Studio", TxtRecord{{"v", "2"}, {"id", "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"}}, 3, 0));
        QCOMPARE(host.id, QStringLiteral("Studio._quorvel._tcplocal"));
        QCOMPARE(host.name, QStringLiteral("Studio"));
        QCOMPARE(host.protocolVersion, std::optional<qint64>(2));
        QCOMPARE(host.hostID, std::optional<QString>("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"));
        QCOMPARE(host.stableKey(), QStringLiteral("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"));
        QVERIFY(host.endpoint ==
                Quorvel::HostEndpoint(ServiceEndpoint{"Studio", type, "local", 3}));
    }

    void hostWithoutUsableTxtKeepsItsName_data()
    {
        QTest::addColumn<std::optional<TxtRecord>>("txt");
        QTest::newRow("no TXT record") << std::optional<TxtRecord>();
        QTest::newRow("no keys") << std::optional<TxtRecord>(TxtRecord{});
        QTest::newRow("bad values")
            << std::optional<TxtRecord>(TxtRecord{{"v", "two"}, {"id", "studio"}});
    }

    void hostWithoutUsableTxtKeepsItsName()
    {
        QFETCH(std::optional<TxtRecord>, txt);
        const DiscoveredHost host = Quorvel::hostFromService(browsed("Studio", txt));
        QCOMPARE(host.protocolVersion, std::optional<qint64>());
        QCOMPARE(host.hostID, std::optional<QString>());
        QCOMPARE(host.stableKey(), QStringLiteral("Studio"));
    }

    void listIsSortedByScalarOrder_data()
    {
        QTest::addColumn<QStringList>("browsedNames");
        QTest::addColumn<QStringList>("listed");

        QTest::newRow("upper case first")
            << QStringList{"beta", "Alpha"} << QStringList{"Alpha", "beta"};
        QTest::newRow("not case-folded")
            << QStringList{"alpha", "Beta"} << QStringList{"Beta", "alpha"};
        QTest::newRow("Zeta before alpha")
            << QStringList{"alpha", "Zeta"} << QStringList{"Zeta", "alpha"};
        // U+FF5E is above the surrogates in UTF-16 but below U+1F600 as a scalar.
        QTest::newRow("scalar, not UTF-16, order")
            << QStringList{QStringLiteral("\U0001F600"), QStringLiteral("\uFF5E")}
            << QStringList{QStringLiteral("\uFF5E"), QStringLiteral("\U0001F600")};
    }

    void listIsSortedByScalarOrder()
    {
        QFETCH(QStringList, browsedNames);
        QFETCH(QStringList, listed);
        QList<BrowsedService> services;
        for (const QString &name : browsedNames) {
            services.append(browsed(name));
        }
        QCOMPARE(names(Quorvel::hostList(services)), listed);
    }

    void oneHostPerServiceAcrossInterfaces()
    {
        const TxtRecord txt{{"v", "2"}};
        const QList<DiscoveredHost> hosts = Quorvel::hostList({
            browsed("Studio", std::nullopt, 1, 0),
            browsed("Studio", txt, 2, 1),
            browsed("Studio", txt, 2, 0),
            browsed("Attic", txt, 1, 0),
        });
        QCOMPARE(names(hosts), (QStringList{"Attic", "Studio"}));
        // The resolved report wins over the unresolved one, then the lowest interface/protocol.
        QCOMPARE(hosts.at(1).protocolVersion, std::optional<qint64>(2));
        QVERIFY(hosts.at(1).endpoint ==
                Quorvel::HostEndpoint(ServiceEndpoint{"Studio", type, "local", 2}));
    }

    void emptyServicesGiveAnEmptyList() { QVERIFY(Quorvel::hostList({}).isEmpty()); }

    void equalityAndHashing()
    {
        const DiscoveredHost composed =
            Quorvel::hostFromService(browsed(QStringLiteral("Caf\u00e9")));
        DiscoveredHost decomposed = composed;
        decomposed.name = QStringLiteral("Cafe\u0301");
        QCOMPARE(decomposed, composed);
        QCOMPARE(qHash(decomposed), qHash(composed));

        DiscoveredHost withVersion = composed;
        withVersion.protocolVersion = 0;
        QVERIFY(withVersion != composed);
        QVERIFY(qHash(withVersion) != qHash(composed));

        DiscoveredHost elsewhere = composed;
        elsewhere.endpoint = Quorvel::HostPortEndpoint{"127.0.0.1", 4711};
        QVERIFY(elsewhere != composed);
    }

    void finalDot_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("host");
        QTest::newRow("final dot") << "studio.local."
                                   << "studio.local";
        QTest::newRow("no final dot") << "studio.local"
                                      << "studio.local";
        QTest::newRow("two dots lose one") << "studio.local.."
                                           << "studio.local.";
        QTest::newRow("address") << "127.0.0.1"
                                 << "127.0.0.1";
    }

    void finalDot()
    {
        QFETCH(QString, target);
        QFETCH(QString, host);
        QCOMPARE(Quorvel::removingFinalDot(target), host);
    }

    void retryDelayDoublesUpToTheMaximum_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("next");
        QTest::newRow("1 s") << 1000 << 2000;
        QTest::newRow("8 s") << 8000 << 16000;
        QTest::newRow("16 s") << 16000 << 30000;
        QTest::newRow("30 s") << 30000 << 30000;
    }

    void retryDelayDoublesUpToTheMaximum()
    {
        QFETCH(int, current);
        QFETCH(int, next);
        QCOMPARE(Quorvel::nextRetryDelay(std::chrono::milliseconds(current), 30s).count(), next);
    }
};

QTEST_GUILESS_MAIN(HostListingTest)
#include "HostListingTest.moc"
