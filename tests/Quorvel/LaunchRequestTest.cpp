#include "Quorvel/LaunchRequest.h"
#include "Quorvel/DesktopRegistration.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

// The command line as a start reads it, and the build's own registration for links.
class LaunchRequestTest : public QObject {
    Q_OBJECT

private slots:
    void fromArguments_data();
    void fromArguments();
    void registrationWritesOnlyWhatChanged();
};

void LaunchRequestTest::fromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("onboarding");
    QTest::addColumn<bool>("settings");
    QTest::addColumn<bool>("deckEditor");
    QTest::addColumn<QStringList>("links");

    QTest::newRow("nothing") << QStringList() << false << false << false << QStringList();
    QTest::newRow("onboarding") << QStringList{"--show-onboarding"} << true << false << false
                                << QStringList();
    QTest::newRow("onboarding with more is no match")
        << QStringList{"--show-onboarding=yes"} << false << false << false << QStringList();
    QTest::newRow("settings with a tab")
        << QStringList{"--settings-tab=host"} << false << true << false << QStringList();
    QTest::newRow("settings with nothing after the sign")
        << QStringList{"--settings-tab="} << false << true << false << QStringList();
    QTest::newRow("settings without the sign")
        << QStringList{"--settings-tab"} << false << false << false << QStringList();
    QTest::newRow("deck editor") << QStringList{"--open-deck-editor"} << false << false << true
                                 << QStringList();
    QTest::newRow("links in order, others ignored")
        << QStringList{"quorvel://run/b", "https://example.invalid/", "--verbose",
                       "QUORVEL://run/a?state=on", "quorvel:"}
        << false << false << false
        << QStringList{"quorvel://run/b", "quorvel://run/a?state=on", "quorvel:"};
    QTest::newRow("everything") << QStringList{"--open-deck-editor", "quorvel://run/x",
                                               "--settings-tab=updates", "--show-onboarding"}
                                << true << true << true << QStringList{"quorvel://run/x"};
}

void LaunchRequestTest::fromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, links);
    const LaunchRequest request = LaunchRequest::fromArguments(arguments);
    QTEST(request.showOnboarding, "onboarding");
    QTEST(request.showSettings, "settings");
    QTEST(request.openDeckEditor, "deckEditor");
    QStringList got;
    for (const QUrl &link : request.links)
        got.append(link.toString());
    QCOMPARE(got.size(), links.size());
    for (int i = 0; i < links.size(); ++i)
        QCOMPARE(got.at(i).toLower(), links.at(i).toLower());
}

void LaunchRequestTest::registrationWritesOnlyWhatChanged()
{
    QTemporaryDir generated;
    QTemporaryDir dataHome;
    for (const char *name :
         {DesktopRegistration::desktopEntryName, DesktopRegistration::serviceFileName}) {
        QFile file(generated.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Exec=/build/quorvel ") + name);
    }

    const QStringList first = DesktopRegistration::registerFrom(generated.path(), dataHome.path());
    QCOMPARE(first,
             (QStringList{dataHome.filePath("applications/com.vantrel.quorvel.desktop"),
                          dataHome.filePath("dbus-1/services/com.vantrel.quorvel.service")}));
    // Nothing new: nothing written, nothing said.
    QVERIFY(DesktopRegistration::registerFrom(generated.path(), dataHome.path()).isEmpty());

    // The build moved: the entry is written again.
    QFile moved(generated.filePath(QString::fromLatin1(DesktopRegistration::desktopEntryName)));
    QVERIFY(moved.open(QIODevice::WriteOnly));
    moved.write("Exec=/elsewhere/quorvel");
    moved.close();
    QCOMPARE(DesktopRegistration::registerFrom(generated.path(), dataHome.path()),
             QStringList{dataHome.filePath("applications/com.vantrel.quorvel.desktop")});
}

QTEST_GUILESS_MAIN(LaunchRequestTest)
#include "LaunchRequestTest.moc"
