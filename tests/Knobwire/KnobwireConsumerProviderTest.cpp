#include "Knobwire/KnobwireConsumerProvider.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace Knobwire;
using namespace Qt::StringLiterals;

namespace {

KnobwireConsumerProvider connectedEntry()
{
    return KnobwireConsumerProvider{
        .app = u"org.example.Mixer"_s,
        .name = u"Mixer"_s,
        .version = u"2.1"_s,
        .controls = {Control(u"vol"_s, u"Volume"_s, Control::Kind::level, 0.5, u"half"_s, true,
                             u"Main"_s),
                     Control(u"peak"_s, u"Peak"_s, Control::Kind::meter, {}, {}, {}, {}, 2, true)},
        .isConnected = true};
}

QJsonObject parsed(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class KnobwireConsumerProviderTest : public QObject {
    Q_OBJECT

private slots:
    void storedFormRoundTrips();
    void readsOptionalVersion();
    void refusesBrokenEntries_data();
    void refusesBrokenEntries();
    void rememberedDropsLiveState();
    void controlLookupTakesFirstExactId();
    void knownControlsDropsOtherKinds();
};

void KnobwireConsumerProviderTest::storedFormRoundTrips()
{
    const KnobwireConsumerProvider entry = connectedEntry();
    const QJsonObject json = entry.toJson();
    QCOMPARE(json.value(u"app"_s).toString(), entry.app);
    QCOMPARE(json.value(u"isConnected"_s).toBool(), true);
    QCOMPARE(json.value(u"controls"_s).toArray().size(), 2);
    QCOMPARE(KnobwireConsumerProvider::fromJson(json), entry);

    KnobwireConsumerProvider withoutVersion = entry;
    withoutVersion.version.reset();
    QVERIFY(!withoutVersion.toJson().contains(u"version"_s));
    QCOMPARE(KnobwireConsumerProvider::fromJson(withoutVersion.toJson()), withoutVersion);
}

void KnobwireConsumerProviderTest::readsOptionalVersion()
{
    const auto nullVersion = KnobwireConsumerProvider::fromJson(parsed(
        R"({"app":"a","name":"A","version":null,"controls":[],"isConnected":false,"extra":1})"));
    QVERIFY(nullVersion);
    QVERIFY(!nullVersion->version);
}

void KnobwireConsumerProviderTest::refusesBrokenEntries_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not an object") << QByteArray(R"([1])");
    QTest::newRow("no app") << QByteArray(R"({"name":"A","controls":[],"isConnected":false})");
    QTest::newRow("no name") << QByteArray(R"({"app":"a","controls":[],"isConnected":false})");
    QTest::newRow("no controls") << QByteArray(R"({"app":"a","name":"A","isConnected":false})");
    QTest::newRow("no isConnected") << QByteArray(R"({"app":"a","name":"A","controls":[]})");
    QTest::newRow("app of wrong type")
        << QByteArray(R"({"app":1,"name":"A","controls":[],"isConnected":false})");
    QTest::newRow("version of wrong type")
        << QByteArray(R"({"app":"a","name":"A","version":2,"controls":[],"isConnected":false})");
    QTest::newRow("isConnected as number")
        << QByteArray(R"({"app":"a","name":"A","controls":[],"isConnected":1})");
    QTest::newRow("control without id") << QByteArray(
        R"({"app":"a","name":"A","controls":[{"kind":"toggle"}],"isConnected":false})");
}

void KnobwireConsumerProviderTest::refusesBrokenEntries()
{
    QFETCH(QByteArray, json);
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonValue value =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    QVERIFY(!KnobwireConsumerProvider::fromJson(value));
}

void KnobwireConsumerProviderTest::rememberedDropsLiveState()
{
    const KnobwireConsumerProvider remembered = connectedEntry().remembered();
    QVERIFY(!remembered.isConnected);
    QCOMPARE(remembered.app, u"org.example.Mixer"_s);
    QCOMPARE(remembered.version, u"2.1"_s);
    const Control volume = *remembered.control(u"vol"_s);
    QVERIFY(!volume.value && !volume.text && !volume.on);
    QCOMPARE(volume.group, u"Main"_s);
    QCOMPARE(remembered.control(u"peak"_s)->channels, 2);
    QVERIFY(remembered.control(u"peak"_s)->readOnly);
}

void KnobwireConsumerProviderTest::controlLookupTakesFirstExactId()
{
    KnobwireConsumerProvider entry = connectedEntry();
    entry.controls.append(Control(u"vol"_s, u"Second"_s, Control::Kind::button));
    QCOMPARE(entry.control(u"vol"_s)->name, u"Volume"_s);
    QVERIFY(!entry.control(u"VOL"_s));
}

void KnobwireConsumerProviderTest::knownControlsDropsOtherKinds()
{
    const QList<Control> kept = knownControls(
        {Control(u"dial"_s, {}, Control::Kind(u"dial"_s)),
         Control(u"a"_s, {}, Control::Kind::button), Control(u"a"_s, {}, Control::Kind::toggle),
         Control(u"m"_s, {}, Control::Kind::meter, {}, {}, {}, {}, 3)});
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept.at(0).kind, Control::Kind::button);
    QCOMPARE(kept.at(1).channels, 1);
}

QTEST_GUILESS_MAIN(KnobwireConsumerProviderTest)
#include "KnobwireConsumerProviderTest.moc"
