#include "HostTestSupport.h"
#include "SmallDiskFiller.h"

#include "QuorvelHostKit/Service/DeckStore.h"

#include <QDir>
#include <QMap>
#include <QSet>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::HostTest;

namespace {

// One more failed save than there are copies, so that none of the earlier versions could
// survive if each failure left a copy behind.
constexpr int failedSaves = DeckStore::historyCopiesKept + 1;

// A deck whose file takes one page of the disk, different for each version.
Deck version(int number)
{
    return Deck{QStringLiteral("Desk"),
                {shellButton("hello", QStringLiteral("echo version %1").arg(number))}};
}

// A deck whose file takes several pages.
Deck largeDeck()
{
    Deck deck{QStringLiteral("Studio"), {}};
    for (int i = 0; i < 20; ++i) {
        deck.controls.push_back(shellButton(QStringLiteral("b%1").arg(i),
                                            QStringLiteral("echo ") + QString(400, u'x')));
    }
    return deck;
}

std::optional<Message::DeckUpdateResult> saveFromDevice(Device &device, const QString &requestID,
                                                        const Deck &deck)
{
    device.send(Message(Message::UpdateDeck{requestID, deck}));
    return device.waitForMessage<Message::DeckUpdateResult>(
        [&](const Message::DeckUpdateResult &result) { return result.requestID == requestID; });
}

QMap<QString, QByteArray> historyCopies()
{
    QMap<QString, QByteArray> copies;
    const QDir folder(DeckStore::historyFolderPath());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden))
        copies.insert(name, readFile(folder.filePath(name)));
    return copies;
}

} // namespace

// Saves from a device that a full disk refuses leave the history as it was: each takes back the
// copy it made, and only a save that succeeded prunes.
class DeckHistoryFullDiskTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("QUORVEL_SMALL_DISK"), "runs in the small-disk sandbox");
    }

    void refusedSavesKeepTheEarlierVersions()
    {
        TestHost host(version(0));
        TestHost::writeEditingSetting(true);
        auto device = host.pairedDevice();
        QVERIFY(device);
        for (int i = 1; i <= DeckStore::historyCopiesKept; ++i) {
            const auto result =
                saveFromDevice(*device, QStringLiteral("good%1").arg(i), version(i));
            QVERIFY(result);
            QVERIFY2(result->ok, qPrintable(result->problems.join(u' ')));
        }
        const QMap<QString, QByteArray> earlier = historyCopies();
        QCOMPARE(earlier.size(), DeckStore::historyCopiesKept);
        QCOMPARE(QSet<QByteArray>(earlier.begin(), earlier.end()).size(),
                 DeckStore::historyCopiesKept);
        const QByteArray last = readFile(host.deckPath());
        QVERIFY(last.size() < SmallDiskFiller::pageBytes);

        // Room for the copy of the deck file, not for the new deck file.
        const SmallDiskFiller filler(1);
        QVERIFY(filler.filled());
        for (int i = 1; i <= failedSaves; ++i) {
            const auto result =
                saveFromDevice(*device, QStringLiteral("full%1").arg(i), largeDeck());
            QVERIFY(result);
            QVERIFY(!result->ok);
            QCOMPARE(result->problems,
                     QStringList{QStringLiteral("Couldn't save the actions: can't write deck.json: "
                                                "No space left on device")});
        }
        QCOMPARE(readFile(host.deckPath()), last);
        QCOMPARE(historyCopies(), earlier);
        QCOMPARE(host.coordinator().deck(), version(DeckStore::historyCopiesKept));
    }
};

QTEST_GUILESS_MAIN(DeckHistoryFullDiskTest)
#include "DeckHistoryFullDiskTest.moc"
