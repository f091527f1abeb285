#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QFile>
#include <QJsonDocument>
#include <QSet>
#include <QtTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

QJsonValue parse(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

using Item = HostCatalog::AppControls::Item;

Item item(const QString &id, const QString &name, const QString &kind = QStringLiteral("button"))
{
    return Item{id, name, kind, std::nullopt, false, std::nullopt, std::nullopt};
}

} // namespace

class HostCatalogTest : public QObject {
    Q_OBJECT

private slots:
    void decodesTheFixtureCatalog()
    {
        QFile file(QStringLiteral(FIXTURES_DIR "/catalog.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString error;
        const std::optional<HostCatalog> catalog =
            WireCodec::decoder().decode<HostCatalog>(file.readAll(), &error);
        QVERIFY2(catalog, qPrintable(error));
        QCOMPARE(catalog->shortcuts, QStringList({"Quit Sonobus", "Lights Off"}));
        QCOMPARE(catalog->apps.size(), std::size_t(2));
        QCOMPARE(catalog->apps[0].bundleID, std::optional<QString>("firefox-esr.desktop"));
        QVERIFY(!catalog->apps[1].bundleID);
        const HostCatalog::AppControls &mixer = catalog->appControls.at(0);
        QVERIFY(mixer.isRunning);
        QCOMPARE(mixer.controls[0].group, std::optional<QString>("Master"));
        QCOMPARE(mixer.controls[0].on, std::optional(true));
        QCOMPARE(mixer.controls[1].text, std::optional<QString>("-6 dB"));
        QVERIFY(mixer.controls[1].readOnly);
        QCOMPARE(HostCatalog::fromJson(catalog->toJson()), catalog);
    }

    void decodes_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<std::size_t>("appControls");
        QTest::newRow("without app_controls")
            << QByteArray(R"({"shortcuts":[],"apps":[],"running_apps":[]})") << true
            << std::size_t(0);
        QTest::newRow("null app_controls")
            << QByteArray(R"({"shortcuts":[],"apps":[],"running_apps":[],"app_controls":null})")
            << true << std::size_t(0);
        QTest::newRow("without running_apps")
            << QByteArray(R"({"shortcuts":[],"apps":[],"app_controls":[]})") << false
            << std::size_t(0);
        QTest::newRow("null shortcuts")
            << QByteArray(R"({"shortcuts":null,"apps":[],"running_apps":[]})") << false
            << std::size_t(0);
        QTest::newRow("a shortcut that is a number")
            << QByteArray(R"({"shortcuts":["a",1],"apps":[],"running_apps":[]})") << false
            << std::size_t(0);
        QTest::newRow("app without path")
            << QByteArray(R"({"shortcuts":[],"apps":[{"name":"A"}],"running_apps":[]})") << false
            << std::size_t(0);
        QTest::newRow("item without read_only")
            << QByteArray(R"({"shortcuts":[],"apps":[],"running_apps":[],"app_controls":[)"
                          R"({"app":"a","name":"A","is_running":true,"controls":[)"
                          R"({"id":"i","name":"I","kind":"toggle"}]}]})")
            << false << std::size_t(0);
        QTest::newRow("item with only required keys")
            << QByteArray(R"({"shortcuts":[],"apps":[],"running_apps":[],"app_controls":[)"
                          R"({"app":"a","name":"A","is_running":false,"controls":[)"
                          R"({"id":"i","name":"I","kind":"toggle","read_only":true}]}]})")
            << true << std::size_t(1);
        QTest::newRow("is_running as a number")
            << QByteArray(R"({"shortcuts":[],"apps":[],"running_apps":[],"app_controls":[)"
                          R"({"app":"a","name":"A","is_running":1,"controls":[]}]})")
            << false << std::size_t(0);
    }

    void decodes()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QFETCH(std::size_t, appControls);
        const std::optional<HostCatalog> catalog = HostCatalog::fromJson(parse(json));
        QCOMPARE(catalog.has_value(), decodes);
        if (catalog)
            QCOMPARE(catalog->appControls.size(), appControls);
    }

    void writesAppControlsAlways()
    {
        const QJsonObject json = HostCatalog{}.toJson();
        QVERIFY(json.value(QStringLiteral("app_controls")).isArray());
        QVERIFY(json.value(QStringLiteral("app_controls")).toArray().isEmpty());
    }

    void writesAnAppWithoutBundleIdWithoutTheKey()
    {
        const std::optional<HostCatalog::App> app =
            HostCatalog::App::fromJson(parse(R"({"name":"A","path":"/p"})"));
        QVERIFY(app);
        QVERIFY(!app->toJson().contains(QStringLiteral("bundle_id")));
    }

