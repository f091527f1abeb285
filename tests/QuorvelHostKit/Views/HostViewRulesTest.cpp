#include "QuorvelHostKit/Views/HostViewRules.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QTest>

using namespace Quorvel;
using namespace Quorvel::HostViewRules;
using Indicator = RowIndicator::Kind;

Q_DECLARE_METATYPE(Quorvel::ControlType)
Q_DECLARE_METATYPE(std::optional<Quorvel::ControlState>)
Q_DECLARE_METATYPE(Quorvel::StatusTone)
Q_DECLARE_METATYPE(Quorvel::HostViewRules::RowIndicator::Kind)
Q_DECLARE_METATYPE(Quorvel::HostViewRules::NewCodeLine)
Q_DECLARE_METATYPE(Quorvel::LocalNetworkMonitor::Status)

namespace {

std::optional<ControlState> state(std::optional<bool> isOn, std::optional<QString> detail)
{
    return ControlState{QStringLiteral("a"), isOn, detail, false,
                        QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC)};
}

} // namespace

class HostViewRulesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void rowIndicator_data();
    void rowIndicator();
    void networkLine_data();
    void networkLine();
    void hiddenCodeIsFourteenBullets_data();
    void hiddenCodeIsFourteenBullets();
    void newCodeLine_data();
    void newCodeLine();
    void environmentCodeOnlyWhileInForce_data();
    void environmentCodeOnlyWhileInForce();
    void clientCount();
};

void HostViewRulesTest::cleanup()
{
    qunsetenv(HostTokenStore::environmentKey);
}

void HostViewRulesTest::rowIndicator_data()
{
    QTest::addColumn<ControlType>("type");
    QTest::addColumn<std::optional<ControlState>>("state");
    QTest::addColumn<Indicator>("kind");
    QTest::addColumn<StatusTone>("tone");
    QTest::addColumn<QString>("text");
    const std::optional<ControlState> none;
    QTest::newRow("button, even with a state")
        << ControlType::button << state(true, QStringLiteral("x")) << Indicator::none
        << StatusTone::none << QString();
    QTest::newRow("switch without state")
        << ControlType::toggle << none << Indicator::dot << StatusTone::gray << QString();
    QTest::newRow("switch on") << ControlType::toggle << state(true, std::nullopt) << Indicator::dot
                               << StatusTone::green << QString();
    QTest::newRow("switch off") << ControlType::toggle << state(false, std::nullopt)
                                << Indicator::dot << StatusTone::red << QString();
    QTest::newRow("switch unknown")
        << ControlType::toggle << state(std::nullopt, QStringLiteral("x")) << Indicator::dot
        << StatusTone::gray << QString();
    QTest::newRow("readout without state") << ControlType::metric << none << Indicator::text
                                           << StatusTone::secondary << QStringLiteral("—");
    QTest::newRow("readout without detail")
        << ControlType::metric << state(true, std::nullopt) << Indicator::text
        << StatusTone::secondary << QStringLiteral("—");
    QTest::newRow("readout") << ControlType::metric << state(std::nullopt, QStringLiteral("42%"))
                             << Indicator::text << StatusTone::secondary << QStringLiteral("42%");
    QTest::newRow("readout with an escape and an override")
        << ControlType::metric << state(std::nullopt, QStringLiteral("\u001B[1m42%\u202E"))
        << Indicator::text << StatusTone::secondary << QStringLiteral("<U+001B>[1m42%<U+202E>");
}

void HostViewRulesTest::rowIndicator()
{
    QFETCH(ControlType, type);
    QFETCH(std::optional<ControlState>, state);
    QFETCH(Indicator, kind);
    QFETCH(StatusTone, tone);
    QFETCH(QString, text);
    Control control;
    control.id = QStringLiteral("a");
    control.type = type;
    const RowIndicator shown = HostViewRules::rowIndicator(control, state);
    QCOMPARE(shown.kind, kind);
    QCOMPARE(shown.tone, tone);
    QCOMPARE(shown.text, text);
}

