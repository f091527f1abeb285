#include "QuorvelHostKit/Service/DeckStore.h"

#include "Platform/Files/PrivateFolder.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <unistd.h>

using namespace Quorvel;

namespace {

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Quorvel";
}

QString defaultDeckPath()
{
    return dataFolder() + "/deck.json";
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray prettySample()
{
    return *WireCodec::prettyEncoder(true).encode(Deck::sample());
}

Deck shellDeck(const QString &name, const QString &target)
{
    Control control;
    control.id = "lights";
    control.title = "Lights";
    control.type = ControlType::button;
    control.action = Action{Action::Kind::shell, target, std::nullopt, std::nullopt, std::nullopt};
    return Deck{name, {control}};
}

QStringList historyNames()
{
    return QDir(DeckStore::historyFolderPath()).entryList(QDir::Files, QDir::Name);
}

// The two ways deck.json can exist and still not be readable, for the tests that make it so.
void addUnreadableDeckRows()
{
    QTest::addColumn<bool>("folderInPlace");
    QTest::newRow("a folder where the file should be") << true;
    QTest::newRow("a file without read permission") << false;
}

// Puts a folder, or the user's deck without read permission, where deck.json belongs.
bool placeUnreadableDeck(bool folderInPlace, const QByteArray &userDeck)
{
    if (folderInPlace) {
        return QDir().mkpath(defaultDeckPath());
    }
    write(defaultDeckPath(), userDeck);
    return QFile::setPermissions(defaultDeckPath(), QFileDevice::WriteOwner);
}

// Whatever stood in deck.json's place is still there, untouched.
void verifyUnreadableDeckKept(bool folderInPlace, const QByteArray &userDeck)
{
    if (folderInPlace) {
        QVERIFY(QFileInfo(defaultDeckPath()).isDir());
    } else {
        QVERIFY(QFile::setPermissions(defaultDeckPath(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(readAll(defaultDeckPath()), userDeck);
    }
}

// The clock of saves made one after another from start, step milliseconds apart, in zone.
QList<QDateTime> clockSteps(const QDateTime &start, int saves, qint64 step, const QTimeZone &zone)
{
    QList<QDateTime> times;
    for (int i = 0; i < saves; ++i) {
        times.append(start.addMSecs(i * step).toTimeZone(zone));
    }
    return times;
}

QDateTime utc(int month, int day, int hour, int minute)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute), QTimeZone::utc());
}

// The deck name in each history copy, sorted.
QStringList decksInHistory()
{
    QStringList names;
    for (const QString &name : historyNames()) {
        const QByteArray bytes = readAll(DeckStore::historyFolderPath() + "/" + name);
        const std::optional<Deck> deck = WireCodec::decoder().decode<Deck>(bytes);
        names.append(deck ? deck->deckName : QString::fromUtf8(bytes));
    }
    names.sort();
    return names;
}

} // namespace

class DeckStoreTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartWritesSample();
    void sampleThatCannotBeWrittenIsStillUsed();
    void undecodableFileIsKeptAndShown();
    void unreadableFileIsKeptAndShown_data();
    void unreadableFileIsKeptAndShown();
    void ruleBreakingFileIsUsedAtLoad();
    void parse_data();
    void parse();
    void notJsonHasNoPlace();
    void describe_data();
    void describe();
    void tooLargeForOneMessageIsAProblem();
    void deckFileUnderHomeKeepsHistoryInDataFolder();
    void saveWithoutFileMakesNoCopy();
    void saveNeverReplacesUnreadableFile_data();
    void saveNeverReplacesUnreadableFile();
    void saveCopiesPreviousBytesFirst();
    void pruningKeepsTwentyGreatestNames();
    void historyCopyName_data();
    void historyCopyName();
    void copiesInOneSecondAreAllKeptInOrder();
    void aCopyAfterAnyNumberGetsANameOfItsOwn_data();
    void aCopyAfterAnyNumberGetsANameOfItsOwn();
    void historyKeepsTheNewestEarlierDecks_data();
    void historyKeepsTheNewestEarlierDecks();
    void copiesOfAnOlderVersionRankByWhenWritten();

