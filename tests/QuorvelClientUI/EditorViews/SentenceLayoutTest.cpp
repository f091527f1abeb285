#include "QuorvelClientUI/Editor/ValuePreset.h"
#include "QuorvelClientUI/Views/Editor/ActionSentence.h"
#include "QuorvelClientUI/Views/Editor/FlowRows.h"
#include "QuorvelClientUI/Views/Editor/Words.h"

#include <QTest>

#include <limits>

using namespace Quorvel;

Q_DECLARE_METATYPE(Quorvel::Control)
Q_DECLARE_METATYPE(std::optional<Quorvel::HostCatalog>)

namespace {

using Pieces = QList<FlowRows::Piece>;
// Each row as the indexes of its pieces and the leading gap of each.
using Layout = QList<QList<QPair<int, double>>>;

FlowRows::Piece piece(double width, double height = 10, bool tight = false)
{
    return FlowRows::Piece{QSizeF(width, height), tight};
}

Layout layoutOf(const QList<FlowRows::Row> &rows)
{
    Layout layout;
    for (const FlowRows::Row &row : rows) {
        QList<QPair<int, double>> items;
        for (const FlowRows::Placed &placed : row.items)
            items.append({placed.index, placed.leading});
        layout.append(items);
    }
    return layout;
}

constexpr double unbounded = std::numeric_limits<double>::infinity();

Control readout(const QString &command, std::optional<double> interval = std::nullopt)
{
    Control control;
    control.id = QStringLiteral("r");
    control.type = ControlType::metric;
    control.statusCheck =
        StatusCheck{StatusCheck::Kind::shellOutput, command, interval, std::nullopt};
    return control;
}

HostCatalog catalogWithApps(const QStringList &names)
{
    HostCatalog catalog;
    for (const QString &name : names) {
        HostCatalog::App app;
        app.name = name;
        catalog.apps.push_back(app);
    }
    return catalog;
}

} // namespace

