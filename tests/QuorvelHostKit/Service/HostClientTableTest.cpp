#include "QuorvelHostKit/Service/HostClientTable.h"

#include <QTest>

using Quorvel::HostClientTable;

namespace {

const QUuid phone = QUuid::fromString(QStringLiteral("{11111111-1111-1111-1111-111111111111}"));
const QUuid tablet = QUuid::fromString(QStringLiteral("{22222222-2222-2222-2222-222222222222}"));

// A table built by a script of steps: "challenge P n1", "take P", "pair P Name", "edit P Name",
// "drop P", where P is "phone" or "tablet".
HostClientTable run(const QStringList &steps, QStringList *taken = nullptr)
{
    HostClientTable table;
    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        const QUuid client = words.value(1) == "phone" ? phone : tablet;
        const QString verb = words.value(0);
        if (verb == "challenge") {
            table = table.challenged(client, words.value(2));
        } else if (verb == "take") {
            auto [next, nonce] = table.takingNonce(client);
            table = next;
            if (taken)
                taken->append(nonce.value_or(QStringLiteral("none")));
        } else if (verb == "pair" || verb == "edit") {
            table = table.paired(client, words.value(2), verb == "edit");
        } else if (verb == "drop") {
            table = table.without(client);
        }
    }
    return table;
}

} // namespace

class HostClientTableTest : public QObject {
    Q_OBJECT

private slots:
    void followsEachClientFromChallengeToEnd_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<int>("pending");
        QTest::addColumn<int>("authenticated");
        QTest::addColumn<int>("editors");
        QTest::addColumn<QString>("phoneName");

        QTest::newRow("a new connection waits with its nonce")
            << QStringList{"challenge phone n1"} << QStringList{} << 1 << 0 << 0 << "-";
        QTest::newRow("a hello takes the nonce") << QStringList{"challenge phone n1", "take phone"}
                                                 << QStringList{"n1"} << 0 << 0 << 0 << "-";
        QTest::newRow("a nonce answers one hello only")
            << QStringList{"challenge phone n1", "take phone", "take phone"}
            << QStringList{"n1", "none"} << 0 << 0 << 0 << "-";
        QTest::newRow("paired") << QStringList{"challenge phone n1", "take phone",
                                               "pair phone Phone"}
                                << QStringList{"n1"} << 0 << 1 << 0 << "Phone";
        QTest::newRow("paired as the local editor")
            << QStringList{"challenge phone n1", "take phone", "edit phone Editor"}
            << QStringList{"n1"} << 0 << 1 << 1 << "Editor";
        QTest::newRow("others are left alone")
            << QStringList{"challenge phone n1", "challenge tablet n2", "take phone",
                           "pair phone Phone"}
            << QStringList{"n1"} << 1 << 1 << 0 << "Phone";
        QTest::newRow("the end of a connection forgets everything of it")
            << QStringList{"challenge phone n1", "take phone", "edit phone Editor",
                           "challenge tablet n2", "drop phone"}
            << QStringList{"n1"} << 1 << 0 << 0 << "-";
        QTest::newRow("a connection that ends while waiting leaves no nonce")
            << QStringList{"challenge phone n1", "drop phone"} << QStringList{} << 0 << 0 << 0
            << "-";
    }

    void followsEachClientFromChallengeToEnd()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, taken);
        QFETCH(int, pending);
        QFETCH(int, authenticated);
        QFETCH(int, editors);
        QFETCH(QString, phoneName);

        QStringList nonces;
        const HostClientTable table = run(steps, &nonces);
        QCOMPARE(nonces, taken);
        QCOMPARE(table.pendingNonces().size(), pending);
        QCOMPARE(table.authenticated().size(), authenticated);
        QCOMPARE(table.localEditors().size(), editors);
        QCOMPARE(table.name(phone, QStringLiteral("-")), phoneName);
        QCOMPARE(table.isAuthenticated(phone), phoneName != "-");
        QCOMPARE(table.names().size(), authenticated);
    }

    // Every change gives a new table and leaves the one it came from as it was.
    void changesLeaveTheOriginalAlone()
    {
        const HostClientTable waiting = run({"challenge phone n1"});
        const HostClientTable paired = waiting.takingNonce(phone).first.paired(phone, "P", false);
        QCOMPARE(waiting.pendingNonces().value(phone), QStringLiteral("n1"));
        QVERIFY(!waiting.isAuthenticated(phone));
        QVERIFY(paired.isAuthenticated(phone));
        QVERIFY(!(waiting == paired));
        QVERIFY(paired.without(phone) == HostClientTable{});
    }
};

QTEST_GUILESS_MAIN(HostClientTableTest)
#include "HostClientTableTest.moc"
