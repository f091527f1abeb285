#include "QuorvelClientUI/Views/Editor/AdvancedSection.h"
#include "QuorvelClientUI/Views/Editor/AppIconLookup.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/FlowLayout.h"
#include "QuorvelClientUI/Views/Editor/IconPicker.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelClientUI/Views/Editor/PickerRow.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "Widgets/IconTheme.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace Quorvel;

namespace {

// A fixed-size piece for the flow layout.
QWidget *block(QWidget *parent, int width, int height)
{
    auto *widget = new QWidget(parent);
    widget->setFixedSize(width, height);
    return widget;
}

} // namespace

// The editor's shared widgets driven as a user drives them.
class EditorWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }

    void flowLayoutPlacesAndWraps()
    {
        QWidget box;
        auto *layout = new FlowLayout(4, 7, &box);
        QWidget *first = block(&box, 50, 10);
        QWidget *second = block(&box, 40, 20);
        QWidget *third = block(&box, 30, 10);
        QWidget *comma = block(&box, 5, 10);
        layout->addWidget(first, false);
        layout->addWidget(second, false);
        layout->addWidget(third, false);
        layout->addWidget(comma, true);
        QCOMPARE(layout->heightForWidth(100), 20 + 7 + 10);
        QCOMPARE(layout->sizeHint(), QSize(50 + 4 + 40 + 4 + 30 - 1 + 5, 20));
        layout->setGeometry(QRect(0, 0, 100, 37));
        QCOMPARE(first->geometry(), QRect(0, 5, 50, 10));
        QCOMPARE(second->geometry(), QRect(54, 0, 40, 20));
        QCOMPARE(third->geometry(), QRect(0, 27, 30, 10));
        QCOMPARE(comma->geometry(), QRect(29, 27, 5, 10));
    }

    // An editable chip with content opens its popover below itself and shows it as open until the
    // popover closes; a chip without content or that may not be edited opens nothing.
    void chipOpensItsPopover()
    {
        QWidget window;
        auto *chip = new Chip(QStringLiteral("does nothing yet"), true, false, &window);
        int made = 0;
        chip->setContent([&made] {
            ++made;
            return new QLabel(QStringLiteral("editor"));
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(chip->toolTip(), QStringLiteral("Change this"));
        QSignalSpy shown(chip, &Chip::shownChanged);
        QTest::mouseClick(chip, Qt::LeftButton);
        QVERIFY(chip->isShown());
        QCOMPARE(made, 1);
        QPointer<Popover> popover = chip->popover();
        QVERIFY(popover->isVisible());
        QCOMPARE(popover->width(), Chip::popoverWidth);
        QVERIFY(popover->geometry().top() >= chip->mapToGlobal(QPoint(0, chip->height())).y());
        QTest::keyClick(popover, Qt::Key_Escape);
        QTRY_VERIFY(!chip->isShown());
        QTRY_VERIFY(popover.isNull());
        QCOMPARE(shown.count(), 2);

        auto *plain = new Chip(QStringLiteral("button"), false, true, &window);
        plain->setContent([] { return new QLabel; });
        plain->show();
        QTest::mouseClick(plain, Qt::LeftButton);
        QVERIFY(!plain->isShown());
        QVERIFY(plain->toolTip().isEmpty());
        auto *empty = new Chip(QStringLiteral("switch"), true, false, &window);
        empty->show();
        QTest::mouseClick(empty, Qt::LeftButton);
        QVERIFY(!empty->isShown());
    }

    // Apply never closes the sheet by itself; Escape and Cancel close it without applying.
    void jsonEditorButtons()
    {
        QWidget window;
        window.show();
        auto *editor = new JSONEditor(QStringLiteral("Edit all actions as JSON"), &window);
        int applied = 0;
        editor->setApply([&applied, editor] {
            ++applied;
            editor->setError(QStringLiteral("That isn't a valid set of actions: oops"));
        });
        editor->setText(QStringLiteral("{"));
        editor->open();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QVERIFY(!editor->findChild<QWidget *>(QStringLiteral("error"))->isVisible());
        QTest::mouseClick(editor->applyButton(), Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(editor->isVisible());
        QVERIFY(editor->findChild<QWidget *>(QStringLiteral("error"))->isVisible());
        QCOMPARE(editor->text(), QStringLiteral("{"));
        QSignalSpy rejected(editor, &QDialog::rejected);
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(rejected.count(), 1);
        QVERIFY(!editor->isVisible());
        QCOMPARE(applied, 1);
    }

    void catalogPickerPicks()
    {
        CatalogPicker picker;
        picker.setItems({"Mail", "Notes", "Safari"});
        picker.setSelection(QStringLiteral("Notes"));
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QStringList values;
        for (PickerRow *row : picker.rows())
            values.append(row->value());
        QCOMPARE(values, (QStringList{"Notes", "Mail", "Safari"}));
        QVERIFY(picker.rows().first()->isSelected());
        QSignalSpy picked(&picker, &CatalogPicker::selectionChanged);
        QTest::keyClicks(picker.searchField(), QStringLiteral(" Radio "));
        QCOMPARE(picker.countText(), QStringLiteral("0 of 3"));
        QCOMPARE(picker.rows().size(), 1);
        QCOMPARE(picker.rows().first()->text(), QStringLiteral("Use \u201CRadio\u201D"));
        QTest::mouseClick(picker.rows().first(), Qt::LeftButton);
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picker.selection(), QStringLiteral("Radio"));
        QCOMPARE(picker.searchField()->text(), QStringLiteral(" Radio "));
    }

    void catalogPickerEmptyNote()
    {
        CatalogPicker picker;
        QVERIFY(picker.findChild<QWidget *>(QStringLiteral("emptyNote")));
        QTest::keyClicks(picker.searchField(), QStringLiteral("Radio"));
        QCOMPARE(picker.rows().size(), 1);
        QVERIFY(picker.findChild<QWidget *>(QStringLiteral("emptyNote")));
    }

    void iconPickerPicks()
    {
        IconPicker picker(QStringLiteral("clock"));
        QCOMPARE(picker.cells().size(), 59);
        QVERIFY(picker.findChild<QToolButton *>(QStringLiteral("clock"))->isChecked());
        QSignalSpy picked(&picker, &IconPicker::iconPicked);
        QTest::keyClicks(picker.searchField(), QStringLiteral("CIRCLE"));
        QCOMPARE(picker.cells().size(), 5);
        QToolButton *bolt = picker.cells().last();
        QCOMPARE(bolt->toolTip(), QStringLiteral("bolt.circle"));
        QTest::mouseClick(bolt, Qt::LeftButton);
        QCOMPARE(picked.takeFirst().at(0).toString(), QStringLiteral("bolt.circle"));
        QCOMPARE(picker.icon(), QStringLiteral("bolt.circle"));
    }

    // Numbers are read as the user writes them: a German user types a decimal comma.
    void advancedFieldsReadTheLocale()
    {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        AdvancedSection section;
        Control toggle;
        toggle.id = QStringLiteral("fan");
        toggle.type = ControlType::toggle;
        toggle.onAction = Action{Action::Kind::shell, QStringLiteral("true"), 1.5, {}, {}};
        toggle.offAction = Action{Action::Kind::shell, QStringLiteral("true"), {}, {}, {}};
        toggle.statusCheck =
            StatusCheck{StatusCheck::Kind::shellExitCode, QStringLiteral("true"), {}, {}};
        section.showControl(toggle);
        section.show();
        QCOMPARE(section.giveUpField()->text(), QStringLiteral("1,5"));
        QCOMPARE(section.intervalLabel()->text(), QStringLiteral("Check every"));
        QSignalSpy edited(&section, &AdvancedSection::edited);
        section.giveUpField()->setFocus();
        section.giveUpField()->selectAll();
        QTest::keyClicks(section.giveUpField(), QStringLiteral("2,5"));
        QTest::keyClick(section.giveUpField(), Qt::Key_Return);
        QCOMPARE(edited.count(), 1);
        const Control written = edited.takeFirst().at(0).value<Control>();
        QCOMPARE(written.onAction->timeout, std::optional<double>(2.5));
        QCOMPARE(written.offAction->timeout, std::optional<double>(2.5));
        section.showControl(written);
        section.intervalField()->setFocus();
        QTest::keyClicks(section.intervalField(), QStringLiteral("0,25"));
        QTest::keyClick(section.intervalField(), Qt::Key_Return);
        QCOMPARE(edited.takeFirst().at(0).value<Control>().statusCheck->interval,
                 std::optional<double>(0.25));
        QLocale::setDefault(before);
    }

    // Clearing a field removes its setting: the time-out of every run, or the check interval.
    void clearingAnAdvancedFieldRemovesTheValue_data()
    {
        QTest::addColumn<bool>("readout");
        QTest::addColumn<QString>("field");
        QTest::newRow("give up after") << false << QStringLiteral("giveUp");
        QTest::newRow("check every") << false << QStringLiteral("interval");
        QTest::newRow("refresh every") << true << QStringLiteral("interval");
    }
    void clearingAnAdvancedFieldRemovesTheValue()
    {
        QFETCH(bool, readout);
        QFETCH(QString, field);
        const ControlType type = readout ? ControlType::metric : ControlType::toggle;
        AdvancedSection section;
        Control control;
        control.id = QStringLiteral("fan");
        control.type = type;
        if (type == ControlType::toggle) {
            control.onAction = Action{Action::Kind::shell, QStringLiteral("true"), 20, {}, {}};
            control.offAction = Action{Action::Kind::shell, QStringLiteral("true"), 20, {}, {}};
        }
        control.statusCheck =
            StatusCheck{StatusCheck::Kind::shellExitCode, QStringLiteral("true"), 30, {}};
        section.showControl(control);
        section.show();
        auto *edit = section.findChild<QLineEdit *>(field);
        QVERIFY(edit);
        QVERIFY(!edit->text().isEmpty());
        QSignalSpy edited(&section, &AdvancedSection::edited);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edited.count(), 1);
        const Control written = edited.takeFirst().at(0).value<Control>();
        if (field == QStringLiteral("giveUp")) {
            QCOMPARE(written.onAction->timeout, std::optional<double>());
            QCOMPARE(written.offAction->timeout, std::optional<double>());
            QCOMPARE(written.statusCheck->interval, std::optional<double>(30));
        } else {
            QCOMPARE(written.statusCheck->interval, std::optional<double>());
        }
        QCOMPARE(edit->text(), QString());
    }

    void advancedRowsFollowTheType()
    {
        AdvancedSection section;
        Control readout;
        readout.type = ControlType::metric;
        section.showControl(readout);
        section.show();
        QVERIFY(!section.giveUpField()->isVisible());
        QVERIFY(section.intervalField()->isVisible());
        QCOMPARE(section.intervalLabel()->text(), QStringLiteral("Refresh every"));
        // Without a status check the interval has nowhere to go.
        QSignalSpy edited(&section, &AdvancedSection::edited);
        section.intervalField()->setFocus();
        QTest::keyClicks(section.intervalField(), QStringLiteral("9"));
        QTest::keyClick(section.intervalField(), Qt::Key_Return);
        QCOMPARE(edited.count(), 0);
        QCOMPARE(section.intervalField()->text(), QString());
        Control button;
        section.showControl(button);
        QVERIFY(section.giveUpField()->isVisible());
        QVERIFY(!section.intervalField()->isVisible());
    }

    // Each key is searched once for the life of the lookup, a miss too; the identifier is the
    // key when there is one.
    void appIconsAreCached()
    {
        QStringList asked;
        AppIconLookup lookup([&asked](const QString &name) -> std::optional<DesktopEntry> {
            asked.append(name);
            if (name == QStringLiteral("org.example.Terminal") ||
                name == QStringLiteral("Terminal"))
                return DesktopEntry{QStringLiteral("org.example.Terminal.desktop"),
                                    QStringLiteral("Terminal"),
                                    QString(),
                                    QStringLiteral("term"),
                                    QStringLiteral("utilities-terminal"),
                                    {},
                                    {},
                                    {},
                                    {}};
            return std::nullopt;
        });
        QVERIFY(lookup.icon(QStringLiteral("Terminal"), std::nullopt).has_value());
        QVERIFY(lookup.icon(QStringLiteral("Terminal"), std::nullopt).has_value());
        QVERIFY(lookup.icon(QStringLiteral("Other name"), QStringLiteral("org.example.Terminal"))
                    .has_value());
        QVERIFY(lookup.icon(QStringLiteral("Terminal"), QStringLiteral("org.example.Terminal"))
                    .has_value());
        QVERIFY(!lookup.icon(QStringLiteral("Missing"), std::nullopt).has_value());
        QVERIFY(!lookup.icon(QStringLiteral("Missing"), std::nullopt).has_value());
        // An unknown identifier falls back to the name.
        QVERIFY(lookup.icon(QStringLiteral("Terminal"), QStringLiteral("org.example.Gone"))
                    .has_value());
        QCOMPARE(asked, (QStringList{"Terminal", "org.example.Terminal", "Missing",
                                     "org.example.Gone", "Terminal"}));
    }
};

QTEST_MAIN(EditorWidgetsTest)
#include "EditorWidgetsTest.moc"