// The sentence's wrapping, its words and the pieces each kind of action reads as.
class SentenceLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<double>("maxWidth");
        QTest::addColumn<Layout>("expected");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");

        QTest::newRow("none") << Pieces{} << 100.0 << Layout{{}} << 0.0 << 0.0;
        QTest::newRow("fits on one line") << Pieces{piece(30), piece(30), piece(30)} << 100.0
                                          << Layout{{{0, 0}, {1, 4}, {2, 4}}} << 98.0 << 10.0;
        QTest::newRow("wraps when the next passes the width")
            << Pieces{piece(50), piece(50), piece(20)} << 100.0
            << Layout{{{0, 0}}, {{1, 0}, {2, 4}}} << 74.0 << 27.0;
        QTest::newRow("exactly the width stays")
            << Pieces{piece(48), piece(48)} << 100.0 << Layout{{{0, 0}, {1, 4}}} << 100.0 << 10.0;
        QTest::newRow("a tight piece wraps with the piece before it")
            << Pieces{piece(60), piece(36), piece(5, 10, true)} << 100.0
            << Layout{{{0, 0}}, {{1, 0}, {2, -1}}} << 60.0 << 27.0;
        QTest::newRow("a piece and its tight pieces that just fit stay")
            << Pieces{piece(60), piece(30), piece(5, 10, true), piece(3, 10, true)} << 100.0
            << Layout{{{0, 0}, {1, 4}, {2, -1}, {3, -1}}} << 100.0 << 10.0;
        QTest::newRow("one pixel more wraps them all")
            << Pieces{piece(60), piece(31), piece(5, 10, true), piece(3, 10, true)} << 100.0
            << Layout{{{0, 0}}, {{1, 0}, {2, -1}, {3, -1}}} << 60.0 << 27.0;
        QTest::newRow("a tight piece never starts a line, even past the width")
            << Pieces{piece(98), piece(5, 10, true), piece(20)} << 100.0
            << Layout{{{0, 0}, {1, -1}}, {{2, 0}}} << 102.0 << 27.0;
        QTest::newRow("a tight first piece gets no gap")
            << Pieces{piece(5, 10, true), piece(20)} << 100.0 << Layout{{{0, 0}, {1, 4}}} << 29.0
            << 10.0;
        QTest::newRow("a piece wider than the width has its own line")
            << Pieces{piece(10), piece(150), piece(10)} << 100.0
            << Layout{{{0, 0}}, {{1, 0}}, {{2, 0}}} << 150.0 << 44.0;
        QTest::newRow("no width: one line") << Pieces{piece(300), piece(300)} << unbounded
                                            << Layout{{{0, 0}, {1, 4}}} << 604.0 << 10.0;
        QTest::newRow("the tallest piece sets a line's height")
            << Pieces{piece(30, 10), piece(30, 20), piece(80, 12)} << 100.0
            << Layout{{{0, 0}, {1, 4}}, {{2, 0}}} << 80.0 << 39.0;
    }
    void rows()
    {
        QFETCH(Pieces, pieces);
        QFETCH(double, maxWidth);
        QFETCH(Layout, expected);
        QFETCH(double, width);
        QFETCH(double, height);
        constexpr double spacing = 4;
        constexpr double lineSpacing = 7;
        const auto rows = FlowRows::rows(pieces, maxWidth, spacing);
        QCOMPARE(layoutOf(rows), expected);
        QCOMPARE(FlowRows::width(rows), width);
        QCOMPARE(FlowRows::height(rows, lineSpacing), height);
    }

    void words_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QList<bool>>("tight");
        QTest::newRow("empty") << QString() << QStringList{} << QList<bool>{};
        QTest::newRow("spaces only") << QStringLiteral("   ") << QStringList{} << QList<bool>{};
        QTest::newRow("punctuation words")
            << QStringLiteral(" , and ; so") << QStringList{",", "and", ";", "so"}
            << QList<bool>{true, false, true, false};
        QTest::newRow("a parenthesis is not punctuation here")
            << QStringLiteral(".) ...") << QStringList{".)", "..."} << QList<bool>{false, true};
        QTest::newRow("tabs and line breaks stay inside")
            << QStringLiteral("a\tb c\nd") << QStringList{"a\tb", "c\nd"}
            << QList<bool>{false, false};
    }
    void words()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QFETCH(QList<bool>, tight);
        QStringList texts;
        QList<bool> tights;
        for (const Words::Word &word : Words::split(text)) {
            texts.append(word.text);
            tights.append(word.tight);
        }
        QCOMPARE(texts, words);
        QCOMPARE(tights, tight);
    }

    void sentence_data()
    {
        QTest::addColumn<Control>("control");
        QTest::addColumn<std::optional<HostCatalog>>("catalog");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<bool>>("warnings");

        Control button;
        button.type = ControlType::button;
        QTest::newRow("new button")
            << button << std::optional<HostCatalog>()
            << QStringList{"A", "button", ". Pressing it", "does nothing yet", "."}
            << QList<bool>{false, false, false, false, false};
        Control toggle;
        toggle.type = ControlType::toggle;
        QTest::newRow("new switch") << toggle << std::optional<HostCatalog>()
                                    << QStringList{"A",
                                                   "switch",
                                                   ". Turning it on",
                                                   "does nothing yet",
                                                   ". Turning it off",
                                                   "does nothing yet",
                                                   ". It shows on while",
                                                   "an app is running",
                                                   "."}
                                    << QList<bool>(9, false);
        Control opener = button;
        Action app;
        app.type = Action::Kind::app;
        app.target = QStringLiteral("Zephyr");
        opener.action = app;
        QTest::newRow("an app the host lacks warns")
            << opener << std::optional(catalogWithApps({"Files"}))
            << QStringList{"A", "button", ". Pressing it", "opens Zephyr", "."}
            << QList<bool>{false, false, false, true, false};
        QTest::newRow("no catalog, no warning")
            << opener << std::optional<HostCatalog>()
            << QStringList{"A", "button", ". Pressing it", "opens Zephyr", "."}
            << QList<bool>(5, false);
        QTest::newRow("uptime preset without host info")
            << readout(ValuePreset::uptime().command()) << std::optional<HostCatalog>()
            << QStringList{"A",
                           "readout",
                           ". It shows",
                           "how long the host has been up",
                           ", refreshed",
                           "every 5 seconds",
                           "."}
            << QList<bool>(7, false);
        QTest::newRow("two-line command, 42 characters whole")
            << readout(QStringLiteral("echo aaaaaaaaaaaaaaa\necho bbbbbbbbbbbbbbbb"), 60)
            << std::optional<HostCatalog>()
            << QStringList{"A",
                           "readout",
                           ". It shows",
                           "the output of echo aaaaaaaaaaaaaaa echo bbbbbbbbbbbbbbbb",
                           ", refreshed",
                           "every minute",
                           "."}
            << QList<bool>(7, false);
        QTest::newRow("43 characters are cut")
            << readout(QString(43, QChar(u'x'))) << std::optional<HostCatalog>()
            << QStringList{"A",
                           "readout",
                           ". It shows",
                           "the output of " + QString(40, QChar(u'x')) + QStringLiteral("\u2026"),
                           ", refreshed",
                           "every 5 seconds",
                           "."}
            << QList<bool>(7, false);
        QTest::newRow("blank command")
            << readout(QStringLiteral("  \n")) << std::optional<HostCatalog>()
            << QStringList{"A",           "readout",         ". It shows", "nothing yet",
                           ", refreshed", "every 5 seconds", "."}
            << QList<bool>(7, false);
        Control appSwitch;
        appSwitch.type = ControlType::toggle;
        appSwitch.onAction = Action::appControl(QStringLiteral("org.example.Player"),
                                                QStringLiteral("mute"), AppControlValue::on());
        appSwitch.offAction = Action::appControl(QStringLiteral("org.example.Player"),
                                                 QStringLiteral("mute"), AppControlValue::off());
        appSwitch.statusCheck =
            StatusCheck{StatusCheck::Kind::appControl, QStringLiteral("org.example.Player"),
                        std::nullopt, QStringLiteral("mute")};
        QTest::newRow("another app's control")
            << appSwitch << std::optional<HostCatalog>()
            << QStringList{"A", "switch", "for", "mute in Player", "."} << QList<bool>(5, false);
    }
    void sentence()
    {
        QFETCH(Control, control);
        QFETCH(std::optional<HostCatalog>, catalog);
        QFETCH(QStringList, texts);
        QFETCH(QList<bool>, warnings);
        const Control before = control;
        QStringList shownTexts;
        QList<bool> shownWarnings;
        for (const ActionSentence::Piece &piece :
             ActionSentence::pieces(control, catalog, std::nullopt)) {
            shownTexts.append(piece.text);
            shownWarnings.append(piece.warning);
        }
        QCOMPARE(shownTexts, texts);
        QCOMPARE(shownWarnings, warnings);
        // Reading the sentence stores no default.
        QCOMPARE(control, before);
    }
};

QTEST_GUILESS_MAIN(SentenceLayoutTest)
#include "SentenceLayoutTest.moc"
