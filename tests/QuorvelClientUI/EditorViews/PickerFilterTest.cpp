#include "QuorvelClientUI/Views/Editor/CatalogFilter.h"
#include "QuorvelClientUI/Views/Editor/IconCatalog.h"

#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(std::optional<QString>)

// What the catalog and icon pickers list for a search and a selection.
class PickerFilterTest : public QObject {
    Q_OBJECT

private slots:
    void catalog_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<std::optional<QString>>("offer");
        QTest::addColumn<QString>("count");

        const QStringList browsers{"Firefox", "Files"};
        QTest::newRow("padded upper-case search")
            << browsers << QString() << QStringLiteral("  FIRE ") << QStringList{"Firefox"}
            << std::optional<QString>(QStringLiteral("FIRE")) << QStringLiteral("1 of 2");
        QTest::newRow("equal ignoring case: no offer")
            << browsers << QString() << QStringLiteral("firefox") << QStringList{"Firefox"}
            << std::optional<QString>() << QStringLiteral("1 of 2");
        QTest::newRow("spaces only: as empty, still counted")
            << browsers << QStringLiteral("Files") << QStringLiteral("   ")
            << QStringList{"Files", "Firefox"} << std::optional<QString>()
            << QStringLiteral("2 of 2");
        QTest::newRow("tab trimmed, line break kept")
            << browsers << QString() << QStringLiteral("\tfi\n") << QStringList{}
            << std::optional<QString>(QStringLiteral("fi\n")) << QStringLiteral("0 of 2");
        QTest::newRow("selection first")
            << QStringList{"Mail", "Notes", "Music"} << QStringLiteral("Notes") << QString()
            << QStringList{"Notes", "Mail", "Music"} << std::optional<QString>() << QString();
        QTest::newRow("selection not an item keeps the order")
            << QStringList{"Mail", "Notes"} << QStringLiteral("Radio") << QString()
            << QStringList{"Mail", "Notes"} << std::optional<QString>() << QString();
        QTest::newRow("no items, a typed name is offered")
            << QStringList{} << QString() << QStringLiteral("Radio") << QStringList{}
            << std::optional<QString>(QStringLiteral("Radio")) << QStringLiteral("0 of 0");
    }
    void catalog()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, selection);
        QFETCH(QString, search);
        QFETCH(QStringList, listed);
        QFETCH(std::optional<QString>, offer);
        QFETCH(QString, count);
        const QStringList shown = CatalogFilter::listed(items, selection, search);
        QCOMPARE(shown, listed);
        QCOMPARE(CatalogFilter::offer(items, search), offer);
        QCOMPARE(CatalogFilter::countText(int(shown.size()), int(items.size()), search), count);
    }

    void offerLabel()
    {
        QCOMPARE(CatalogFilter::offerLabel(QStringLiteral("Radio")),
                 QStringLiteral("Use \u201CRadio\u201D"));
    }

    void icons_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("symbols");
        QTest::newRow("upper case finds lower-case names")
            << QStringLiteral("CIRCLE")
            << QStringList{"power.circle", "record.circle", "play.circle", "stop.circle",
                           "bolt.circle"};
        QTest::newRow("not trimmed") << QStringLiteral(" clock") << QStringList{};
        QTest::newRow("part of a name")
            << QStringLiteral("drive")
            << QStringList{"externaldrive", "internaldrive", "wrench.and.screwdriver"};
    }
    void icons()
    {
        QFETCH(QString, search);
        QFETCH(QStringList, symbols);
        QCOMPARE(IconCatalog::filtered(search), symbols);
    }

    void allIconsWithoutSearch()
    {
        QCOMPARE(IconCatalog::filtered(QString()), IconCatalog::symbols());
        QCOMPARE(IconCatalog::symbols().size(), 59);
        QCOMPARE(IconCatalog::symbols().first(), QStringLiteral("power.circle"));
        QCOMPARE(IconCatalog::symbols().last(), QStringLiteral("poweroff"));
    }
};

QTEST_GUILESS_MAIN(PickerFilterTest)
#include "PickerFilterTest.moc"