private:
    QTemporaryDir m_home;
};

void DeckStoreTest::initTestCase()
{
    // Every test wipes the data folder: it must be this test's own, also when the test runs
    // outside the test harness that gives it a private home.
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(".local/share")));
    QVERIFY(dataFolder().startsWith(m_home.path()));
}

void DeckStoreTest::init()
{
    QDir(dataFolder()).removeRecursively();
    qunsetenv("QUORVEL_DECK");
}

void DeckStoreTest::cleanup()
{
    qunsetenv("QUORVEL_DECK");
}

void DeckStoreTest::firstStartWritesSample()
{
    QTest::ignoreMessage(QtInfoMsg, qPrintable("Wrote sample deck to " + defaultDeckPath()));
    QString problem;
    QCOMPARE(DeckStore::load(&problem), Deck::sample());
    QVERIFY(problem.isEmpty());
    QCOMPARE(readAll(defaultDeckPath()), prettySample());
    QVERIFY(readAll(defaultDeckPath()).contains("\n    \"controls\": ["));
}

void DeckStoreTest::sampleThatCannotBeWrittenIsStillUsed()
{
    // No folder can be made under /proc, whoever runs the test.
    qputenv("QUORVEL_DECK", "/proc/no-such-folder/deck.json");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Could not write sample deck: .+"));
    QString problem;
    QCOMPARE(DeckStore::load(&problem), Deck::sample());
    QVERIFY(problem.isEmpty());
    QVERIFY(!QFile::exists("/proc/no-such-folder"));
}

void DeckStoreTest::undecodableFileIsKeptAndShown()
{
    write(defaultDeckPath(), "{}");
    // The decoder's words alone: the log line already says the file is invalid.
    QTest::ignoreMessage(QtCriticalMsg,
                         "deck.json is invalid (missing \"deck_name\"); using sample deck");
    QString problem;
    QCOMPARE(DeckStore::load(&problem), Deck::sample());
    QCOMPARE(readAll(defaultDeckPath()), QByteArray("{}"));
    // The user is told why the sample deck is in force, not only the log.
    QCOMPARE(problem, QStringLiteral("deck.json isn't valid: missing \"deck_name\""));
}

void DeckStoreTest::unreadableFileIsKeptAndShown_data()
{
    addUnreadableDeckRows();
}

void DeckStoreTest::unreadableFileIsKeptAndShown()
{
    QFETCH(bool, folderInPlace);
    if (!folderInPlace && ::geteuid() == 0) {
        QSKIP("permissions do not stop root");
    }
    const QByteArray userDeck = *WireCodec::prettyEncoder(true).encode(shellDeck("Mine", "true"));
    QVERIFY(placeUnreadableDeck(folderInPlace, userDeck));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("can't read deck.json: .*sample deck"));
    QString problem;
    QCOMPARE(DeckStore::load(&problem), Deck::sample());
    QVERIFY2(problem.startsWith("can't read deck.json: "), qPrintable(problem));
    verifyUnreadableDeckKept(folderInPlace, userDeck);
}

void DeckStoreTest::ruleBreakingFileIsUsedAtLoad()
{
    const Deck broken = shellDeck("Mine", "");
    const QByteArray bytes = *WireCodec::prettyEncoder(true).encode(broken);
    write(defaultDeckPath(), bytes);
    QTest::ignoreMessage(
        QtInfoMsg, qPrintable("Loaded deck 'Mine' with 1 controls from " + defaultDeckPath()));
    QString problem;
    QCOMPARE(DeckStore::load(&problem), broken);
    QVERIFY(problem.isEmpty());

    DeckStore::LoadError error = DeckStore::LoadError::invalidJSON({});
    QVERIFY(!DeckStore::parse(bytes, &error));
    QCOMPARE(error.kind(), DeckStore::LoadError::Kind::invalidDeck);
    QVERIFY(!error.problems().isEmpty());
    QCOMPARE(error.errorDescription(), error.problems().join("; "));
}

