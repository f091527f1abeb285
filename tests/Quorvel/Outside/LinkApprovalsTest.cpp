#include "Quorvel/Outside/LinkApprovals.h"

#include "QuorvelClientUI/ClientSettings.h"

#include <QSignalSpy>
#include <QTest>

using namespace Quorvel;
using Entry = LinkApprovals::Entry;

Q_DECLARE_METATYPE(QList<LinkApprovals::Entry>)

namespace {

QVariantMap app(const QVariant &name, const QVariant &allowed)
{
    QVariantMap fields;
    if (name.isValid())
        fields.insert("name", name);
    if (allowed.isValid())
        fields.insert("allowed", allowed);
    return fields;
}

} // namespace

// The stored per-application answers: loading what is stored, tolerant of bad entries, and
// keeping them sorted and saved.
class LinkApprovalsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void loading_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QList<Entry>>("entries");

        QTest::newRow("nothing stored") << QVariant() << QList<Entry>();
        QTest::newRow("not a dictionary") << QVariant("org.a") << QList<Entry>();
        QTest::newRow("sorted by name ignoring case")
            << QVariant(QVariantMap{{"org.z", app("beta", true)},
                                    {"org.y", app("Alpha", false)},
                                    {"org.x", app("gamma", true)}})
            << QList<Entry>{
                   {"org.y", "Alpha", false}, {"org.z", "beta", true}, {"org.x", "gamma", true}};
        QTest::newRow("bad entries skipped, the rest kept")
            << QVariant(QVariantMap{{"org.a", app("Editor", true)},
                                    {"org.b", app("No Answer", QVariant())},
                                    {"org.c", QVariant("not a dictionary")},
                                    {"org.d", QVariantMap()},
                                    {"org.e", app("Text Answer", "true")},
                                    {"org.f", app("Browser", false)}})
            << QList<Entry>{{"org.f", "Browser", false}, {"org.a", "Editor", true}};
        QTest::newRow("a missing name shows the id")
            << QVariant(QVariantMap{{"org.a", app(QVariant(), true)},
                                    {"org.b", app(QVariant(7), false)}})
            << QList<Entry>{{"org.a", "org.a", true}, {"org.b", "org.b", false}};
        QTest::newRow("equal names keep their order")
            << QVariant(QVariantMap{{"org.a", app("Same", true)}, {"org.b", app("same", false)}})
            << QList<Entry>{{"org.a", "Same", true}, {"org.b", "same", false}};
    }

    void loading()
    {
        QFETCH(QVariant, stored);
        QFETCH(QList<Entry>, entries);
        if (stored.isValid())
            openClientSettings()->setValue(LinkApprovals::settingsKey, stored);
        QCOMPARE(LinkApprovals().entries(), entries);
    }

    void recordForgetAndReload()
    {
        LinkApprovals approvals;
        QSignalSpy changed(&approvals, &LinkApprovals::entriesChanged);
        approvals.record("org.b", "Zed", true);
        approvals.record("org.a", "Ann", false);
        approvals.record("org.b", "Bee", false);
        QCOMPARE(changed.size(), 3);
        QCOMPARE(approvals.entries(),
                 (QList<Entry>{{"org.a", "Ann", false}, {"org.b", "Bee", false}}));
        QCOMPARE(approvals.decision("org.b"), std::optional<bool>(false));
        QCOMPARE(approvals.decision("org.B"), std::nullopt);

        QCOMPARE(LinkApprovals().entries(), approvals.entries());
        approvals.forget("org.a");
        QCOMPARE(approvals.decision("org.a"), std::nullopt);
        QCOMPARE(LinkApprovals().entries(), (QList<Entry>{{"org.b", "Bee", false}}));
    }
};

QTEST_GUILESS_MAIN(LinkApprovalsTest)
#include "LinkApprovalsTest.moc"
