#include "QuorvelCore/Discovery/LocalNetworkMonitor.h"

#include <QTest>

using Status = Quorvel::LocalNetworkMonitor::Status;

// The status is written by its raw value (into the host's status file); reading takes the four
// raw values exactly and nothing else.
class LocalNetworkStatusTest : public QObject {
    Q_OBJECT

private slots:
    void rawValuesRoundTrip_data()
    {
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("raw");
        QTest::newRow("checking") << Status::checking << "checking";
        QTest::newRow("discoverable") << Status::discoverable << "discoverable";
        QTest::newRow("blocked") << Status::blocked << "blocked";
        QTest::newRow("not visible") << Status::notVisible << "not_visible";
    }

    void rawValuesRoundTrip()
    {
        QFETCH(Status, status);
        QFETCH(QString, raw);
        QCOMPARE(Quorvel::rawValue(status), raw);
        QCOMPARE(Quorvel::toJson(status), QJsonValue(raw));
        QCOMPARE(Quorvel::localNetworkStatusFromJson(QJsonValue(raw)), std::optional(status));
    }

    void otherValuesDoNotDecode_data()
    {
        QTest::addColumn<QJsonValue>("json");
        QTest::newRow("camel case") << QJsonValue("notVisible");
        QTest::newRow("upper case") << QJsonValue("Blocked");
        QTest::newRow("padded") << QJsonValue(" checking");
        QTest::newRow("empty") << QJsonValue("");
        QTest::newRow("number") << QJsonValue(1);
        QTest::newRow("null") << QJsonValue();
    }

    void otherValuesDoNotDecode()
    {
        QFETCH(QJsonValue, json);
        QCOMPARE(Quorvel::localNetworkStatusFromJson(json), std::optional<Status>());
    }
};

QTEST_GUILESS_MAIN(LocalNetworkStatusTest)
#include "LocalNetworkStatusTest.moc"
