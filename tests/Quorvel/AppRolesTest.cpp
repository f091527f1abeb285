#include "Quorvel/AppRoles.h"
#include "QuorvelClientUI/ClientSettings.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

using Stored = QMap<QString, QVariant>;

void resetSettings(const Stored &stored)
{
    const auto settings = openClientSettings();
    settings->clear();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        settings->setValue(it.key(), it.value());
    settings->sync();
}

QVariant storedValue(const QString &key)
{
    return openClientSettings()->value(key);
}

} // namespace

// The role flags and the one-time copy, in the private settings of the test's HOME.
class AppRolesTest : public QObject {
    Q_OBJECT

private slots:
    void firstRun_data();
    void firstRun();
    void settersStoreEveryAssignment();
    void readFlag_data();
    void readFlag();
    void migration_data();
    void migration();
    void migrationRunsOnce();
};

void AppRolesTest::firstRun_data()
{
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<bool>("oldAgentFile");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<bool>("onboarded");
    QTest::addColumn<bool>("wasOldHost");

    QTest::newRow("fresh computer") << Stored{} << false << false << false << false << false;
    QTest::newRow("earlier host installed") << Stored{} << true << false << true << true << true;
    QTest::newRow("both roles stored, onboarding absent")
        << Stored{{AppRoles::remoteKey, true}, {AppRoles::hostingKey, false}} << true << true
        << false << true << false;
    QTest::newRow("both roles stored, not onboarded") << Stored{{AppRoles::remoteKey, false},
                                                                {AppRoles::hostingKey, true},
                                                                {AppRoles::onboardedKey, false}}
                                                      << false << false << true << false << false;
    QTest::newRow("only the remote role stored is a first run")
        << Stored{{AppRoles::remoteKey, true}} << false << false << false << false << false;
}

void AppRolesTest::firstRun()
{
    QFETCH(Stored, stored);
    QFETCH(bool, oldAgentFile);
    resetSettings(stored);
    QTemporaryDir home;
    if (oldAgentFile) {
        const QString path = home.filePath(AppRoles::oldAgentFile);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    const AppRoles roles({home.path(), home.filePath(QStringLiteral("none.ini"))});

    QTEST(roles.remote(), "remote");
    QTEST(roles.hosting(), "hosting");
    QTEST(roles.onboarded(), "onboarded");
    QTEST(roles.wasOldHost(), "wasOldHost");
    // Every flag is stored afterwards, as it reads.
    QCOMPARE(AppRoles::readFlag(storedValue(AppRoles::remoteKey)), roles.remote());
    QCOMPARE(AppRoles::readFlag(storedValue(AppRoles::hostingKey)), roles.hosting());
    QCOMPARE(AppRoles::readFlag(storedValue(AppRoles::onboardedKey)), roles.onboarded());
    QVERIFY(storedValue(AppRoles::onboardedKey).isValid());

    // A second start keeps what the first one decided, and is no first run.
    const AppRoles again({home.path(), home.filePath(QStringLiteral("none.ini"))});
    QCOMPARE(again.remote(), roles.remote());
    QCOMPARE(again.hosting(), roles.hosting());
    QCOMPARE(again.onboarded(), roles.onboarded());
    QVERIFY(!again.wasOldHost());
}

void AppRolesTest::settersStoreEveryAssignment()
{
    resetSettings({{AppRoles::remoteKey, false}, {AppRoles::hostingKey, false}});
    AppRoles roles;
    QSignalSpy remoteSpy(&roles, &AppRoles::remoteChanged);
    QSignalSpy hostingSpy(&roles, &AppRoles::hostingChanged);

    roles.setRemote(true);
    roles.setHosting(false);
    QCOMPARE(remoteSpy.size(), 1);
    QCOMPARE(hostingSpy.size(), 0);
    QVERIFY(AppRoles::readFlag(storedValue(AppRoles::remoteKey)));

    // An unchanged value is still written: a value removed meanwhile comes back.
    openClientSettings()->remove(AppRoles::hostingKey);
    roles.setHosting(false);
    QVERIFY(storedValue(AppRoles::hostingKey).isValid());
    QCOMPARE(hostingSpy.size(), 0);
}

void AppRolesTest::readFlag_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("flag");
    QTest::newRow("bool true") << QVariant(true) << true;
    QTest::newRow("bool false") << QVariant(false) << false;
    QTest::newRow("text true") << QVariant(QStringLiteral("true")) << true;
    QTest::newRow("text false") << QVariant(QStringLiteral("false")) << false;
    QTest::newRow("number one") << QVariant(1) << true;
    QTest::newRow("number zero") << QVariant(0) << false;
    QTest::newRow("numeric text") << QVariant(QStringLiteral("2")) << true;
    QTest::newRow("other text") << QVariant(QStringLiteral("yes please")) << false;
    QTest::newRow("absent") << QVariant() << false;
    QTest::newRow("list") << QVariant(QStringList{QStringLiteral("true")}) << false;
}