void DeckStoreTest::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("description");

    QTest::newRow("missing title at the third control")
        << QByteArray(R"({"deck_name":"D","controls":[
               {"id":"a","title":"A","type":"button","action":{"type":"shell","target":"true"}},
               {"id":"b","title":"B","type":"button","action":{"type":"shell","target":"true"}},
               {"id":"c","type":"button","action":{"type":"shell","target":"true"}}]})")
        << "deck.json isn't valid: missing \"title\" at controls.[2]";
    QTest::newRow("wrong type in a nested action")
        << QByteArray(R"({"deck_name":"D","controls":[
               {"id":"a","title":"A","type":"button","action":{"type":"shell","target":7}}]})")
        << "deck.json isn't valid: expected a string at controls.[0].action.target";
    QTest::newRow("missing name") << QByteArray(R"({"controls":[]})")
                                  << "deck.json isn't valid: missing \"deck_name\"";
}

void DeckStoreTest::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, description);
    DeckStore::LoadError error = DeckStore::LoadError::invalidDeck({});
    QVERIFY(!DeckStore::parse(bytes, &error));
    QCOMPARE(error.kind(), DeckStore::LoadError::Kind::invalidJSON);
    QCOMPARE(error.errorDescription(), description);
}

void DeckStoreTest::notJsonHasNoPlace()
{
    DeckStore::LoadError error = DeckStore::LoadError::invalidDeck({});
    QVERIFY(!DeckStore::parse("this is not json", &error));
    QCOMPARE(error.kind(), DeckStore::LoadError::Kind::invalidJSON);
    // The decoder's own words, with no place in the deck added.
    QString decoderText;
    QVERIFY(!WireCodec::decoder().decodeJson("this is not json", &decoderText));
    QCOMPARE(error.errorDescription(), "deck.json isn't valid: " + decoderText);
}

void DeckStoreTest::describe_data()
{
    QTest::addColumn<QString>("decoderError");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing nested key") << "controls[2]: title: missing"
                                        << "missing \"title\" at controls.[2]";
    QTest::newRow("missing top-level key") << "deck_name: missing"
                                           << "missing \"deck_name\"";
    QTest::newRow("wrong type") << "controls[1]: action: type: expected a string"
                                << "expected a string at controls.[1].action.type";
    QTest::newRow("not JSON at all") << "illegal value"
                                     << "illegal value";
    QTest::newRow("message with a colon") << "controls[0]: type: \"x: y\" is not a known value"
                                          << "\"x: y\" is not a known value at controls.[0].type";
}

void DeckStoreTest::describe()
{
    QFETCH(QString, decoderError);
    QFETCH(QString, expected);
    QCOMPARE(DeckStore::describe(decoderError), expected);
}

void DeckStoreTest::tooLargeForOneMessageIsAProblem()
{
    Deck big = shellDeck("Big", "true");
    const Control model = big.controls.front();
    // Enough controls with long commands to pass the host link's 1 MiB message limit.
    const QString longCommand(4000, 'x');
    for (int i = 0; i < 300; ++i) {
        Control control = model;
        control.id = QStringLiteral("c%1").arg(i);
        control.action->target = "echo " + longCommand;
        big.controls.push_back(control);
    }
    QVERIFY(DeckStore::deckMessageProblem(big).has_value());
    QVERIFY(!DeckStore::deckMessageProblem(Deck::sample()).has_value());

    const QByteArray bytes = *WireCodec::prettyEncoder(true).encode(big);
    DeckStore::LoadError error = DeckStore::LoadError::invalidJSON({});
    QVERIFY(!DeckStore::parse(bytes, &error));
    QCOMPARE(error.kind(), DeckStore::LoadError::Kind::invalidDeck);
    QVERIFY(error.problems().contains(*DeckStore::deckMessageProblem(big)));

    write(defaultDeckPath(), bytes);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("deck.json is invalid .*bytes"));
    QString problem;
    QCOMPARE(DeckStore::load(&problem), Deck::sample());
    QCOMPARE(problem, *DeckStore::deckMessageProblem(big));
    QCOMPARE(readAll(defaultDeckPath()), bytes);
}

