#include "QuorvelCore/Link/WaitingPool.h"

#include <QTest>

using namespace Quorvel;
using Kind = WaitingPool::Admission::Kind;

Q_DECLARE_METATYPE(Kind)

namespace {

// Sources by their last digit: 2 is 127.0.0.2.
QHostAddress source(int last)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(last));
}

} // namespace

class WaitingPoolTest : public QObject {
    Q_OBJECT

private slots:
    void admission_data()
    {
        QTest::addColumn<QList<int>>("waiting");
        QTest::addColumn<int>("newcomer");
        QTest::addColumn<Kind>("kind");
        // The position in `waiting` of the connection that gives way; -1 for none.
        QTest::addColumn<int>("evicted");
        QTest::addColumn<qsizetype>("count");

        // Limits of the rows: 3 per address, 6 in all.
        QTest::newRow("empty pool") << QList<int>{} << 2 << Kind::admit << -1 << qsizetype(0);
        QTest::newRow("room left") << QList<int>{2, 3, 2} << 2 << Kind::admit << -1 << qsizetype(0);
        QTest::newRow("address at its limit, pool not full")
            << QList<int>{2, 2, 2} << 2 << Kind::sourceFull << -1 << qsizetype(3);
        QTest::newRow("full pool: a new address takes the busiest address's oldest")
            << QList<int>{3, 2, 2, 4, 2, 3} << 5 << Kind::admit << 1 << qsizetype(6);
        QTest::newRow("full pool: of equally busy addresses, the one waiting longest gives way")
            << QList<int>{4, 3, 3, 4, 2, 2} << 5 << Kind::admit << 0 << qsizetype(6);
        QTest::newRow("full pool: a less busy address still gets in")
            << QList<int>{2, 2, 2, 3, 3, 4} << 3 << Kind::admit << 0 << qsizetype(6);
        QTest::newRow("full pool: as busy as the busiest, refused")
            << QList<int>{2, 2, 3, 3, 4, 4} << 3 << Kind::poolFull << -1 << qsizetype(6);
        QTest::newRow("full pool, one address per place: a new address takes the oldest")
            << QList<int>{2, 3, 4, 5, 6, 7} << 8 << Kind::admit << 0 << qsizetype(6);
        QTest::newRow("full pool, one address per place: one of them again is refused")
            << QList<int>{2, 3, 4, 5, 6, 7} << 4 << Kind::poolFull << -1 << qsizetype(6);
    }

    void admission()
    {
        QFETCH(QList<int>, waiting);
        QFETCH(int, newcomer);
        QFETCH(Kind, kind);
        QFETCH(int, evicted);
        QFETCH(qsizetype, count);

        WaitingPool pool({3, 6});
        QList<QUuid> ids;
        for (int last : waiting) {
            ids.append(QUuid::createUuid());
            pool.add(ids.last(), source(last));
        }
        const WaitingPool::Admission admission = pool.admit(source(newcomer));
        QCOMPARE(admission.kind, kind);
        QCOMPARE(admission.evict, evicted < 0 ? std::nullopt : std::optional(ids.at(evicted)));
        QCOMPARE(admission.waiting, count);
        QCOMPARE(pool.size(), waiting.size());
    }

    // Connections leave the pool by id, and their places are free again.
    void removedConnectionsFreeTheirPlaces()
    {
        WaitingPool pool({2, 3});
        const QUuid first = QUuid::createUuid();
        pool.add(first, source(2));
        pool.add(QUuid::createUuid(), source(2));
        QCOMPARE(pool.admit(source(2)).kind, Kind::sourceFull);
        pool.remove(first);
        pool.remove(QUuid::createUuid());
        QCOMPARE(pool.count(source(2)), 1);
        QCOMPARE(pool.admit(source(2)).kind, Kind::admit);
        pool.clear();
        QCOMPARE(pool.size(), 0);
    }

    // One address in all its forms counts as one source.
    void sourceForms_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QString>("source");
        QTest::newRow("IPv4") << u"127.0.0.2"_qs << u"127.0.0.2"_qs;
        QTest::newRow("IPv4-mapped") << u"::ffff:127.0.0.2"_qs << u"127.0.0.2"_qs;
        QTest::newRow("IPv6") << u"fd00::1"_qs << u"fd00::1"_qs;
        QTest::newRow("link-local with its interface") << u"fe80::1%lo"_qs << u"fe80::1"_qs;
    }

    void sourceForms()
    {
        QFETCH(QString, peer);
        QFETCH(QString, source);
        QCOMPARE(WaitingPool::sourceOf(QHostAddress(peer)), QHostAddress(source));
    }
};

QTEST_GUILESS_MAIN(WaitingPoolTest)
#include "WaitingPoolTest.moc"
