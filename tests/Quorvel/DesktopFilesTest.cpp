// GIO first: its headers use the word that Qt defines as a macro.
#include <gio/gdesktopappinfo.h>

#include <QFile>
#include <QSettings>
#include <QTest>

#include <memory>

// The desktop entry and the bus service file as generated for installing and for the build
// folder: GIO reads the entry as desktops do, and both name the same program.
class DesktopFilesTest : public QObject {
    Q_OBJECT

private slots:
    void entry_data();
    void entry();
};

void DesktopFilesTest::entry_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("program");
    QTest::newRow("installed") << QStringLiteral(QUORVEL_INSTALLED_DESKTOP_DIR)
                               << QStringLiteral(QUORVEL_INSTALLED_PROGRAM);
    QTest::newRow("build") << QStringLiteral(QUORVEL_BUILD_DESKTOP_DIR)
                           << QStringLiteral(QUORVEL_BUILD_PROGRAM);
}

void DesktopFilesTest::entry()
{
    QFETCH(QString, folder);
    QFETCH(QString, program);
    const QByteArray path = (folder + QStringLiteral("/com.vantrel.quorvel.desktop")).toLocal8Bit();

    // As a desktop file, the way every desktop parses it.
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> keys(g_key_file_new(), g_key_file_free);
    QVERIFY(g_key_file_load_from_file(keys.get(), path.constData(), G_KEY_FILE_NONE, nullptr));
    const auto text = [&keys](const char *key) {
        gchar *value = g_key_file_get_string(keys.get(), "Desktop Entry", key, nullptr);
        const QString result = QString::fromUtf8(value);
        g_free(value);
        return result;
    };
    QCOMPARE(text("Name"), "Quorvel");
    QCOMPARE(text("Exec"), program + QStringLiteral(" %U"));
    QCOMPARE(text("MimeType"), "x-scheme-handler/quorvel;");
    QCOMPARE(text("DBusActivatable"), "true");

    // As an application GIO launches for links, where the program exists (GIO refuses entries
    // whose program is missing).
    if (QFile::exists(program)) {
        std::unique_ptr<GDesktopAppInfo, decltype(&g_object_unref)> info(
            g_desktop_app_info_new_from_filename(path.constData()), g_object_unref);
        QVERIFY2(info, path.constData());
        QVERIFY(g_app_info_supports_uris(G_APP_INFO(info.get())));
        const char *const *types = g_app_info_get_supported_types(G_APP_INFO(info.get()));
        QVERIFY(types && types[0]);
        QCOMPARE(QByteArray(types[0]), QByteArray("x-scheme-handler/quorvel"));
    }

    // The bus starts the same program for the name the program claims.
    QSettings service(folder + QStringLiteral("/com.vantrel.quorvel.service"),
                      QSettings::IniFormat);
    service.beginGroup(QStringLiteral("D-BUS Service"));
    QCOMPARE(service.value(QStringLiteral("Name")).toString(), "com.vantrel.quorvel");
    QCOMPARE(service.value(QStringLiteral("Exec")).toString(), program);
}

QTEST_GUILESS_MAIN(DesktopFilesTest)
#include "DesktopFilesTest.moc"
