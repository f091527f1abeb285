#include "FakeServiceNetwork.h"
#include "Platform/Discovery/ServiceBrowser.h"
#include "Platform/Discovery/ServicePublisher.h"
#include "Platform/Discovery/ServiceResolver.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <map>
#include <memory>

using namespace std::chrono_literals;
using namespace Quorvel;
using Quorvel::Testing::FakeServiceNetwork;

namespace {

const QString type = QStringLiteral("_quorvel._tcp");
constexpr quint16 port = 4711;
// Every report of the fake network is one queued call, and a report may post one more: a few
// rounds deliver everything a step caused.
constexpr int deliveryRounds = 4;
// Far beyond any answer of the in-process network; only a failing test waits this long.
constexpr int waitMilliseconds = 5000;

QString txtText(const std::optional<TxtRecord> &txt)
{
    if (!txt) {
        return QStringLiteral("(no txt)");
    }
    QStringList pairs;
    for (auto it = txt->cbegin(); it != txt->cend(); ++it) {
        pairs.append(it.key() + QLatin1Char('=') + it.value());
    }
    return pairs.join(QLatin1Char(','));
}

// Two publishers (A, B) and one browser on one network, every report written to one log.
class Fixture {
public:
    Fixture()
    {
        for (const QString &label : {QStringLiteral("A"), QStringLiteral("B")}) {
            ServicePublisher *publisher = network.makePublisher(&owner);
            publishers[label] = publisher;
            QObject::connect(
                publisher, &ServicePublisher::established, &owner,
                [this, label](const QString &name) { log.append(label + " established " + name); });
            QObject::connect(
                publisher, &ServicePublisher::failed, &owner,
                [this, label](const QString &reason) { log.append(label + " failed " + reason); });
        }
        browser = network.makeBrowser(type, &owner);
        QObject::connect(browser, &ServiceBrowser::ready, &owner, [this] { log.append("ready"); });
        QObject::connect(
            browser, &ServiceBrowser::serviceFound, &owner, [this](const BrowsedService &service) {
                log.append("found " + service.instance.name + ' ' + txtText(service.txt));
            });
        QObject::connect(
            browser, &ServiceBrowser::serviceRemoved, &owner,
            [this](const ServiceInstance &instance) { log.append("removed " + instance.name); });
        QObject::connect(browser, &ServiceBrowser::unreachable, &owner,
                         [this](const QString &reason) { log.append("unreachable " + reason); });
        QObject::connect(browser, &ServiceBrowser::failed, &owner,
                         [this](const QString &reason) { log.append("failed " + reason); });
        QObject::connect(browser, &ServiceBrowser::clientFailed, &owner,
                         [this](const QString &reason) { log.append("clientFailed " + reason); });
    }

