#include "QuorvelHostKit/Execution/HostCatalogBuilder.h"
#include "QuorvelHostKit/Execution/AppControls.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "DesktopEntryFile.h"
#include "StandIn.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

QStringList namesOf(const std::vector<HostCatalog::App> &apps)
{
    QStringList names;
    for (const HostCatalog::App &app : apps)
        names.append(app.name);
    return names;
}

} // namespace

class HostCatalogBuilderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void listsEachInstalledNameOnceSorted();
    void installedAppCarriesEntryFileAndId();
    void listsRunningApplicationsOnce();
    void leavesThisApplicationOut();
    void buildsWholeCatalog();
    void failedShortcutListLeavesTheRest();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_applications;
    QList<QProcess *> m_running;
};

void HostCatalogBuilderTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_DATA_DIRS", QFile::encodeName(path("system-data")));
    m_applications =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications";
    QVERIFY(QDir().mkpath(path("bin")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/catalog-editor")));
    QVERIFY(QFile::copy("/bin/sleep", path("bin/alpha-app")));

    QVERIFY(writeEntry(m_applications + "/b-editor.desktop", "Editor", path("bin/catalog-editor")));
    QVERIFY(writeEntry(m_applications + "/a-editor.desktop", "Editor", "/bin/true"));
    QVERIFY(writeEntry(m_applications + "/zeta.desktop", "zeta", "/bin/true"));
    QVERIFY(writeEntry(m_applications + "/alpha.desktop", "Alpha", path("bin/alpha-app")));
    QVERIFY(writeEntry(path("system-data/applications/beta.desktop"), "beta", "/bin/true"));
    // This application's own entries: by its id, and one that starts this very program.
    QVERIFY(writeEntry(m_applications + "/com.vantrel.quorvel.desktop", "Quorvel", "/bin/true"));
    QVERIFY(writeEntry(m_applications + "/quorvel-dev.desktop", "Quorvel Dev",
                       QCoreApplication::applicationFilePath()));

    for (const QString &program :
         {path("bin/catalog-editor"), path("bin/catalog-editor"), path("bin/alpha-app")}) {
        auto *process = new QProcess;
        process->start(program, {"300"});
        QVERIFY(process->waitForStarted());
        m_running.append(process);
    }
    QVERIFY(writeStandIn(path("shortcuts"), R"(printf 'Wake\nbackup\n')"));
    QVERIFY(writeStandIn(path("broken-shortcuts"), "exit 1"));
}

void HostCatalogBuilderTest::cleanupTestCase()
{
    for (QProcess *process : std::as_const(m_running)) {
        process->kill();
        process->waitForFinished();
        delete process;
    }
}

void HostCatalogBuilderTest::listsEachInstalledNameOnceSorted()
{
    QCOMPARE(namesOf(HostCatalogBuilder::installedApps()),
             (QStringList{"Alpha", "beta", "Editor", "zeta"}));
}

void HostCatalogBuilderTest::installedAppCarriesEntryFileAndId()
{
    const auto apps = HostCatalogBuilder::installedApps();
    const auto editor = std::find_if(apps.cbegin(), apps.cend(), [](const HostCatalog::App &app) {
        return app.name == "Editor";
    });
    QVERIFY(editor != apps.cend());
    QCOMPARE(*editor, (HostCatalog::App{"Editor", m_applications + "/a-editor.desktop",
                                        QStringLiteral("a-editor.desktop")}));
}

void HostCatalogBuilderTest::listsRunningApplicationsOnce()
{
    QCOMPARE(HostCatalogBuilder::runningAppNames(), (QStringList{"Alpha", "Editor"}));
}

// The test program itself runs, as the host would; neither of its entries is offered.
void HostCatalogBuilderTest::leavesThisApplicationOut()
{
    const QStringList installed = namesOf(HostCatalogBuilder::installedApps());
    QVERIFY(!installed.contains("Quorvel"));
    QVERIFY(!installed.contains("Quorvel Dev"));
    QVERIFY(!HostCatalogBuilder::runningAppNames().contains("Quorvel Dev"));
}

void HostCatalogBuilderTest::buildsWholeCatalog()
{
    SystemExecutor executor;
    ExecutorTools tools = executor.tools();
    tools.shortcuts = path("shortcuts");
    executor.setTools(tools);
    AppControls appControls;
    appControls.consumer().restore({Knobwire::KnobwireConsumerProvider{
        "com.example.lights",
        "Lights",
        std::nullopt,
        {Knobwire::Control("main", "Main", Knobwire::Control::Kind::toggle)},
        false}});

    const HostCatalog catalog = QCoro::waitFor(HostCatalogBuilder::build(&executor, &appControls));

    QCOMPARE(catalog.shortcuts, (QStringList{"backup", "Wake"}));
    QCOMPARE(namesOf(catalog.apps), (QStringList{"Alpha", "beta", "Editor", "zeta"}));
    QCOMPARE(catalog.runningApps, (QStringList{"Alpha", "Editor"}));
    QCOMPARE(catalog.appControls, appControls.catalogEntries());
    QCOMPARE(catalog.appControls.size(), size_t(1));
}

void HostCatalogBuilderTest::failedShortcutListLeavesTheRest()
{
    SystemExecutor executor;
    ExecutorTools tools = executor.tools();
    tools.shortcuts = path("broken-shortcuts");
    executor.setTools(tools);

    const HostCatalog catalog = QCoro::waitFor(HostCatalogBuilder::build(&executor, nullptr));

    QCOMPARE(catalog.shortcuts, QStringList());
    QCOMPARE(catalog.apps.size(), size_t(4));
    QCOMPARE(catalog.runningApps, (QStringList{"Alpha", "Editor"}));
    QVERIFY(catalog.appControls.empty());
}

QTEST_GUILESS_MAIN(HostCatalogBuilderTest)
#include "HostCatalogBuilderTest.moc"
