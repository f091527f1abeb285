#include "Quorvel/LaunchRequest.h"
#include "Quorvel/DesktopRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    QTemporaryDir icons;
    QTemporaryDir dataHome;
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QVERIFY(
        write(generated.filePath(DesktopRegistration::desktopEntryName), "Exec=/build/quorvel %U"));
    QVERIFY(write(generated.filePath(DesktopRegistration::serviceFileName), "Exec=/build/quorvel"));
    QVERIFY(write(icons.filePath("16x16/apps/com.vantrel.quorvel.png"), "small"));
    QVERIFY(write(icons.filePath("256x256/apps/com.vantrel.quorvel.png"), "large"));

    QStringList first =
        DesktopRegistration::registerFrom(generated.path(), icons.path(), dataHome.path());
    first.sort();
    QCOMPARE(first, (QStringList{
                        dataHome.filePath("applications/com.vantrel.quorvel.desktop"),
                        dataHome.filePath("dbus-1/services/com.vantrel.quorvel.service"),
                        dataHome.filePath("icons/hicolor/16x16/apps/com.vantrel.quorvel.png"),
                        dataHome.filePath("icons/hicolor/256x256/apps/com.vantrel.quorvel.png")}));
    // Nothing new: nothing written, nothing said.
    QVERIFY(DesktopRegistration::registerFrom(generated.path(), icons.path(), dataHome.path())
                .isEmpty());

    // The build moved: the entry is written again, and only it.
    QVERIFY(write(generated.filePath(DesktopRegistration::desktopEntryName),
                  "Exec=/elsewhere/quorvel %U"));
    QCOMPARE(DesktopRegistration::registerFrom(generated.path(), icons.path(), dataHome.path()),
             QStringList{dataHome.filePath("applications/com.vantrel.quorvel.desktop")});
}

QTEST_GUILESS_MAIN(LaunchRequestTest)
#include "LaunchRequestTest.moc"