    void decodesItemsWithoutOptionalKeys()
    {
        const std::optional<Item> decoded =
            Item::fromJson(parse(R"({"id":"i","name":"I","kind":"level","read_only":false})"));
        QVERIFY(decoded);
        QVERIFY(!decoded->group && !decoded->text && !decoded->on);
    }

    void mapsKindsToControlTypes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<std::optional<ControlType>>("type");
        QTest::newRow("toggle") << "toggle" << std::optional(ControlType::toggle);
        QTest::newRow("button") << "button" << std::optional(ControlType::button);
        QTest::newRow("level") << "level" << std::optional(ControlType::metric);
        QTest::newRow("Toggle") << "Toggle" << std::optional<ControlType>();
        QTest::newRow("steps") << "steps" << std::optional<ControlType>();
        QTest::newRow("meter") << "meter" << std::optional<ControlType>();
        QTest::newRow("empty") << "" << std::optional<ControlType>();
    }

    void mapsKindsToControlTypes()
    {
        QFETCH(QString, kind);
        QFETCH(std::optional<ControlType>, type);
        QCOMPARE(item(QStringLiteral("i"), QStringLiteral("I"), kind).controlType(), type);
    }

    void findsItemsById()
    {
        const HostCatalog::AppControls app{
            QStringLiteral("a"),
            QStringLiteral("A"),
            true,
            {item(QString(), QStringLiteral("blank")), item(QStringLiteral("x"), "first"),
             item(QStringLiteral("x"), "second"), item(QStringLiteral("cafe\u0301"), "cafe")}};
        QCOMPARE(app.item(QStringLiteral("x"))->name, QStringLiteral("first"));
        QVERIFY(!app.item(std::nullopt));
        QCOMPARE(app.item(QString())->name, QStringLiteral("blank"));
        QCOMPARE(app.item(QStringLiteral("caf\u00e9"))->name, QStringLiteral("cafe"));
        QVERIFY(!app.item(QStringLiteral("y")));
    }

    void findsAnAppsIdentifierByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::optional<QString>>("appID");
        QTest::newRow("with an identifier") << "Music" << std::optional<QString>("org.music");
        QTest::newRow("without one") << "Notes" << std::optional<QString>();
        QTest::newRow("the first of two") << "Twin" << std::optional<QString>("org.twin.first");
        QTest::newRow("not installed") << "Mail" << std::optional<QString>();
    }

    void findsAnAppsIdentifierByName()
    {
        QFETCH(QString, name);
        QFETCH(std::optional<QString>, appID);
        HostCatalog catalog;
        catalog.apps = {{"Music", "/apps/music", "org.music"},
                        {"Notes", "/apps/notes", std::nullopt},
                        {"Twin", "/apps/twin1", "org.twin.first"},
                        {"Twin", "/apps/twin2", "org.twin.second"}};
        QCOMPARE(catalog.appID(name), appID);
    }

    void comparesAndHashesApps()
    {
        const HostCatalog::App with{QStringLiteral("A"), QStringLiteral("/p"), QString()};
        const HostCatalog::App without{QStringLiteral("A"), QStringLiteral("/p"), std::nullopt};
        QVERIFY(!(with == without));
        const HostCatalog::App renamed{QStringLiteral("B"), QStringLiteral("/p"), std::nullopt};
        QVERIFY(!(renamed == without));
        QCOMPARE(renamed.id(), without.id());
        const HostCatalog::App precomposed{QStringLiteral("Caf\u00e9"), QStringLiteral("/p"),
                                           QStringLiteral("\u00e9")};
        const HostCatalog::App decomposed{QStringLiteral("Cafe\u0301"), QStringLiteral("/p"),
                                          QStringLiteral("e\u0301")};
        QCOMPARE(precomposed, decomposed);
        QCOMPARE(qHash(precomposed, 7), qHash(decomposed, 7));
        const QSet<HostCatalog::App> apps{precomposed, decomposed, with, without};
        QCOMPARE(apps.size(), 3);
    }

    void decodesHostInfo_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("complete")
            << QByteArray(R"({"host_name":"H","version":"dev","deck_editing_allowed":false})")
            << true;
        QTest::newRow("without deck_editing_allowed")
            << QByteArray(R"({"host_name":"H","version":"dev"})") << false;
        QTest::newRow("deck_editing_allowed as text")
            << QByteArray(R"({"host_name":"H","version":"dev","deck_editing_allowed":"true"})")
            << false;
        QTest::newRow("version as a number")
            << QByteArray(R"({"host_name":"H","version":2,"deck_editing_allowed":true})") << false;
    }

    void decodesHostInfo()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        const std::optional<HostInfo> info = HostInfo::fromJson(parse(json));
        QCOMPARE(info.has_value(), decodes);
        if (info)
            QCOMPARE(HostInfo::fromJson(info->toJson()), info);
    }
};

QTEST_GUILESS_MAIN(HostCatalogTest)
#include "HostCatalogTest.moc"
