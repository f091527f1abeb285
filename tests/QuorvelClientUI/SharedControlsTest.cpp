#include "QuorvelClientUI/SharedControls.h"

#include "TestHost.h"

#include <QTest>

using namespace Quorvel;
using Kind = Knobwire::Control::Kind;

namespace {

ControlState state(const QString &id, std::optional<bool> isOn, std::optional<QString> detail)
{
    ControlState result;
    result.id = id;
    result.isOn = isOn;
    result.detail = detail;
    result.checkedAt = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    return result;
}

} // namespace

// How the host's actions are offered to other applications.
class SharedControlsTest : public QObject {
    Q_OBJECT

private slots:
    void connectedMapping()
    {
        const QHash<QString, ControlState> states{{"fan", state("fan", true, "spinning")},
                                                  {"temp", state("temp", std::nullopt, "21")}};
        const QList<Knobwire::Control> controls =
            offeredControls(ClientTest::sampleDeck(), states, true, QString("Studio"));
        QCOMPARE(controls.size(), 3);
        QCOMPARE(controls.at(0), Knobwire::Control("lamp", QString("Desk Lamp"), Kind::button,
                                                   std::nullopt, std::nullopt, std::nullopt,
                                                   QString("Studio"), std::nullopt, false));
        QCOMPARE(controls.at(1), Knobwire::Control("fan", QString("Fan"), Kind::toggle,
                                                   std::nullopt, QString("spinning"), true,
                                                   QString("Studio"), std::nullopt, false));
        QCOMPARE(controls.at(2), Knobwire::Control("temp", QString("Temperature"), Kind::level,
                                                   std::nullopt, QString("21"), std::nullopt,
                                                   QString("Studio"), std::nullopt, true));
    }

    void toggleWithoutStateIsOff()
    {
        const QList<Knobwire::Control> controls =
            offeredControls(ClientTest::sampleDeck(), {}, true, std::nullopt);
        QCOMPARE(controls.at(1).on, std::optional<bool>(false));
        QCOMPARE(controls.at(1).text, std::nullopt);
        QCOMPARE(controls.at(2).text, std::nullopt);
    }

    void notConnectedMapping()
    {
        const QHash<QString, ControlState> states{{"fan", state("fan", true, "spinning")}};
        const QList<Knobwire::Control> controls =
            offeredControls(ClientTest::sampleDeck(), states, false, QString("Studio"));
        for (const Knobwire::Control &control : controls)
            QCOMPARE(control.text, std::optional<QString>("Studio isn't connected"));
        QCOMPARE(controls.at(1).on, std::optional<bool>(false));
        QCOMPARE(notConnectedText(std::nullopt), "The host isn't connected");
    }

    void noDeckOffersNothing()
    {
        QVERIFY(offeredControls(std::nullopt, {}, true, std::nullopt).isEmpty());
    }

    void shapeIgnoresLiveValuesOnly()
    {
        const Deck deck = ClientTest::sampleDeck();
        const auto live = offeredControls(deck, {{"fan", state("fan", true, "x")}}, true, {});
        const auto offline = offeredControls(deck, {}, false, {});
        QVERIFY(sameShape(live, offline));

        Deck renamed = deck;
        renamed.controls[0].title = "Lamp";
        QVERIFY(!sameShape(live, offeredControls(renamed, {}, true, {})));
        Deck added = deck;
        added.controls.push_back(deck.controls.front());
        added.controls.back().id = "lamp2";
        QVERIFY(!sameShape(live, offeredControls(added, {}, true, {})));
        QVERIFY(!sameShape(live, offeredControls(ClientTest::sampleDeck("Other"), {}, true, {})));
    }

    void statusText_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("users");
        QTest::addColumn<QString>("text");
        QTest::newRow("off") << false << QStringList{"A"}
                             << "Your actions aren't offered to other apps.";
        QTest::newRow("nobody") << true << QStringList()
                                << "Offered to other apps on this computer, while they're "
                                   "running.";
        QTest::newRow("one") << true << QStringList{"Zephlor"} << "In use by Zephlor.";
        QTest::newRow("three, duplicates kept")
            << true << QStringList{"A", "B", "A"} << "In use by A, B and A.";
    }

    void statusText()
    {
        QFETCH(bool, enabled);
        QFETCH(QStringList, users);
        QFETCH(QString, text);
        QCOMPARE(
            sharingStatusText(enabled, users, QLocale(QLocale::English, QLocale::UnitedKingdom)),
            text);
    }
};

QTEST_GUILESS_MAIN(SharedControlsTest)
#include "SharedControlsTest.moc"