void DeckStoreTest::deckFileUnderHomeKeepsHistoryInDataFolder()
{
    qputenv("QUORVEL_DECK", "~/decks/mine.json");
    const QString path = QDir::homePath() + "/decks/mine.json";
    QCOMPARE(DeckStore::deckFileURL(), QUrl::fromLocalFile(path));
    write(path, "old bytes");
    const auto bytes = DeckStore::save(shellDeck("Mine", "true"), "Phone");
    QVERIFY(bytes);
    QCOMPARE(readAll(path), *bytes);
    QVERIFY(!QFile::exists(defaultDeckPath()));
    const QStringList copies = historyNames();
    QCOMPARE(copies.size(), 1);
    QCOMPARE(readAll(DeckStore::historyFolderPath() + "/" + copies.first()),
             QByteArray("old bytes"));
}

void DeckStoreTest::saveWithoutFileMakesNoCopy()
{
    const Deck deck = shellDeck("Mine", "true");
    QString error;
    const auto bytes = DeckStore::save(deck, "Phone", &error);
    QVERIFY2(bytes, qPrintable(error));
    QCOMPARE(readAll(defaultDeckPath()), *bytes);
    QCOMPARE(*DeckStore::parse(*bytes), deck);
    QVERIFY(historyNames().isEmpty());
}

void DeckStoreTest::saveNeverReplacesUnreadableFile_data()
{
    addUnreadableDeckRows();
}

void DeckStoreTest::saveNeverReplacesUnreadableFile()
{
    QFETCH(bool, folderInPlace);
    if (!folderInPlace && ::geteuid() == 0) {
        QSKIP("permissions do not stop root");
    }
    const QByteArray userDeck = *WireCodec::prettyEncoder(true).encode(shellDeck("Mine", "true"));
    QVERIFY(placeUnreadableDeck(folderInPlace, userDeck));
    QString error;
    QVERIFY(!DeckStore::save(shellDeck("Theirs", "true"), "Phone", &error));
    QVERIFY2(error.startsWith("can't read deck.json: "), qPrintable(error));
    QVERIFY(historyNames().isEmpty());
    verifyUnreadableDeckKept(folderInPlace, userDeck);
}

void DeckStoreTest::saveCopiesPreviousBytesFirst()
{
    write(defaultDeckPath(), "hand edited\n");
    QTest::ignoreMessage(QtInfoMsg, "Saved deck 'Mine' (1 controls) from Studio iPhone (2)");
    QVERIFY(DeckStore::save(shellDeck("Mine", "true"), "Studio iPhone (2)"));
    const QStringList copies = historyNames();
    QCOMPARE(copies.size(), 1);
    QVERIFY2(QRegularExpression("^deck-\\d{4}-\\d\\d-\\d\\dT\\d{6}-before-StudioiPhone2\\.json$")
                 .match(copies.first())
                 .hasMatch(),
             qPrintable(copies.first()));
    QCOMPARE(readAll(DeckStore::historyFolderPath() + "/" + copies.first()),
             QByteArray("hand edited\n"));
}

void DeckStoreTest::pruningKeepsTwentyGreatestNames()
{
    const QString folder = DeckStore::historyFolderPath();
    QStringList old;
    for (int i = 0; i < 25; ++i) {
        old.append(
            QStringLiteral("deck-2000-01-01T0000%1-before-x.json").arg(i, 2, 10, QChar('0')));
        write(folder + "/" + old.last(), "old");
    }
    write(folder + "/notes.txt", "keep me");
    write(defaultDeckPath(), "previous");
    QVERIFY(DeckStore::save(shellDeck("Mine", "true"), "Phone"));

    const QStringList names = historyNames();
    QCOMPARE(names.size(), 21);
    QVERIFY(names.contains("notes.txt"));
    QStringList copies = names.filter(QRegularExpression("\\.json$"));
    QCOMPARE(copies.size(), DeckStore::historyCopiesKept);
    QVERIFY(copies.last().endsWith("-before-Phone.json"));
    // The new copy and the 19 greatest of the old ones.
    QCOMPARE(copies.mid(0, 19), old.mid(6));
}

