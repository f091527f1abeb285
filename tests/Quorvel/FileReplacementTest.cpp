#include "FakeServiceNetwork.h"
#include "HostTestSupport.h"
#include "LogCapture.h"
#include "Platform/Files/SettingsFile.h"
#include "Platform/Session/LoginAgentUnit.h"
#include "Quorvel/AppRoles.h"
#include "Quorvel/DesktopRegistration.h"
#include "Quorvel/Outside/ActionListFile.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostStatusFile.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"
#include "SettingsOnDisk.h"
#include "SmallDiskFiller.h"
#include "StandInSystemctl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>

using namespace Quorvel;
using namespace std::chrono_literals;

namespace {

const QByteArray oldBytes = "good old bytes";

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quorvel");
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

mode_t modeOf(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777
                                                                      : mode_t(-1);
}

// One file the program replaces: where it is, and the program's own way of writing it, which
// answers whether the failure was reported (a returned error or a log line naming the file).
struct Writer {
    QString path;
    std::function<bool()> writeReportsFailure;
};

// A deck whose file takes one page of the disk.
Deck smallDeck()
{
    return Deck{QStringLiteral("Desk"), {HostTest::shellButton("hello", "echo hi")}};
}

// A deck whose file takes several pages.
Deck largeDeck()
{
    Deck deck{QStringLiteral("Studio"), {}};
    for (int i = 0; i < 20; ++i) {
        deck.controls.push_back(HostTest::shellButton(
            QStringLiteral("b%1").arg(i), QStringLiteral("echo ") + QString(400, u'x')));
    }
    return deck;
}

QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvel/Quorvel.ini");
}

} // namespace

