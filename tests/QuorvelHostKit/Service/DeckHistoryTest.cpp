#include "HostTestSupport.h"
#include "LogCapture.h"

#include "QuorvelHostKit/Service/DeckStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::HostTest;

namespace {

// Copies of the deck from an earlier run: more than are kept, so that a save prunes.
constexpr int oldCopies = DeckStore::historyCopiesKept + 5;
// The user's own notes: as many as in a synced folder that was linked in the history's place.
constexpr int userNotes = 30;

Deck firstDeck()
{
    return Deck{QStringLiteral("Desk"), {shellButton("hello", "echo hi")}};
}

Deck secondDeck()
{
    return Deck{QStringLiteral("Studio"), {shellButton("bye", "echo bye")}};
}

QString oldCopyName(int i)
{
    return QStringLiteral("deck-2000-01-01T0000%1-before-Phone.json").arg(i, 2, 10, QChar(u'0'));
}

// Files in the history folder that Quorvel did not name, though some come close.
const QStringList foreignNames = {
    QStringLiteral("deck.json"),
    QStringLiteral("deck-old.json"),
    QStringLiteral("Deck-2000-01-01T000000-before-Phone.json"),
    QStringLiteral("deck-2000-01-01T000000-before-Phone_1.json"),
    QStringLiteral("deck-2000-01-01T000000-before-my phone.json"),
    QStringLiteral("deck-2000-01-01T000000-before-Phone.json.json"),
    QStringLiteral("deck-2000-01-01T000000-before-") +
        QString(DeckStore::historyDeviceCharacters + 1, u'a') + QStringLiteral(".json"),
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool writeNotes(const QString &folder)
{
    for (int i = 1; i <= userNotes; ++i) {
        const QString name = QStringLiteral("notes-%1.json").arg(i, 2, 10, QChar(u'0'));
        if (!writeFile(folder + u'/' + name, "{\"note\": " + QByteArray::number(i) + "}\n"))
            return false;
    }
    return true;
}

// Every entry of a folder (links as where they point), with the bytes of each file.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> found;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        found.insert(entry.fileName(), entry.isSymLink()
                                           ? "-> " + QFile::encodeName(entry.symLinkTarget())
                                           : readFile(entry.filePath()));
    }
    return found;
}

} // namespace

// The history folder is the program's own: a device's save copies the deck into it and prunes
// only copies the program named, and anything other than a real folder at its path is refused,
// never followed, whatever it points to.
class DeckHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void aSaveTouchesOnlyTheProgramsOwnCopies_data();
    void aSaveTouchesOnlyTheProgramsOwnCopies();
};

enum class Shape { realFolder, linkToAFolder, linkToNothing, fileInItsPlace };

void DeckHistoryTest::aSaveTouchesOnlyTheProgramsOwnCopies_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<bool>("saved");
    QTest::newRow("a real folder holding other files") << Shape::realFolder << true;
    QTest::newRow("a link to the user's folder") << Shape::linkToAFolder << false;
    QTest::newRow("a link to nothing") << Shape::linkToNothing << false;
    QTest::newRow("a file in its place") << Shape::fileInItsPlace << false;
}

void DeckHistoryTest::aSaveTouchesOnlyTheProgramsOwnCopies()
{
    QFETCH(Shape, shape);
    QFETCH(bool, saved);
    TestHost host(firstDeck());
    TestHost::writeEditingSetting(true);
    auto device = host.pairedDevice();
    QVERIFY(device);
    const QByteArray before = readFile(host.deckPath());

    const QString history = DeckStore::historyFolderPath();
    QVERIFY(QDir().mkpath(QFileInfo(history).path()));
    QTemporaryDir users;
    QVERIFY(writeNotes(users.path()));
    // What must come out of the save as it was: the user's folder, and whatever the user put at
    // the history folder's path or in it.
    QString usersPlace = users.path();
    switch (shape) {
    case Shape::realFolder:
        QVERIFY(QDir().mkpath(history));
        QVERIFY(writeNotes(history));
        for (const QString &name : foreignNames)
            QVERIFY(writeFile(history + u'/' + name, "not a copy: " + name.toUtf8()));
        QVERIFY(QFile::link(users.filePath("notes-01.json"),
                            history + QStringLiteral("/deck-2000-01-01T000000-before-Link.json")));
        for (int i = 0; i < oldCopies; ++i)
            QVERIFY(writeFile(history + u'/' + oldCopyName(i), QByteArray::number(i)));
        break;
    case Shape::linkToAFolder:
        QVERIFY(QFile::link(users.path(), history));
        break;
    case Shape::linkToNothing:
        QVERIFY(QFile::link(users.filePath("history"), history));
        break;
    case Shape::fileInItsPlace:
        QVERIFY(writeFile(history, "the user's own file"));
        usersPlace = QFileInfo(history).path();
        break;
    }
    const QMap<QString, QByteArray> usersBefore = contents(usersPlace);
    const QMap<QString, QByteArray> historyBefore = contents(history);

    LogCapture log;
    device->send(Message(Message::UpdateDeck{QStringLiteral("u1"), secondDeck()}));
    const auto result = device->waitForMessage<Message::DeckUpdateResult>();
    QVERIFY(result);
    QCOMPARE(contents(usersPlace), usersBefore);
    if (saved) {
        QVERIFY2(result->ok, qPrintable(result->problems.join(u' ')));
        QCOMPARE(host.coordinator().deck(), secondDeck());
        // Older copies beyond those kept went, the new copy holds the deck as it was, and
        // nothing else in the folder changed.
        QMap<QString, QByteArray> after = contents(history);
        QMap<QString, QByteArray> foreignBefore = historyBefore;
        for (int i = 0; i < oldCopies; ++i) {
            foreignBefore.remove(oldCopyName(i));
            if (i > oldCopies - DeckStore::historyCopiesKept)
                QCOMPARE(after.take(oldCopyName(i)), QByteArray::number(i));
        }
        const QStringList newCopies =
            QStringList(after.keys())
                .filter(QRegularExpression(
                    QStringLiteral("^deck-\\d{4}-\\d\\d-\\d\\dT\\d{6}-before-Phone\\.json$")));
        QCOMPARE(newCopies.size(), 1);
        QVERIFY(!foreignBefore.contains(newCopies.first()));
        QCOMPARE(after.take(newCopies.first()), before);
        QCOMPARE(after, foreignBefore);
        return;
    }
    QVERIFY(!result->ok);
    QCOMPARE(result->problems.size(), 1);
    const QString problem = result->problems.first();
    QVERIFY2(problem.startsWith(QStringLiteral("Couldn't save the actions: can't keep a copy of "
                                               "the deck in ") +
                                history + QStringLiteral(": something other than a folder")),
             qPrintable(problem));
    QVERIFY(log.mentions(history));
    QCOMPARE(contents(history), historyBefore);
    QVERIFY(shape == Shape::fileInItsPlace || QFileInfo(history).isSymLink());
    QVERIFY(!QFileInfo::exists(users.filePath("history")));
    QCOMPARE(readFile(host.deckPath()), before);
    QCOMPARE(host.coordinator().deck(), firstDeck());
}

QTEST_GUILESS_MAIN(DeckHistoryTest)
#include "DeckHistoryTest.moc"