void DeckStoreTest::historyCopyName_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("part");
    QTest::newRow("spaces and punctuation") << "Studio iPhone (2)"
                                            << "StudioiPhone2";
    QTest::newRow("only symbols") << "???"
                                  << "";
    QTest::newRow("sixty letters") << QString(60, 'a') << QString(40, 'a');
    QTest::newRow("dash kept, emoji dropped")
        << QString::fromUtf8("Mac-mini \xF0\x9F\x98\x80") << "Mac-mini";
    QTest::newRow("accented letters kept")
        << QString::fromUtf8("Jos\xC3\xA9's Mac") << QString::fromUtf8("Jos\xC3\xA9sMac");
}

void DeckStoreTest::historyCopyName()
{
    QFETCH(QString, device);
    QFETCH(QString, part);
    const QDateTime at(QDate(2026, 12, 9), QTime(9, 15, 30), Qt::LocalTime);
    QCOMPARE(DeckStore::historyCopyName(at, device),
             "deck-2026-12-09T091530-before-" + part + ".json");
}

void DeckStoreTest::copiesInOneSecondAreAllKeptInOrder()
{
    const QDateTime at(QDate(2026, 12, 9), QTime(9, 15, 30), Qt::LocalTime);
    const PrivateFolder history(DeckStore::historyFolderPath());
    // More copies in one second than are kept, so that pruning has to rank them.
    const int made = DeckStore::historyCopiesKept + 5;
    for (int i = 1; i <= made; ++i) {
        QString error;
        QVERIFY2(DeckStore::saveHistoryCopy(history, QByteArray::number(i), "Phone", &error, at),
                 qPrintable(error));
    }
    const QString folder = DeckStore::historyFolderPath() + "/";
    const QString base = "deck-2026-12-09T091530-before-Phone";
    QCOMPARE(readAll(folder + base + ".json"), QByteArray("1"));
    QCOMPARE(readAll(folder + base + "_2.json"), QByteArray("2"));
    QCOMPARE(readAll(folder + base + "_10.json"), QByteArray("10"));

    // The later copies rank as newer, "_10" after "_9" too: the newest ones stay.
    DeckStore::pruneHistory(history);
    QList<int> kept;
    for (const QString &name : historyNames()) {
        kept.append(readAll(folder + name).toInt());
    }
    std::sort(kept.begin(), kept.end());
    QList<int> newest;
    for (int i = made - DeckStore::historyCopiesKept + 1; i <= made; ++i) {
        newest.append(i);
    }
    QCOMPARE(kept, newest);
}

void DeckStoreTest::aCopyAfterAnyNumberGetsANameOfItsOwn_data()
{
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QString>("next");
    QTest::newRow("the highest int") << QStringList{"2147483647"} << "2147483648";
    QTest::newRow("the highest unsigned int") << QStringList{"4294967295"} << "4294967296";
    QTest::newRow("the highest 64-bit int")
        << QStringList{"9223372036854775807"} << "9223372036854775808";
    QTest::newRow("beyond any int")
        << QStringList{"99999999999999999999"} << "100000000000000000000";
    QTest::newRow("longer ranks higher")
        << QStringList{"10", "9", "2147483647", "999999999"} << "2147483648";
}

void DeckStoreTest::aCopyAfterAnyNumberGetsANameOfItsOwn()
{
    QFETCH(QStringList, numbers);
    QFETCH(QString, next);
    const QDateTime at(QDate(2026, 12, 9), QTime(9, 15, 30), Qt::LocalTime);
    const QString folder = DeckStore::historyFolderPath() + "/";
    const QString base = "deck-2026-12-09T091530-before-Phone";
    QVERIFY(QDir().mkpath(folder));
    for (const QString &number : numbers)
        write(folder + base + "_" + number + ".json", number.toUtf8());
    const PrivateFolder history(DeckStore::historyFolderPath());
    QString error;
    const std::optional<QString> made =
        DeckStore::saveHistoryCopy(history, "new", "Phone", &error, at);
    QVERIFY2(made, qPrintable(error));
    QCOMPARE(*made, base + "_" + next + ".json");
    QCOMPARE(readAll(folder + *made), QByteArray("new"));
    for (const QString &number : numbers)
        QCOMPARE(readAll(folder + base + "_" + number + ".json"), number.toUtf8());
}