// Every file the program replaces, on a small tmpfs of the sandbox's own: a full disk leaves the
// file as it was, byte for byte, and says so; new files are the user's alone; a symbolic link in
// the file's place is replaced, never followed.
class FileReplacementTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("QUORVEL_SMALL_DISK"), "runs in the small-disk sandbox");
        ::umask(022);
        m_network = std::make_unique<Testing::FakeServiceNetwork>();
        m_model = std::make_unique<ClientModel>(*m_network, QStringLiteral("Remote"),
                                                KeychainTokenStore(), false);
        m_generated = std::make_unique<QTemporaryDir>();
        QVERIFY(writeFile(m_generated->filePath(DesktopRegistration::desktopEntryName),
                          "[Desktop Entry]\nExec=quorvel %U\n"));
        QVERIFY(writeFile(m_generated->filePath(DesktopRegistration::serviceFileName),
                          "[D-BUS Service]\nExec=quorvel\n"));
        QVERIFY(QDir().mkpath(m_generated->filePath("icons")));
    }

    void cleanupTestCase()
    {
        m_model.reset();
        m_network.reset();
    }

    void init()
    {
        QDir(dataFolder()).removeRecursively();
        qunsetenv("QUORVEL_DECK");
        qunsetenv("QUORVEL_TOKEN");
    }

    void aFullDiskLeavesTheFileAsItWas_data() { files(); }
    void aFullDiskLeavesTheFileAsItWas()
    {
        QFETCH(QString, name);
        QFETCH(bool, reportsFailure);
        const Writer writer = writerFor(name);
        QVERIFY(writeFile(writer.path, oldBytes));

        const SmallDiskFiller filler(0);
        QVERIFY(filler.filled());
        if (reportsFailure)
            QVERIFY(writer.writeReportsFailure());
        else
            writer.writeReportsFailure();
        QCOMPARE(readAll(writer.path), oldBytes);
        // Nothing half written is left beside it.
        QCOMPARE(QDir(QFileInfo(writer.path).path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(writer.path).fileName()});
    }

    void newFilesAreTheUsersAlone_data() { files(); }
    void newFilesAreTheUsersAlone()
    {
        QFETCH(QString, name);
        const Writer writer = writerFor(name);
        // An older version's file, readable by everyone.
        QVERIFY(writeFile(writer.path, oldBytes));
        QVERIFY(::chmod(QFile::encodeName(writer.path).constData(), 0644) == 0);
        QVERIFY(!writer.writeReportsFailure());
        QVERIFY(readAll(writer.path) != oldBytes);
        QCOMPARE(modeOf(writer.path), mode_t(0600));
    }

    void aLinkInTheFilesPlaceIsReplaced_data() { files(); }
    void aLinkInTheFilesPlaceIsReplaced()
    {
        QFETCH(QString, name);
        const Writer writer = writerFor(name);
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath("victim");
        QVERIFY(writeFile(victim, oldBytes));
        QVERIFY(QDir().mkpath(QFileInfo(writer.path).path()));
        QFile::remove(writer.path);
        QVERIFY(QFile::link(victim, writer.path));

        QVERIFY(!writer.writeReportsFailure());
        QCOMPARE(readAll(victim), oldBytes);
        QVERIFY(!QFileInfo(writer.path).isSymLink());
        QVERIFY(readAll(writer.path) != oldBytes);
    }

    // The actions list that a full disk refused is written once there is room, without waiting
    // for the next change of what it shows.
    void theActionListCatchesUpOnceThereIsRoom()
    {
        const QString path = dataFolder() + QStringLiteral("/remote-actions.json");
        QVERIFY(QDir().mkpath(dataFolder()));
        QVERIFY(writeFile(path, oldBytes));
        ActionListFile file(m_model.get(), path, ActionListFile::defaultQuietTime,
                            {std::chrono::milliseconds(10), std::chrono::milliseconds(100)});
        std::optional<SmallDiskFiller> filler(std::in_place, 0);
        QVERIFY(filler->filled());
        QVERIFY(!file.write());
        QCOMPARE(readAll(path), oldBytes);

        filler.reset();
        QTRY_VERIFY(readAll(path) != oldBytes);
        const QJsonObject list = QJsonDocument::fromJson(readAll(path)).object();
        QCOMPARE(list.value("connected"), QJsonValue(false));
        QVERIFY(list.value("actions").isArray());
        QCOMPARE(file.writeCount(), 1);
    }

    // The data folder and the folders made for the files are the user's alone.
    void foldersMadeAreTheUsersAlone()
    {
        QVERIFY(!QFileInfo::exists(dataFolder()));
        QVERIFY(DeckStore::save(largeDeck(), QStringLiteral("Phone")));
        HostTokenStore::hostID();
        QVERIFY(DeckStore::save(smallDeck(), QStringLiteral("Phone")));
        for (const QString &folder : {dataFolder(), DeckStore::historyFolderPath()})
            QCOMPARE(modeOf(folder), mode_t(0700));
        const QStringList copies = QDir(DeckStore::historyFolderPath()).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(modeOf(DeckStore::historyFolderPath() + u'/' + copies.first()), mode_t(0600));
    }

    // A device's save on a full disk: the device hears that it failed and why, the deck file
    // stays as it was, and the host's log says so. Without room for the history copy the save
    // stops before the deck file is touched.
    void aDevicesSaveOnAFullDiskFails_data()
    {
        QTest::addColumn<int>("pagesLeft");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no room for the history copy")
            << 0 << QStringLiteral("can't keep a copy of the deck in");
        QTest::newRow("room for the copy, not for the deck")
            << 1 << QStringLiteral("can't write deck.json: No space left on device");
    }

    void aDevicesSaveOnAFullDiskFails()
    {
        QFETCH(int, pagesLeft);
        QFETCH(QString, reason);
        HostTest::TestHost host(smallDeck());
        HostTest::TestHost::writeEditingSetting(true);
        auto device = host.pairedDevice();
        QVERIFY(device);
        const QByteArray before = readAll(host.deckPath());
        QVERIFY(before.size() < SmallDiskFiller::pageBytes);

        LogCapture log;
        const SmallDiskFiller filler(pagesLeft);
        QVERIFY(filler.filled());
        device->send(Message(Message::UpdateDeck{QStringLiteral("u1"), largeDeck()}));
        const auto result = device->waitForMessage<Message::DeckUpdateResult>();
        QVERIFY(result);
        QVERIFY(!result->ok);
        QCOMPARE(result->problems.size(), 1);
        QVERIFY2(result->problems.first().contains(reason), qPrintable(result->problems.first()));
        QCOMPARE(readAll(host.deckPath()), before);
        QVERIFY(log.mentions(QStringLiteral("Couldn't save the actions from Phone: ")));
        QVERIFY(host.coordinator().deck() == smallDeck());
    }

    // The settings on a full disk, once at each number of pages left in turn: the write fails,
    // the file stays as it was and the log names it; nothing is left beside it; the program
    // still has every change, and the first write once there is room stores them all.
    void settingsSurviveAFullDisk_data()
    {
        QTest::addColumn<QList<int>>("pagesLeft");
        QTest::newRow("0 KiB free") << QList<int>{0};
        QTest::newRow("4 KiB free") << QList<int>{1};
        QTest::newRow("0 KiB, then 4 KiB free") << QList<int>{0, 1};
    }

    void settingsSurviveAFullDisk()
    {
        QFETCH(QList<int>, pagesLeft);
        const QString path = settingsPath();
        {
            const auto settings = openClientSettings();
            settings->clear();
            settings->setValue(QStringLiteral("lastHostName"), QStringLiteral("Studio"));
            settings->setValue(QStringLiteral("allowRemoteDeckEditing"), true);
        }
        // Settings open throughout see every change.
        const auto kept = openClientSettings();
        const QByteArray before = readAll(path);
        QVERIFY(before.contains("Studio"));

        QStringList changes;
        for (const int pages : pagesLeft) {
            LogCapture log;
            const SmallDiskFiller filler(pages);
            QVERIFY(filler.filled());
            changes.append(QStringLiteral("change%1").arg(changes.size() + 1));
            openClientSettings()->setValue(changes.last(),
                                           QStringLiteral("value ") + changes.last());
            QCOMPARE(readAll(path), before);
            QVERIFY2(log.mentions(QStringLiteral("can't write ") + path),
                     qPrintable(log.lines().join(u'\n')));
            QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{QFileInfo(path).fileName()});
            for (const QString &change : std::as_const(changes))
                QCOMPARE(kept->value(change).toString(), QStringLiteral("value ") + change);
        }

        openClientSettings()->setValue(QStringLiteral("afterwards"), true);
        // Read as Qt's own INI format reads it, from a copy Qt has not seen yet.
        const QString copy = QFileInfo(path).path() + QStringLiteral("/copy.ini");
        QFile::remove(copy);
        QVERIFY(QFile::copy(path, copy));
        const QSettings stored(copy, QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("lastHostName")).toString(), QStringLiteral("Studio"));
        QCOMPARE(stored.value(QStringLiteral("allowRemoteDeckEditing")).toBool(), true);
        QCOMPARE(stored.value(QStringLiteral("afterwards")).toBool(), true);
        for (const QString &change : std::as_const(changes))
            QCOMPARE(stored.value(change).toString(), QStringLiteral("value ") + change);
        QVERIFY(QFile::remove(copy));
    }

    // A first start on a full disk: the roles and the mark of the one-time copy reach the disk
    // once there is room, while the program runs, with no later change to carry them.
    void aFirstStartsRolesReachTheDiskOnceThereIsRoom()
    {
        QVERIFY(QDir(QFileInfo(settingsPath()).path()).removeRecursively());
        SettingsFile::setRetryTimings({10ms, 80ms});
        std::optional<SmallDiskFiller> filler(std::in_place, 0);
        QVERIFY(filler->filled());
        const AppRoles roles(
            {m_generated->path(), m_generated->filePath(QStringLiteral("none.ini"))});
        QVERIFY(!QFile::exists(settingsPath()));

        filler.reset();
        const QVariantMap wanted = {{AppRoles::remoteKey, QStringLiteral("false")},
                                    {AppRoles::hostingKey, QStringLiteral("false")},
                                    {AppRoles::onboardedKey, QStringLiteral("false")},
                                    {AppRoles::migratedKey, QStringLiteral("true")}};
        QTRY_COMPARE_WITH_TIMEOUT(settingsOnDisk(settingsPath()), wanted, 5000);
    }