    // One step: "A publish Studio v=2", "A stop", "browse", "daemon off", "daemon on",
    // "take Studio", "client fails", "browsers fail".
    void run(const QString &step)
    {
        const QStringList words = step.split(QLatin1Char(' '));
        if (words.value(1) == "publish") {
            const QStringList pair = words.value(3).split(QLatin1Char('='));
            publishers.at(words.at(0))
                ->publish({words.at(2), type, {}, port, {{pair.value(0), pair.value(1)}}});
        } else if (words.value(1) == "stop") {
            publishers.at(words.at(0))->stop();
        } else if (step == "browse") {
            browser->start();
        } else if (step == "daemon off" || step == "daemon on") {
            network.setDaemonRunning(step == "daemon on");
        } else if (words.value(0) == "take") {
            network.takeName(words.mid(1).join(QLatin1Char(' ')));
        } else if (step == "client fails") {
            network.setClientFailure(QStringLiteral("no bus"));
        } else if (step == "browsers fail") {
            network.failBrowsers(QStringLiteral("refused"));
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
        for (int round = 0; round < deliveryRounds; ++round) {
            QCoreApplication::sendPostedEvents();
        }
    }

    FakeServiceNetwork network;
    QObject owner;
    std::map<QString, ServicePublisher *> publishers;
    ServiceBrowser *browser = nullptr;
    QStringList log;
};

} // namespace

class FakeServiceNetworkTest : public QObject {
    Q_OBJECT

private slots:
    void reportsAsTheSystemWould_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("seen when browsing starts")
            << QStringList{"A publish Studio v=2", "browse"}
            << QStringList{"A established Studio", "found Studio v=2", "ready"};
        QTest::newRow("seen while browsing")
            << QStringList{"browse", "A publish Studio v=2"}
            << QStringList{"ready", "A established Studio", "found Studio v=2"};
        QTest::newRow("removed") << QStringList{"browse", "A publish Studio v=2", "A stop"}
                                 << QStringList{"ready", "A established Studio", "found Studio v=2",
                                                "removed Studio"};
        QTest::newRow("updated TXT")
            << QStringList{"browse", "A publish Studio v=2", "A publish Studio v=3"}
            << QStringList{"ready", "A established Studio", "found Studio v=2", "found Studio v=3"};
        QTest::newRow("name held by another machine")
            << QStringList{"take Studio", "browse", "A publish Studio v=2"}
            << QStringList{"ready", "A established Studio #2", "found Studio #2 v=2"};
        QTest::newRow("two publishers, one name")
            << QStringList{"A publish Studio v=2", "B publish Studio v=2", "browse"}
            << QStringList{"A established Studio", "B established Studio #2", "found Studio v=2",
                           "found Studio #2 v=2", "ready"};
        QTest::newRow("collision counts on")
            << QStringList{"take Studio", "take Studio #2", "A publish Studio v=2"}
            << QStringList{"A established Studio #3"};
        QTest::newRow("daemon gone and back")
            << QStringList{"browse", "A publish Studio v=2", "daemon off", "daemon on"}
            << QStringList{"ready",
                           "A established Studio",
                           "found Studio v=2",
                           "A failed Daemon not running",
                           "unreachable Daemon not running",
                           "A established Studio",
                           "found Studio v=2",
                           "ready"};
        QTest::newRow("published while the daemon is gone")
            << QStringList{"daemon off", "A publish Studio v=2", "browse", "daemon on"}
            << QStringList{"A failed Daemon not running", "unreachable Daemon not running",
                           "A established Studio", "found Studio v=2", "ready"};
        QTest::newRow("stopped while the daemon is gone stays away")
            << QStringList{"A publish Studio v=2", "daemon off", "A stop", "browse", "daemon on"}
            << QStringList{"A established Studio", "A failed Daemon not running",
                           "unreachable Daemon not running", "ready"};
        QTest::newRow("client cannot reach the daemon")
            << QStringList{"client fails", "A publish Studio v=2", "browse"}
            << QStringList{"A failed no bus", "clientFailed no bus"};
        QTest::newRow("client fails while browsing")
            << QStringList{"A publish Studio v=2", "browse", "client fails"}
            << QStringList{"A established Studio", "found Studio v=2", "ready",
                           "clientFailed no bus", "A failed no bus"};
        QTest::newRow("browse refused")
            << QStringList{"browse", "A publish Studio v=2", "browsers fail"}
            << QStringList{"ready", "A established Studio", "found Studio v=2", "failed refused"};
        QTest::newRow("browse again after a refusal")
            << QStringList{"A publish Studio v=2", "browse", "browsers fail", "browse"}
            << QStringList{"A established Studio", "found Studio v=2", "ready",
                           "failed refused",       "found Studio v=2", "ready"};
    }

    void reportsAsTheSystemWould()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        Fixture fixture;
        for (const QString &step : steps) {
            fixture.run(step);
        }
        QCOMPARE(fixture.log, expected);
    }

    void browsingAnInvalidTypeFails()
    {
        FakeServiceNetwork network;
        std::unique_ptr<ServiceBrowser> browser(network.makeBrowser("not a type", nullptr));
        QSignalSpy failed(browser.get(), &ServiceBrowser::failed);
        browser->start();
        QVERIFY(failed.wait(waitMilliseconds));
        QCOMPARE(failed.at(0).at(0).toString(), FakeServiceNetwork::invalidType);
    }

    void resolverAnswersOncePublished()
    {
        FakeServiceNetwork network;
        std::unique_ptr<ServiceResolver> resolver(network.makeResolver(nullptr));
        QSignalSpy finished(resolver.get(), &ServiceResolver::finished);
        resolver->start(QStringLiteral("Studio"), type, {}, 10s);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(finished.size(), 0);

        std::unique_ptr<ServicePublisher> publisher(network.makePublisher(nullptr));
        publisher->publish({QStringLiteral("Studio"), type, {}, port, {{"id", "H1"}}});
        QVERIFY(finished.wait(waitMilliseconds));
        const auto result = finished.at(0).at(0).value<std::optional<ResolvedService>>();
        QCOMPARE(
            result,
            std::optional<ResolvedService>(ResolvedService{
                FakeServiceNetwork::hostName, FakeServiceNetwork::address, port, {{"id", "H1"}}}));
    }

    void resolverGivesNothingAtItsTimeOutWhileTheDaemonIsGone()
    {
        FakeServiceNetwork network;
        std::unique_ptr<ServicePublisher> publisher(network.makePublisher(nullptr));
        publisher->publish({QStringLiteral("Studio"), type, {}, port, {}});
        network.setDaemonRunning(false);
        std::unique_ptr<ServiceResolver> resolver(network.makeResolver(nullptr));
        QSignalSpy finished(resolver.get(), &ServiceResolver::finished);
        resolver->start(QStringLiteral("Studio"), type, {}, 50ms);
        QVERIFY(finished.wait(waitMilliseconds));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).value<std::optional<ResolvedService>>(),
                 std::optional<ResolvedService>());
    }
};

QTEST_GUILESS_MAIN(FakeServiceNetworkTest)
#include "FakeServiceNetworkTest.moc"