void DeckStoreTest::historyKeepsTheNewestEarlierDecks_data()
{
    QTest::addColumn<QList<QDateTime>>("clock");
    const QTimeZone berlin("Europe/Berlin");
    const QTimeZone tokyo("Asia/Tokyo");
    const QTimeZone newYork("America/New_York");
    QVERIFY(berlin.isValid() && tokyo.isValid() && newYork.isValid());

    // A device's burst: once pruning has begun, every copy of that second must still rank above
    // the ones before it.
    QTest::newRow("60 saves in one second") << clockSteps(utc(12, 9, 8, 15), 60, 16, berlin);
    QTest::newRow("70 saves, 40 a second") << clockSteps(utc(12, 9, 8, 15), 70, 25, berlin);
    // Tokyo's local time is 14 hours ahead of New York's: after the move every stamp is earlier.
    QTest::newRow("time zone moved west") << clockSteps(utc(12, 9, 8, 15), 22, 1000, tokyo) +
                                                 clockSteps(utc(12, 9, 8, 16), 3, 1000, newYork);
    // 1:00 to 1:57 daylight time, then 1:00 to 1:04 standard time: the same hour again.
    QTest::newRow("autumn clock change") << clockSteps(utc(11, 1, 5, 0), 20, 3 * 60'000, newYork) +
                                                clockSteps(utc(11, 1, 6, 0), 5, 60'000, newYork);
    QTest::newRow("clock set back a day") << clockSteps(utc(12, 9, 8, 15), 22, 1000, berlin) +
                                                 clockSteps(utc(12, 8, 8, 15), 3, 1000, berlin);
}

void DeckStoreTest::historyKeepsTheNewestEarlierDecks()
{
    QFETCH(QList<QDateTime>, clock);
    write(defaultDeckPath(), *WireCodec::prettyEncoder(true).encode(shellDeck("Start", "true")));
    // Each save copies the deck the one before it wrote.
    QStringList earlier = {"Start"};
    for (int i = 0; i < clock.size(); ++i) {
        const QString name = QStringLiteral("Deck %1").arg(i, 4, 10, QChar('0'));
        QString error;
        QVERIFY2(DeckStore::save(shellDeck(name, "true"), "Phone", &error, clock[i]),
                 qPrintable(error));
        earlier.append(name);
    }
    earlier.removeLast();
    QStringList newest = earlier.mid(earlier.size() - DeckStore::historyCopiesKept);
    newest.sort();
    QCOMPARE(decksInHistory(), newest);
}

void DeckStoreTest::copiesOfAnOlderVersionRankByWhenWritten()
{
    // An older version set no time of its own: its copies have the time they were written, and
    // their names were stamped an hour ahead of this clock (the zone moved since), in the
    // opposite order.
    const QString folder = DeckStore::historyFolderPath() + "/";
    const int planted = 25;
    for (int i = 0; i < planted; ++i) {
        const QString name = QStringLiteral("deck-2026-12-09T1000%1-before-Phone.json")
                                 .arg(planted - i, 2, 10, QChar('0'));
        write(folder + name, QStringLiteral("Older %1").arg(i, 2, 10, QChar('0')).toUtf8());
        QFile file(folder + name);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(utc(12, 9, 8, i), QFileDevice::FileModificationTime));
    }
    write(defaultDeckPath(), *WireCodec::prettyEncoder(true).encode(shellDeck("Start", "true")));
    const QDateTime at(QDate(2026, 12, 9), QTime(9, 30), QTimeZone("Europe/Berlin"));
    for (int i = 0; i < 3; ++i) {
        QVERIFY(DeckStore::save(shellDeck(QStringLiteral("Deck %1").arg(i), "true"), "Phone",
                                nullptr, at.addSecs(i)));
    }
    QStringList newest = {"Deck 0", "Deck 1", "Start"};
    for (int i = planted - DeckStore::historyCopiesKept + 3; i < planted; ++i) {
        newest.append(QStringLiteral("Older %1").arg(i, 2, 10, QChar('0')));
    }
    newest.sort();
    QCOMPARE(decksInHistory(), newest);
}

QTEST_GUILESS_MAIN(DeckStoreTest)
#include "DeckStoreTest.moc"
