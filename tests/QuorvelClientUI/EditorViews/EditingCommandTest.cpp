#include "Platform/Files/SettingsFile.h"
#include "QuorvelClientUI/Views/Editor/EditorScreenText.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostSettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/stat.h>

using namespace Quorvel;

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {

using Values = QMap<QString, QString>;

Values storedValues()
{
    const SettingsFile::Handle settings = SettingsFile::open();
    Values values;
    for (const QString &key : settings->allKeys())
        values.insert(key, settings->value(key).toString());
    return values;
}

} // namespace

// The editing-off banner's command, run by the shells a user pastes it into, in a home of its
// own: the host reads editing as allowed afterwards, and every other setting is as it was.
class EditingCommandTest : public QObject {
    Q_OBJECT

private slots:
    void theHostAllowsEditingAfterTheCommand_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("before");
        QTest::addColumn<bool>("ownConfigHome");
        QTest::addColumn<Values>("others");

        QTest::newRow("no settings folder yet") << std::optional<QByteArray>() << false << Values{};
        QTest::newRow("no settings folder yet, XDG_CONFIG_HOME set")
            << std::optional<QByteArray>() << true << Values{};
        QTest::newRow("an empty file") << std::optional<QByteArray>("") << false << Values{};
        QTest::newRow("other settings, no key")
            << std::optional<QByteArray>("[General]\nQuorvel.role.hosting=true\n\n"
                                         "[editor]\ngeometry=10\n")
            << false << Values{{"Quorvel.role.hosting", "true"}, {"editor/geometry", "10"}};
        QTest::newRow("turned off, other groups after")
            << std::optional<QByteArray>("[General]\nallowRemoteDeckEditing=false\n"
                                         "keepsAwake=true\n\n[editor]\ngeometry=10\n")
            << true << Values{{"keepsAwake", "true"}, {"editor/geometry", "10"}};
        QTest::newRow("turned off in a later group of the same name, spaced, no last break")
            << std::optional<QByteArray>("[General]\nkeepsAwake=true\n\n[editor]\ngeometry=10\n\n"
                                         "[ general ]\nallowRemoteDeckEditing = false")
            << false << Values{{"keepsAwake", "true"}, {"editor/geometry", "10"}};
        QTest::newRow("the same name in another group only")
            << std::optional<QByteArray>("[editor]\nallowRemoteDeckEditing=false\n") << false
            << Values{{"editor/allowRemoteDeckEditing", "false"}};
        QTest::newRow("keys before any group")
            << std::optional<QByteArray>("allowRemoteDeckEditing=0\nkeepsAwake=true\n") << false
            << Values{{"keepsAwake", "true"}};
    }
    void theHostAllowsEditingAfterTheCommand()
    {
        QFETCH(std::optional<QByteArray>, before);
        QFETCH(bool, ownConfigHome);
        QFETCH(Values, others);
        QStringList shells;
        for (const char *name : {"sh", "bash", "zsh"}) {
            const QString shell = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!shell.isEmpty())
                shells.append(shell);
        }
        QVERIFY(!shells.isEmpty());
        for (const QString &shell : shells) {
            QTemporaryDir home;
            QVERIFY(home.isValid());
            const QString config = ownConfigHome ? home.filePath(QStringLiteral("config"))
                                                 : home.filePath(QStringLiteral(".config"));
            qputenv("HOME", QFile::encodeName(home.path()));
            if (ownConfigHome)
                qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
            else
                qunsetenv("XDG_CONFIG_HOME");
            const QString file = config + QStringLiteral("/Quorvel/Quorvel.ini");
            QCOMPARE(HostSettings::filePath(), file);
            // Qt finds the settings folder once per process; a host started in this home would
            // find it here.
            QSettings::setPath(SettingsFile::format(), QSettings::UserScope, config);
            if (before) {
                QVERIFY(QDir().mkpath(config + QStringLiteral("/Quorvel")));
                QFile written(file);
                QVERIFY(written.open(QIODevice::WriteOnly));
                QCOMPARE(written.write(*before), before->size());
            }

            QProcess run;
            run.setWorkingDirectory(home.path());
            run.start(shell, {QStringLiteral("-c"), EditorScreenText::editingCommand()});
            QVERIFY(run.waitForFinished());
            QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
                     run.readAllStandardError().constData());

            QVERIFY2(HostSettings::stored(HostCoordinator::allowDeckEditingKey), qPrintable(shell));
            Values after = storedValues();
            QCOMPARE(after.take(QStringLiteral("allowRemoteDeckEditing")), QStringLiteral("true"));
            QCOMPARE(after, others);
            QCOMPARE(QDir(config + QStringLiteral("/Quorvel")).entryList(QDir::Files),
                     QStringList{QStringLiteral("Quorvel.ini")});
            if (!before) {
                struct stat status {};
                QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
                QCOMPARE(status.st_mode & 0777, mode_t(0600));
            }
        }
    }
};

QTEST_GUILESS_MAIN(EditingCommandTest)
#include "EditingCommandTest.moc"