private:
    void files()
    {
        QTest::addColumn<QString>("name");
        // host-id alone is not worth a word: a lost one only costs a new id at the next start.
        QTest::addColumn<bool>("reportsFailure");
        for (const char *name : {"deck.json", "status.json", "remote-actions.json", "pairing-token",
                                 "start-at-login unit", "desktop entry"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("host-id") << QStringLiteral("host-id") << false;
    }

    Writer writerFor(const QString &name)
    {
        const QString folder = dataFolder();
        if (name == QLatin1String("deck.json")) {
            return {folder + QStringLiteral("/deck.json"), [] {
                        QString error;
                        return !DeckStore::save(largeDeck(), QStringLiteral("Phone"), &error) &&
                               error.contains(QStringLiteral("No space left on device"));
                    }};
        }
        if (name == QLatin1String("status.json")) {
            return {folder + u'/' + QLatin1String(HostStatusFile::fileName), [folder] {
                        HostStatusFile status;
                        status.hostName = QStringLiteral("Studio");
                        QString error;
                        return !status.write(folder + u'/' +
                                                 QLatin1String(HostStatusFile::fileName),
                                             &error) &&
                               error == QStringLiteral("No space left on device");
                    }};
        }
        if (name == QLatin1String("remote-actions.json")) {
            const QString path = folder + QStringLiteral("/remote-actions.json");
            return {path, [this, path] {
                        LogCapture log;
                        ActionListFile file(m_model.get(), path);
                        return !file.write() && log.mentions(path);
                    }};
        }
        if (name == QLatin1String("pairing-token")) {
            return {HostTokenStore::tokenFilePath(), [] {
                        LogCapture log;
                        bool saved = true;
                        HostTokenStore::createAndSave(&saved);
                        return !saved && log.mentions(QStringLiteral("Could not save pairing "
                                                                     "token: No space left"));
                    }};
        }
        if (name == QLatin1String("host-id")) {
            // The file holds no id ("good old bytes"), so it is written anew; a failure is not
            // reported, and is never counted as reported.
            return {folder + u'/' + QLatin1String(HostTokenStore::hostIDFileName), [] {
                        HostTokenStore::hostID();
                        return false;
                    }};
        }
        if (name == QLatin1String("start-at-login unit")) {
            m_systemctl = std::make_unique<AppTest::StandInSystemctl>();
            LoginAgentUnit::Options options;
            options.systemctl = m_systemctl->path();
            options.unitFolder =
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/systemd/user");
            const LoginAgentUnit unit(options);
            return {unit.unitPath(), [unit] {
                        QString error;
                        return !unit.registerAgent(&error) && error.contains(unit.unitPath());
                    }};
        }
        const QString dataHome =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        const QString path = dataHome + QStringLiteral("/applications/") +
                             QLatin1String(DesktopRegistration::desktopEntryName);
        const QString generated = m_generated->path();
        return {path, [generated, dataHome, path] {
                    LogCapture log;
                    const QStringList written = DesktopRegistration::registerFrom(
                        generated, generated + QStringLiteral("/icons"), dataHome);
                    return !written.contains(path) && log.mentions(path);
                }};
    }

    std::unique_ptr<Testing::FakeServiceNetwork> m_network;
    std::unique_ptr<ClientModel> m_model;
    std::unique_ptr<QTemporaryDir> m_generated;
    std::unique_ptr<AppTest::StandInSystemctl> m_systemctl;
};

QTEST_MAIN(FileReplacementTest)
#include "FileReplacementTest.moc"
