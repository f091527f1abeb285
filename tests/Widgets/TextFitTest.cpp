#include "Widgets/TextFit.h"
#include "Widgets/BorderlessButton.h"
#include "Widgets/ElidedLabel.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/ProminentButton.h"
#include "Widgets/SymbolLabel.h"

#include "TextWalk.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace Quorvel;

namespace {

const QString wideName =
    QStringLiteral("WMWMWMWM Wide Workstation WWWW MMMM Mighty Machine Room 0123456");
// Far narrower than the wide name in any font.
constexpr int narrowWidth = 180;

using Make = std::function<QWidget *(const QString &text)>;

} // namespace

Q_DECLARE_METATYPE(Make)

// A label's or button's text that does not fit ends in "…" where it is cut, and pointing at it
// shows the whole text; text that fits shows whole, with no tip of its own.
class TextFitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TextFit::install(); }

    void cutTextShowsItIsCut_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QString>("text");
        const std::map<QString, Make> widgets{
            {"label", [](const QString &text) { return new PlainLabel(text, TextStyle::body); }},
            {"symbol label",
             [](const QString &text) {
                 return new SymbolLabel(QStringLiteral("checkmark.circle.fill"), text,
                                        TextStyle::body, StatusTone::green);
             }},
            {"path label",
             [](const QString &text) {
                 return new ElidedLabel(text, TextStyle::caption, StatusTone::none,
                                        Qt::ElideMiddle);
             }},
            {"button", [](const QString &text) { return new QPushButton(text); }},
            {"accent button", [](const QString &text) { return new ProminentButton(text); }},
            {"text button", [](const QString &text) { return new BorderlessButton(text); }},
            {"check box", [](const QString &text) { return new QCheckBox(text); }},
        };
        for (const auto &[name, make] : widgets) {
            QTest::addRow("%s, cut", qPrintable(name)) << make << "Save to " + wideName;
            QTest::addRow("%s, whole", qPrintable(name)) << make << QStringLiteral("Save");
        }
        // The whole text in the tip is read as text, never as markup.
        QTest::addRow("label, cut, markup") << widgets.at("label") << "<b>Bold</b> " + wideName;
    }

    void cutTextShowsItIsCut()
    {
        QFETCH(Make, make);
        QFETCH(QString, text);
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        QWidget *shown = make(text);
        layout->addWidget(shown);
        window.setFixedWidth(narrowWidth);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QStringList faults = TextWalk::faults(&window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QWidget *holder = shown;
        if (auto *symbol = qobject_cast<SymbolLabel *>(shown))
            holder = symbol->textLabel();
        QString drawn;
        for (const TextWalk::DrawnLine &line : TextWalk::drawnLines(holder))
            drawn += line.text;
        if (text.size() < 10) {
            QCOMPARE(drawn, text);
            QCOMPARE(TextWalk::tipOf(holder), QString());
        } else {
            QVERIFY2(drawn.contains(TextWalk::ellipsis), qPrintable(drawn));
            QCOMPARE(TextWalk::tipOf(holder), text);
        }
    }

    // Cut at its end, a button's label keeps its verb.
    void buttonKeepsItsVerb()
    {
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        auto *button = new ProminentButton("Save to " + wideName);
        layout->addWidget(button);
        window.setFixedWidth(narrowWidth);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QString drawn;
        for (const TextWalk::DrawnLine &line : TextWalk::drawnLines(button))
            drawn += line.text;
        QVERIFY2(drawn.startsWith(QStringLiteral("Save to ")) && drawn.endsWith(TextWalk::ellipsis),
                 qPrintable(drawn));
    }
};

QTEST_MAIN(TextFitTest)
#include "TextFitTest.moc"