void HostViewRulesTest::networkLine_data()
{
    QTest::addColumn<LocalNetworkMonitor::Status>("status");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("contains");
    using Status = LocalNetworkMonitor::Status;
    QTest::newRow("checking") << Status::checking << false << "Checking network visibility";
    QTest::newRow("discoverable") << Status::discoverable << false
                                  << "Discoverable on the local network";
    QTest::newRow("blocked: the daemon") << Status::blocked << true << "avahi-daemon";
    QTest::newRow("not visible: network or firewall") << Status::notVisible << true << "firewall";
}

void HostViewRulesTest::networkLine()
{
    QFETCH(LocalNetworkMonitor::Status, status);
    QFETCH(bool, warning);
    QFETCH(QString, contains);
    const NetworkLine line = HostViewRules::networkLine(status);
    QCOMPARE(line.warning, warning);
    QCOMPARE(line.tone, warning ? StatusTone::orange : StatusTone::secondary);
    QVERIFY2(line.text.contains(contains), qPrintable(line.text));
    QVERIFY(!line.text.contains(QStringLiteral("Mac")));
}

void HostViewRulesTest::hiddenCodeIsFourteenBullets_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("shortest") << QStringLiteral("ABCDEFGHJKMNPQRS");
    QTest::newRow("generated length") << PairingToken::generate().normalized();
}

void HostViewRulesTest::hiddenCodeIsFourteenBullets()
{
    QFETCH(QString, text);
    const PairingToken token = *PairingToken::parse(text);
    QCOMPARE(codeText(token, false), QString(14, QChar(0x2022)));
    QCOMPARE(codeText(token, true), token.displayText());
}

void HostViewRulesTest::newCodeLine_data()
{
    QTest::addColumn<bool>("environment");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<NewCodeLine>("line");
    QTest::newRow("environment wins over a confirmation")
        << true << true << NewCodeLine::setByEnvironment;
    QTest::newRow("confirm") << false << true << NewCodeLine::confirm;
    QTest::newRow("offer") << false << false << NewCodeLine::offer;
}

void HostViewRulesTest::newCodeLine()
{
    QFETCH(bool, environment);
    QFETCH(bool, confirm);
    QFETCH(NewCodeLine, line);
    QCOMPARE(HostViewRules::newCodeLine(environment, confirm), line);
}

void HostViewRulesTest::environmentCodeOnlyWhileInForce_data()
{
    QTest::addColumn<std::optional<QByteArray>>("environment");
    QTest::addColumn<QString>("inForce");
    QTest::addColumn<bool>("shown");
    const QString a = QStringLiteral("ABCD-EFGH-JKMN-PQRS");
    QTest::newRow("unset") << std::optional<QByteArray>() << a << false;
    QTest::newRow("empty") << std::optional<QByteArray>("") << a << false;
    QTest::newRow("not a code") << std::optional<QByteArray>("hello") << a << false;
    QTest::newRow("the code in force, typed loosely")
        << std::optional<QByteArray>("abcd efgh jkmn pqrs") << a << true;
    QTest::newRow("a valid code replaced since") << std::optional<QByteArray>("ABCD-EFGH-JKMN-PQRS")
                                                 << QStringLiteral("TUVW-XYZ2-3456-789A") << false;
}

void HostViewRulesTest::environmentCodeOnlyWhileInForce()
{
    QFETCH(std::optional<QByteArray>, environment);
    QFETCH(QString, inForce);
    QFETCH(bool, shown);
    if (environment)
        qputenv(HostTokenStore::environmentKey, *environment);
    QCOMPARE(codeSetByEnvironment(*PairingToken::parse(inForce)), shown);
}

void HostViewRulesTest::clientCount()
{
    QCOMPARE(clientCountText(0), QStringLiteral("0 client(s) connected"));
    QCOMPARE(clientCountText(3), QStringLiteral("3 client(s) connected"));
}

QTEST_GUILESS_MAIN(HostViewRulesTest)
#include "HostViewRulesTest.moc"
