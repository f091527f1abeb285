#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/AppControlPickerRules.h"

using namespace Quorvel;
using namespace EditorTest;

using Rules = AppControlPickerRules;
using Item = HostCatalog::AppControls::Item;
Q_DECLARE_METATYPE(Quorvel::HostCatalog::AppControls::Item)
Q_DECLARE_METATYPE(QSet<Quorvel::ControlType>)

namespace {

Item item(const QString &kind, bool readOnly = false, std::optional<QString> text = {},
          std::optional<bool> on = {}, std::optional<QString> group = {})
{
    return Item{kind, kind, kind, group, readOnly, text, on};
}

HostCatalog::AppControls provider(const QString &app, bool running, std::vector<Item> items = {})
{
    HostCatalog::AppControls made;
    made.app = app;
    made.name = app;
    made.isRunning = running;
    made.controls = std::move(items);
    return made;
}

const QSet<ControlType> all{ControlType::button, ControlType::toggle, ControlType::metric};

} // namespace

class AppControlPickerRulesTest : public QObject {
    Q_OBJECT

private slots:
    void items_data()
    {
        QTest::addColumn<Item>("item");
        QTest::addColumn<QSet<ControlType>>("allowed");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<bool>("usable");
        const QSet<ControlType> toggles{ControlType::toggle};
        QTest::newRow("switch on") << item("toggle", false, {}, true) << all << "switch.2"
                                   << "Switch \u00B7 On" << true;
        QTest::newRow("button for a switch-only action")
            << item("button") << toggles << "hand.tap"
            << "Button: this action can't use it" << false;
        QTest::newRow("text wins over on")
            << item("level", false, "42%", true) << all << "slider.horizontal.3"
            << "Readout \u00B7 42%" << true;
        QTest::newRow("read-only level")
            << item("level", true) << all << "gauge.with.dots.needle.50percent"
            << "Readout" << true;
        QTest::newRow("meter") << item("meter") << all << "waveform"
                               << "A live meter: not supported yet" << false;
        QTest::newRow("steps") << item("steps") << all << "questionmark.circle"
                               << "Not supported yet" << false;
    }

    void items()
    {
        QFETCH(Item, item);
        QFETCH(QSet<ControlType>, allowed);
        QFETCH(QString, symbol);
        QCOMPARE(Rules::symbol(item), symbol);
        QFETCH(QString, subtitle);
        QCOMPARE(Rules::subtitle(item, allowed), subtitle);
        QFETCH(bool, usable);
        QCOMPARE(Rules::isUsable(item, allowed), usable);
    }

    void captions()
    {
        const auto p = provider("p", true, {item("toggle"), item("button"), item("meter")});
        QCOMPARE(Rules::caption(p, all), "2 to use");
        QCOMPARE(Rules::caption(p, {ControlType::metric}), "0 to use");
        QCOMPARE(Rules::caption(provider("q", false, {item("toggle")}), all), "Not running");
    }

    void groupsAreRunsOfConsecutiveItems()
    {
        const auto p =
            provider("p", true,
                     {item("toggle", false, {}, {}, "A"), item("button", false, {}, {}, "A"),
                      item("level"), item("toggle", false, {}, {}, "A")});
        const QList<Rules::Group> groups = Rules::groups(p);
        QCOMPARE(groups.size(), 3);
        QCOMPARE(groups.at(0).name, std::optional<QString>("A"));
        QCOMPARE(groups.at(0).items.size(), size_t(2));
        QCOMPARE(groups.at(1).name, std::nullopt);
        QCOMPARE(groups.at(2).items.size(), size_t(1));
    }

    void theDefaultOnlyGuidesTheEye_data()
    {
        QTest::addColumn<QString>("app");
        QTest::addColumn<bool>("firstRuns");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("notOffered");
        QTest::newRow("none bound: the first running") << "" << false << "second" << false;
        QTest::newRow("none bound, none running: the first") << "" << true << "first" << false;
        QTest::newRow("bound and offered") << "first" << false << "first" << false;
        QTest::newRow("bound, no longer offered: kept and said so")
            << "gone" << false << "gone" << true;
    }

    void theDefaultOnlyGuidesTheEye()
    {
        QFETCH(QString, app);
        QFETCH(bool, firstRuns);
        std::vector<HostCatalog::AppControls> providers{provider("first", false),
                                                        provider("second", !firstRuns)};
        QFETCH(QString, shown);
        QCOMPARE(Rules::shownApp(providers, app), shown);
        QFETCH(bool, notOffered);
        QCOMPARE(Rules::isNotOffered(providers, app), notOffered);
        QCOMPARE(Rules::shownApp({}, ""), "");
    }
};

QTEST_GUILESS_MAIN(AppControlPickerRulesTest)
#include "AppControlPickerRulesTest.moc"
