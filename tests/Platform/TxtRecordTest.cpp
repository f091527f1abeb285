#include "Platform/Avahi/AvahiTxtRecord.h"

#include <QTest>

#include <avahi-common/strlst.h>

using Quorvel::TxtRecord;

class TxtRecordTest : public QObject {
    Q_OBJECT

private slots:
    void readsStrings_data()
    {
        QTest::addColumn<QList<QByteArray>>("strings");
        QTest::addColumn<TxtRecord>("expected");

        QTest::newRow("plain") << QList<QByteArray>{"v=2", "id=abc"}
                               << TxtRecord{{"v", "2"}, {"id", "abc"}};
        QTest::newRow("split at the first = only")
            << QList<QByteArray>{"key=a=b=c"} << TxtRecord{{"key", "a=b=c"}};
        QTest::newRow("empty value") << QList<QByteArray>{"v="} << TxtRecord{{"v", ""}};
        QTest::newRow("key without =") << QList<QByteArray>{"flag"} << TxtRecord{{"flag", ""}};
        QTest::newRow("first occurrence wins")
            << QList<QByteArray>{"v=1", "v=2"} << TxtRecord{{"v", "1"}};
        QTest::newRow("empty key ignored")
            << QList<QByteArray>{"=x", "", "v=2"} << TxtRecord{{"v", "2"}};
        QTest::newRow("utf-8 value")
            << QList<QByteArray>{"name=Caf\xc3\xa9"} << TxtRecord{{"name", QStringLiteral("Café")}};
    }

    void readsStrings()
    {
        QFETCH(QList<QByteArray>, strings);
        QFETCH(TxtRecord, expected);
        QCOMPARE(Quorvel::txtRecordFromStrings(strings), expected);
    }

    void writesKeyEqualsValue()
    {
        const TxtRecord record{{"v", "2"}, {"id", "a=b"}};
        QCOMPARE(Quorvel::txtStrings(record), (QList<QByteArray>{"id=a=b", "v=2"}));
    }

    void survivesAvahiStringList()
    {
        const TxtRecord record{
            {"v", "2"}, {"id", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"}, {"note", "x=y"}};
        AvahiStringList *list = Quorvel::avahiStringList(record);
        QCOMPARE(avahi_string_list_length(list), 3u);
        QCOMPARE(Quorvel::txtRecordFromAvahi(list), record);
        avahi_string_list_free(list);
    }
};

QTEST_GUILESS_MAIN(TxtRecordTest)
#include "TxtRecordTest.moc"