void AppRolesTest::readFlag()
{
    QFETCH(QVariant, value);
    QTEST(AppRoles::readFlag(value), "flag");
}

void AppRolesTest::migration_data()
{
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<Stored>("old");
    QTest::addColumn<Stored>("expected");

    const QString editing = QStringLiteral("allowRemoteDeckEditing");
    const QString providers = QStringLiteral("knobwireProviders");
    const QString providersJson = QStringLiteral("[{\"app\":\"dev.test\"}]");

    QTest::newRow("no earlier settings")
        << Stored{} << Stored{} << Stored{{editing, QVariant()}, {providers, QVariant()}};
    QTest::newRow("both copied") << Stored{} << Stored{{editing, true}, {providers, providersJson}}
                                 << Stored{{editing, QStringLiteral("true")},
                                           {providers, providersJson}};
    QTest::newRow("a value set here stays")
        << Stored{{editing, false}} << Stored{{editing, true}, {providers, providersJson}}
        << Stored{{editing, QStringLiteral("false")}, {providers, providersJson}};
    QTest::newRow("other keys are not copied")
        << Stored{} << Stored{{QStringLiteral("keepAwake"), true}}
        << Stored{{QStringLiteral("keepAwake"), QVariant()}};
}

void AppRolesTest::migration()
{
    QFETCH(Stored, stored);
    QFETCH(Stored, old);
    QFETCH(Stored, expected);
    resetSettings(stored);
    QTemporaryDir folder;
    const QString oldPath = folder.filePath(QStringLiteral("old.ini"));
    if (!old.isEmpty()) {
        QSettings oldSettings(oldPath, QSettings::IniFormat);
        for (auto it = old.cbegin(); it != old.cend(); ++it)
            oldSettings.setValue(it.key(), it.value());
    }

    const AppRoles roles({folder.path(), oldPath});

    QVERIFY(AppRoles::readFlag(storedValue(AppRoles::migratedKey)));
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(storedValue(it.key()).toString(), it.value().toString());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!it.value().isValid())
            QVERIFY2(!storedValue(it.key()).isValid(), qPrintable(it.key()));
    }
}

void AppRolesTest::migrationRunsOnce()
{
    resetSettings({});
    QTemporaryDir folder;
    const QString oldPath = folder.filePath(QStringLiteral("old.ini"));
    const AppRoles first({folder.path(), oldPath});

    // The earlier program's settings appear (or change) after the first start: nothing is
    // copied any more.
    {
        QSettings oldSettings(oldPath, QSettings::IniFormat);
        oldSettings.setValue(QStringLiteral("allowRemoteDeckEditing"), true);
    }
    const AppRoles second({folder.path(), oldPath});
    QVERIFY(!storedValue(QStringLiteral("allowRemoteDeckEditing")).isValid());
}

QTEST_GUILESS_MAIN(AppRolesTest)
#include "AppRolesTest.moc"
