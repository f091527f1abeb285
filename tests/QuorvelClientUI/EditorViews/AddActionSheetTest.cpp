#include "../EditorTestSupport.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AddActionPresenter.h"
#include "QuorvelClientUI/Views/Editor/AddActionProgressHeader.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "QuorvelClientUI/Views/Editor/AppIcon.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/PickerRow.h"
#include "Widgets/ElidedLabel.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace Quorvel;
using namespace EditorTest;

using Intent = AddActionFlow::Intent;

Q_DECLARE_METATYPE(Quorvel::AddActionFlow::Intent)

namespace {

QStringList rowValues(const CatalogPicker *picker)
{
    QStringList values;
    for (const PickerRow *row : picker->rows())
        values.append(row->value());
    return values;
}

QStringList comboValues(const QComboBox *combo)
{
    QStringList values;
    for (int index = 0; index < combo->count(); ++index)
        values.append(combo->itemData(index).toString());
    return values;
}

// The studio catalog with one more app and one more shortcut.
HostCatalog grownCatalog()
{
    HostCatalog catalog = studioCatalog();
    catalog.apps.push_back({"Kdenlive", "/usr/share/applications/org.kde.kdenlive.desktop",
                            "org.kde.kdenlive.desktop"});
    catalog.shortcuts.append("Evening");
    return catalog;
}

// The sheet over a link to "Studio" with the studio catalog, keeping what it adds.
struct Fixture {
    Fixture(std::optional<Intent> startIntent = std::nullopt,
            std::optional<Control> preset = std::nullopt,
            const std::optional<HostCatalog> &catalog = studioCatalog())
    {
        client.connectTo("Studio", Deck{"Deck", {}});
        client.setCatalog(catalog);
        sheet = new AddActionSheet(client, {}, preset, startIntent,
                                   [this](const Control &control) { added.push_back(control); });
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->show();
    }
    ~Fixture() { delete sheet.data(); }

    template<typename T> T *find(const QString &name) const
    {
        return sheet->stepView()->findChild<T *>(name);
    }

    ScriptedEditorClient client;
    QPointer<AddActionSheet> sheet;
    std::vector<Control> added;
};

} // namespace

class AddActionSheetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }

    void walksFromAKindToAddedAction()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(f.sheet));
        QCOMPARE(f.sheet->header()->texts(),
                 (QStringList{"What it does", "Pick it", "Try it and name it"}));
        QVERIFY(f.sheet->somethingElseButton()->isVisible());
        QVERIFY(!f.sheet->continueButton()->isVisible());
        QVERIFY(f.find<QWidget>("ideas"));
        QTest::mouseClick(f.find<QPushButton>("command"), Qt::LeftButton);
        QTRY_COMPARE(f.sheet->flow().step(), 2);
        QTRY_VERIFY(f.find<QPlainTextEdit>("command"));
        QVERIFY(!f.sheet->continueButton()->isEnabled());
        // AppleScript is not offered for a new command.
        QVERIFY(!f.find<QPushButton>("AppleScript"));
        QCOMPARE(f.find<QPlainTextEdit>("command")->placeholderText(),
                 "notify-send 'hello from Studio'");
        QTest::keyClicks(f.find<QPlainTextEdit>("command"), "echo hi");
        QVERIFY(f.sheet->continueButton()->isEnabled());
        QTest::mouseClick(f.sheet->continueButton(), Qt::LeftButton);
        QTRY_VERIFY(f.find<QLineEdit>("name"));
        QVERIFY(!f.sheet->addButton()->isEnabled());
        auto *tryButton = f.find<QWidget>("tryRow")->findChild<QPushButton *>();
        QCOMPARE(tryButton->text(), "Try It on Studio");
        f.client.setTestOutcome(ClientTestOutcome::action(false, "nope"));
        QTest::mouseClick(tryButton, Qt::LeftButton);
        QTRY_VERIFY(f.find<QWidget>("resultBox")->isVisible());
        QCOMPARE(f.find<QLabel>("hint")->text(),
                 "You can still add it and fix it on Studio later.");
        QTest::keyClicks(f.find<QLineEdit>("name"), "Say hi");
        QVERIFY(f.sheet->addButton()->isEnabled());
        QVERIFY(f.sheet->addButton()->isDefault());
        QTest::keyClick(f.find<QLineEdit>("name"), Qt::Key_Return);
        QTRY_COMPARE(f.added.size(), size_t(1));
        QCOMPARE(f.added.front().id, "say_hi");
        QCOMPARE(f.added.front().action->target, "echo hi");
        QTRY_VERIFY(!f.sheet);
    }

    void backKeepsTheTypedCommand()
    {
        Fixture f(Intent::command);
        QTRY_VERIFY(f.find<QPlainTextEdit>("command"));
        QTest::keyClicks(f.find<QPlainTextEdit>("command"), "ls");
        QTest::mouseClick(f.find<QPushButton>("Script file"), Qt::LeftButton);
        QTRY_VERIFY(f.find<QLineEdit>("command"));
        QCOMPARE(f.find<QLineEdit>("command")->text(), "ls");
        QTest::mouseClick(f.sheet->continueButton(), Qt::LeftButton);
        QTRY_COMPARE(f.sheet->flow().step(), 3);
        QTest::mouseClick(f.sheet->backButton(), Qt::LeftButton);
        QTRY_VERIFY(f.find<QLineEdit>("command"));
        QCOMPARE(f.find<QLineEdit>("command")->text(), "ls");
    }

    void appSwitchStepPicksHowItTurnsOff()
    {
        Fixture f(Intent::appSwitch);
        QTRY_VERIFY(f.find<CatalogPicker>(QString()));
        auto *picker = f.find<CatalogPicker>(QString());
        const auto row = [picker](const QString &name) -> PickerRow * {
            for (PickerRow *row : picker->rows()) {
                if (row->value() == name)
                    return row;
            }
            return nullptr;
        };
        QTest::mouseClick(row("Rhythmbox"), Qt::LeftButton);
        QTRY_COMPARE(f.sheet->flow().app(), "Rhythmbox");
        auto *quitBy = f.find<QComboBox>("quitBy");
        QCOMPARE(quitBy->currentText(), "Shortcut: Quit Rhythmbox");
        quitBy->setCurrentIndex(0);
        emit quitBy->activated(0);
        QCOMPARE(f.sheet->flow().quitShortcut(), std::nullopt);
        QTRY_VERIFY(row("Firefox ESR"));
        QTest::mouseClick(row("Firefox ESR"), Qt::LeftButton);
        QTRY_COMPARE(f.sheet->flow().app(), "Firefox ESR");
        QCOMPARE(quitBy->currentText(), "Quitting the app");
    }

    void returnInTheSearchPicksWithoutContinuing()
    {
        Fixture f(Intent::appSwitch);
        QVERIFY(QTest::qWaitForWindowExposed(f.sheet));
        f.sheet->flow().setApp("Rhythmbox");
        QVERIFY(f.sheet->continueButton()->isEnabled());
        auto *picker = f.find<CatalogPicker>(QString());
        QTest::keyClicks(picker->searchField(), "Firefox");
        QTest::keyClick(picker->searchField(), Qt::Key_Return);
        // The first row is the offer of the typed name.
        QTRY_COMPARE(f.sheet->flow().app(), "Firefox");
        QCoreApplication::processEvents();
        QCOMPARE(f.sheet->flow().step(), 2);
    }

    void valueStepShowsTheCommandOnlyForACommand()
    {
        Fixture f(Intent::value);
        QTRY_VERIFY(f.find<QToolButton>("freeDisk"));
        QVERIFY(f.find<QToolButton>("freeDisk")->isChecked());
        QVERIFY(f.find<QLineEdit>("customValue")->isHidden());
        QVERIFY(f.sheet->continueButton()->isEnabled());
        QTest::mouseClick(f.find<QToolButton>("command"), Qt::LeftButton);
        QVERIFY(!f.find<QLineEdit>("customValue")->isHidden());
        QVERIFY(!f.sheet->continueButton()->isEnabled());
        QTest::keyClicks(f.find<QLineEdit>("customValue"), "date");
        QTest::mouseClick(f.find<QToolButton>("uptime"), Qt::LeftButton);
        QVERIFY(f.find<QLineEdit>("customValue")->isHidden());
        QCOMPARE(f.sheet->flow().customValue(), "date");
    }

    void appControlStepNeverChoosesByItself()
    {
        Fixture f(Intent::appControl);
        QTRY_VERIFY(f.find<AppControlPicker>(QString()));
        auto *picker = f.find<AppControlPicker>(QString());
        QCOMPARE(picker->shownApp(), "a.b.Player");
        QCOMPARE(f.sheet->flow().controlApp(), QString());
        QVERIFY(!f.sheet->continueButton()->isEnabled());
        QToolButton *volume = nullptr;
        for (QToolButton *row : picker->itemRows()) {
            if (row->objectName() == "volume")
                volume = row;
        }
        QVERIFY(volume);
        QTest::mouseClick(volume, Qt::LeftButton);
        QCOMPARE(f.sheet->flow().controlApp(), "a.b.Player");
        QCOMPARE(f.sheet->flow().controlItem(), "volume");
        QVERIFY(f.find<QLabel>("description")->isVisible());
        QVERIFY(f.sheet->continueButton()->isEnabled());
    }

    void shortcutButtonTurnedIntoASwitch()
    {
        Control play = control("play", "Play", ControlType::button);
        play.action = action(Action::Kind::shortcut, "Morning");
        Fixture f(std::nullopt, play);
        QTRY_VERIFY(f.find<QCheckBox>("makeSwitch"));
        QVERIFY(!f.sheet->backButton()->isVisible());
        QVERIFY(f.find<QWidget>("switchOption")->isVisible());
        f.find<QCheckBox>("makeSwitch")->setChecked(true);
        QVERIFY(!f.sheet->addButton()->isEnabled());
        auto *status = f.find<QComboBox>("switchStatusApp");
        QCOMPARE(status->itemText(0), "Choose an app…");
        emit status->activated(2);
        QCOMPARE(f.sheet->flow().switchStatusApp(), "Rhythmbox");
        QVERIFY(f.sheet->addButton()->isEnabled());
        const QList<QPushButton *> tries = f.find<QWidget>("tryRow")->findChildren<QPushButton *>();
        QCOMPARE(tries.size(), 2);
    }

    // A catalog that comes after the sheet opened, or changes while it is open, shows at once.
    void firstStepFollowsTheCatalog()
    {
        Fixture f(std::nullopt, std::nullopt, std::nullopt);
        QVERIFY(QTest::qWaitForWindowExposed(f.sheet));
        const auto subtitle = [&f](const QString &intent) {
            return f.find<QPushButton>(intent)->findChild<QLabel *>("subtitle")->text();
        };
        QVERIFY(!f.find<QWidget>("ideas"));
        QCOMPARE(subtitle("shortcut"), "A button that runs one of Studio's shortcuts.");
        QVERIFY(subtitle("appControl").contains("apps like Mondrake"));

        f.client.setCatalog(studioCatalog());
        QVERIFY(f.find<QWidget>("ideas"));
        QTRY_VERIFY(f.find<QWidget>("ideas")->isVisible());
        QVERIFY(!f.find<QWidget>("ideas")->findChildren<QPushButton *>("idea").isEmpty());
        QCOMPARE(subtitle("shortcut"), "A button for one of Studio's 2 shortcuts.");
        QCOMPARE(subtitle("appControl"),
                 "Use a switch, button, or value from Player Pro, with its live state.");

        f.client.setCatalog(grownCatalog());
        QCOMPARE(subtitle("shortcut"), "A button for one of Studio's 3 shortcuts.");
        const auto ideaIDs = [&f] {
            QStringList ids;
            for (const QPushButton *idea : f.find<QWidget>("ideas")->findChildren<QPushButton *>())
                ids.append(idea->property("ideaID").toString());
            return ids;
        };
        QVERIFY(ideaIDs().contains("shortcut"));
        // Only the free disk idea needs nothing from the host.
        f.client.setCatalog(HostCatalog{});
        QCOMPARE(ideaIDs(), QStringList{"disk"});
        QCOMPARE(subtitle("shortcut"), "A button that runs one of Studio's shortcuts.");
    }

    void listsFollowTheCatalog_data()
    {
        QTest::addColumn<Intent>("intent");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("apps") << Intent::appSwitch << QStringList{"Firefox ESR", "Rhythmbox"}
                              << QStringList{"Firefox ESR", "Rhythmbox", "Kdenlive"};
        QTest::newRow("shortcuts") << Intent::shortcut << QStringList{"Morning", "Quit Rhythmbox"}
                                   << QStringList{"Morning", "Quit Rhythmbox", "Evening"};
    }
    void listsFollowTheCatalog()
    {
        QFETCH(Intent, intent);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        Fixture f(intent, std::nullopt, std::nullopt);
        QTRY_VERIFY(f.find<CatalogPicker>(QString()));
        auto *picker = f.find<CatalogPicker>(QString());
        QCOMPARE(rowValues(picker), QStringList());
        QTest::keyClicks(picker->searchField(), "e");
        f.client.setCatalog(studioCatalog());
        QCOMPARE(f.find<CatalogPicker>(QString()), picker);
        QCOMPARE(picker->searchField()->text(), "e");
        picker->searchField()->clear();
        QCOMPARE(rowValues(picker), before);
        f.client.setCatalog(grownCatalog());
        QCOMPARE(rowValues(picker), after);
    }

    void reviewPickersFollowTheCatalog()
    {
        Control play = control("play", "Play", ControlType::button);
        play.action = action(Action::Kind::shortcut, "Morning");
        Fixture f(std::nullopt, play);
        QTRY_VERIFY(f.find<QCheckBox>("makeSwitch"));
        auto *off = f.find<QComboBox>("offShortcut");
        auto *status = f.find<QComboBox>("switchStatusApp");
        QCOMPARE(comboValues(off), (QStringList{"Morning", "Quit Rhythmbox"}));
        QCOMPARE(comboValues(status), (QStringList{"", "Firefox ESR", "Rhythmbox"}));
        f.client.setCatalog(grownCatalog());
        QCOMPARE(f.find<QComboBox>("offShortcut"), off);
        QCOMPARE(comboValues(off), (QStringList{"Morning", "Quit Rhythmbox", "Evening"}));
        QCOMPARE(off->currentText(), "Morning");
        QCOMPARE(comboValues(status), (QStringList{"", "Firefox ESR", "Rhythmbox", "Kdenlive"}));
        QCOMPARE(status->itemText(3), "Kdenlive is running");
    }

    // The apps' rows show each app's icon, or its placeholder where this computer lacks the app.
    void appListShowsAppIcons()
    {
        HostCatalog catalog = studioCatalog();
        catalog.apps.push_back({"Not Installed Here", "/nowhere/x.desktop", std::nullopt});
        Fixture f(Intent::appSwitch, std::nullopt, catalog);
        QTRY_VERIFY(f.find<CatalogPicker>(QString()));
        const QList<PickerRow *> rows = f.find<CatalogPicker>(QString())->rows();
        QCOMPARE(rows.size(), 3);
        for (PickerRow *row : rows) {
            auto *icon = qobject_cast<AppIcon *>(row->leading());
            QVERIFY2(icon, qPrintable(row->value()));
            QCOMPARE(icon->size(), QSize(18, 18));
            QVERIFY(row->height() >= 18);
        }
        QVERIFY(qobject_cast<AppIcon *>(rows.last()->leading())->isPlaceholder());
    }

    // The review waits for a name: typing goes to the name field, a space too, and a result
    // coming in does not move the field.
    void reviewTakesTheNameWhereItStays()
    {
        Fixture f(Intent::command);
        QVERIFY(QTest::qWaitForWindowActive(f.sheet));
        QTRY_VERIFY(f.find<QPlainTextEdit>("command"));
        QTest::keyClicks(f.find<QPlainTextEdit>("command"), "echo hi");
        QTest::mouseClick(f.sheet->continueButton(), Qt::LeftButton);
        QTRY_VERIFY(f.find<QLineEdit>("name"));
        auto *name = f.find<QLineEdit>("name");
        QTRY_COMPARE(QApplication::focusWidget(), name);
        QTest::keyClicks(QApplication::focusWidget(), "Say hi");
        QCOMPARE(f.sheet->flow().step(), 3);
        QCOMPARE(f.sheet->flow().name(), "Say hi");

        QTRY_VERIFY(name->mapTo(f.sheet, QPoint()).y() > 0);
        const int nameTop = name->mapTo(f.sheet, QPoint()).y();
        f.client.setTestOutcome(ClientTestOutcome::action(false, "one\ntwo\nthree\nfour"));
        QTest::mouseClick(f.find<QWidget>("tryRow")->findChild<QPushButton *>(), Qt::LeftButton);
        QTRY_VERIFY(f.find<QWidget>("resultBox")->isVisible());
        QVERIFY(f.find<QLabel>("hint")->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(name->mapTo(f.sheet, QPoint()).y(), nameTop);
        const QWidget *box = f.find<QWidget>("resultBox");
        QVERIFY(box->geometry().bottom() <= f.find<QWidget>("resultSlot")->height());
    }

    // Chosen with the keyboard, a kind opens its step with the keyboard in the step's first field,
    // never on a footer button, where the next space would close the sheet.
    void spaceOnAKindGoesToTheStepsFirstField_data()
    {
        QTest::addColumn<Intent>("intent");
        for (Intent intent : AddActionFlow::allIntents)
            QTest::newRow(qPrintable(AddActionFlow::rawValue(intent))) << intent;
    }

    void spaceOnAKindGoesToTheStepsFirstField()
    {
        QFETCH(Intent, intent);
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(f.sheet));
        auto *card = f.find<QPushButton>(AddActionFlow::rawValue(intent));
        QVERIFY(card);
        card->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), card);
        QTest::keyClick(card, Qt::Key_Space);
        QTRY_COMPARE(f.sheet->flow().step(), 2);
        QWidget *first = nullptr;
        switch (intent) {
        case Intent::appSwitch:
        case Intent::shortcut:
            first = f.find<CatalogPicker>(QString())->searchField();
            break;
        case Intent::appControl:
            first = f.find<AppControlPicker>(QString())->appRows().value(0);
            break;
        case Intent::command:
            first = f.find<QPlainTextEdit>("command");
            break;
        case Intent::value:
            first = f.find<QToolButton>(ValuePreset::all().front().rawValue());
            break;
        }
        QVERIFY(first);
        QTRY_COMPARE(QApplication::focusWidget(), first);
        // The next space stays in the step: the sheet is still open.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(f.sheet->isVisible());
    }

    // Step 2's crumb shows the picked command; one too long for its place ends in "…" within it,
    // and the crumbs beside it stay whole.
    void longCommandCrumbEndsInAnEllipsis()
    {
        Fixture f(Intent::command);
        QVERIFY(QTest::qWaitForWindowExposed(f.sheet));
        const QString command = "rsync --archive --delete --exclude '*.tmp' ~/Music/ "
                                "backup@studio.local:/srv/backups/music/ && notify-send 'Music "
                                "backed up' && echo done";
        QTRY_VERIFY(f.find<QPlainTextEdit>("command"));
        f.find<QPlainTextEdit>("command")->setPlainText(command);
        QTest::mouseClick(f.sheet->continueButton(), Qt::LeftButton);
        QTRY_COMPARE(f.sheet->flow().step(), 3);
        const ElidedLabel *crumb = f.sheet->header()->label(1);
        QCOMPARE(crumb->text(), command);
        QTRY_VERIFY(crumb->shownText().endsWith(QStringLiteral("…")));
        const QString shown = crumb->shownText();
        QVERIFY2(command.startsWith(shown.chopped(1)), qPrintable(shown));
        QVERIFY(QFontMetricsF(crumb->font()).horizontalAdvance(shown) <= crumb->width());
        QVERIFY(crumb->geometry().right() <= f.sheet->header()->width());
        for (int other : {0, 2})
            QCOMPARE(f.sheet->header()->label(other)->shownText(),
                     f.sheet->header()->label(other)->text());
    }

    void closingDuringATryWritesNothing()
    {
        ScriptedEditorClient client;
        DeckEditorModel model(client);
        client.connectTo("Studio", Deck{"Deck", {control("a", "A", ControlType::button)}});
        QWidget window;
        new AddActionPresenter(model, &window);
        window.show();
        model.appear();
        model.startAdding();
        auto *presenter = window.findChild<AddActionPresenter *>();
        QTRY_VERIFY(presenter->sheet());
        QPointer<AddActionSheet> sheet = presenter->sheet();
        sheet->flow().somethingElse();
        sheet->flow().setCommand("echo hi");
        sheet->flow().setName("Hi");
        sheet->flow().tryPart(AddActionFlow::TryPart::action);
        QVERIFY(sheet->flow().isTrying());
        QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!sheet);
        QTRY_VERIFY(!model.addRequest());
        QCOMPARE(model.items().size(), 1);
        // A new request gets a fresh sheet that adds to the working copy.
        model.startAdding();
        QTRY_VERIFY(presenter->sheet());
        presenter->sheet()->flow().somethingElse();
        presenter->sheet()->flow().setName("Shell");
        QTest::mouseClick(presenter->sheet()->addButton(), Qt::LeftButton);
        QTRY_COMPARE(model.items().size(), 2);
        QCOMPARE(model.items().last().control.title, "Shell");
        QVERIFY(!model.items().last().original);
        QTRY_VERIFY(!model.addRequest());
    }
};

QTEST_MAIN(AddActionSheetTest)
#include "AddActionSheetTest.moc"
