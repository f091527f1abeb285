#include "../EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/ActionPopover.h"
#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "QuorvelClientUI/Views/Editor/AppControlPopover.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ChipPopovers.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/IntervalPopover.h"
#include "QuorvelClientUI/Views/Editor/MetricSourcePopover.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "QuorvelClientUI/Views/Editor/StatusPopover.h"
#include "QuorvelClientUI/Views/Editor/TryRow.h"
#include "QuorvelClientUI/Views/Editor/TypePopover.h"
#include "QuorvelClientUI/Views/Editor/WordLabel.h"
#include "Widgets/IconTheme.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/PlainTextField.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <QPointer>

#include <algorithm>
#include <memory>

using namespace Quorvel;
using namespace EditorTest;

using Kind = StatusCheck::Kind;

namespace {

// A value that a popover edits, as the card's working copy would hold it.
template<typename T> struct Held {
    T value;
    int writes = 0;
    EditBinding<T> binding()
    {
        return {[this] { return value; },
                [this](const T &next) {
                    value = next;
                    ++writes;
                }};
    }
};

QToolButton *row(const QList<QToolButton *> &rows, const QString &name)
{
    for (QToolButton *row : rows) {
        if (row->objectName() == name)
            return row;
    }
    return nullptr;
}

} // namespace

class ChipPopoversTest : public QObject {
    Q_OBJECT

private:
    ScriptedEditorClient m_client;

private slots:
    void initTestCase()
    {
        IconTheme::setUp();
        m_client.connectTo("Studio", Deck{"Deck", {}});
        m_client.setCatalog(studioCatalog());
    }

    void actionPopoverSwitchesChoicesAndTries()
    {
        Held<Action> held{action(Action::Kind::app, "Rhythmbox", 4)};
        ActionPopover popover("Pressing it…", held.binding(), m_client);
        popover.show();
        QCOMPARE(popover.choiceBox()->currentText(), "Open an app");
        QCOMPARE(popover.choiceBox()->count(), 7);
        const int quit = popover.choiceBox()->findText("Quit an app");
        popover.choiceBox()->setCurrentIndex(quit);
        emit popover.choiceBox()->activated(quit);
        QCOMPARE(held.value, quitAppScript("Rhythmbox", 4));
        QCOMPARE(popover.choiceBox()->currentText(), "Quit an app");
        QVERIFY(popover.tryRow()->button()->isEnabled());
        QTest::mouseClick(popover.tryRow()->button(), Qt::LeftButton);
        QCOMPARE(popover.tryRow()->button()->text(), "Trying…");
        QTRY_VERIFY(popover.tryRow()->result().has_value());
        const int command = popover.choiceBox()->findText("Run a command");
        emit popover.choiceBox()->activated(command);
        QCOMPARE(held.value, action(Action::Kind::shell, "", 4));
        QVERIFY(!popover.tryRow()->result());
        QVERIFY(!popover.tryRow()->button()->isEnabled());
        QTest::keyClicks(popover.editor()->findChild<QPlainTextEdit *>("code"), "echo hi");
        QCOMPARE(held.value.target, "echo hi");
        QVERIFY(popover.tryRow()->button()->isEnabled());
    }

    // Before the first try the row says where the action will run, and follows the host's name.
    void actionPopoverSaysWhereATryRuns()
    {
        ScriptedEditorClient client;
        client.connectTo("Studio", Deck{"Deck", {}});
        Held<Action> held{action(Action::Kind::app, "Rhythmbox")};
        ActionPopover popover("Pressing it…", held.binding(), client);
        popover.show();
        auto *note = popover.tryRow()->findChild<QLabel *>("note");
        QVERIFY(note);
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), "Runs on Studio now");
        client.setHostInfo(HostInfo{"Attic", "1.0", true});
        QCOMPARE(note->text(), "Runs on Attic now");
        client.setHostInfo(std::nullopt);
        QCOMPARE(note->text(), "Runs on the host now");
        client.setHostInfo(HostInfo{"Attic", "1.0", true});
        QTest::mouseClick(popover.tryRow()->button(), Qt::LeftButton);
        QTRY_VERIFY(popover.tryRow()->result().has_value());
        QVERIFY(!note->isVisible());
    }

    // A catalog that arrives or changes while a popover is open shows in it at once.
    void popoversFollowTheCatalog()
    {
        ScriptedEditorClient client;
        client.connectTo("Studio", Deck{"Deck", {}});
        Held<Control> bound{control("x", "X", ControlType::toggle)};
        AppControlPopover controls(bound.binding(), client);
        Held<StatusCheck> readout{check(Kind::shellOutput, "date")};
        MetricSourcePopover source(readout.binding(), client);
        controls.show();
        source.show();
        QVERIFY(controls.findChild<QLabel *>("emptyTitle"));
        QVERIFY(!source.picker());

        client.setCatalog(studioCatalog());
        QVERIFY(row(controls.picker()->appRows(), "Player Pro"));
        QVERIFY(source.picker());
        QVERIFY(source.picker()->isVisible());
        QVERIFY(row(source.picker()->appRows(), "Player Pro"));

        HostCatalog renamed = studioCatalog();
        renamed.appControls.front().name = "Player Max";
        client.setCatalog(renamed);
        QVERIFY(row(controls.picker()->appRows(), "Player Max"));
        QVERIFY(row(source.picker()->appRows(), "Player Max"));

        HostCatalog none = studioCatalog();
        none.appControls.clear();
        client.setCatalog(none);
        QVERIFY(!source.picker());
        QCOMPARE(bound.writes, 0);
        QCOMPARE(readout.writes, 0);
    }

    // A popover closed while its try is out: the answer that comes later is dropped, and a
    // popover still open gets its own.
    void aTryAnsweredAfterItsPopoverClosedIsDropped()
    {
        Held<Action> held{action(Action::Kind::shell, "echo hi")};
        auto closed = std::make_unique<ActionPopover>("Pressing it…", held.binding(), m_client);
        ActionPopover open("Pressing it…", held.binding(), m_client);
        m_client.setTestsWait(true);
        closed->tryRow()->run();
        open.tryRow()->run();
        m_client.setTestsWait(false);
        QCOMPARE(m_client.waitingTests(), 2);
        QVERIFY(open.tryRow()->isBusy());
        closed.reset();
        QCOMPARE(m_client.answerTests(), 2);
        QTRY_VERIFY(open.tryRow()->result().has_value());
        QVERIFY(!open.tryRow()->isBusy());
    }

    void quittingAnUnnamedAppStaysAQuitThatCannotBeTried()
    {
        Held<Action> held{action(Action::Kind::shortcut, "")};
        ActionPopover popover("Turning it off…", held.binding(), m_client);
        const int quit = popover.choiceBox()->findText("Quit an app");
        emit popover.choiceBox()->activated(quit);
        QCOMPARE(popover.choiceBox()->currentText(), "Quit an app");
        QVERIFY(!popover.tryRow()->button()->isEnabled());
    }

    void actionPopoversAppControlPickerWritesOnlyOnAChoice()
    {
        Held<Action> held{action(Action::Kind::app, "Rhythmbox")};
        ActionPopover popover("Pressing it…", held.binding(), m_client);
        emit popover.choiceBox()->activated(
            popover.choiceBox()->findText("Use another app's control"));
        auto *picker = popover.editor()->findChild<AppControlPicker *>();
        QVERIFY(picker);
        QCOMPARE(picker->shownApp(), "a.b.Player");
        QCOMPARE(held.value.target, QString());
        QTest::mouseClick(row(picker->itemRows(), "mute"), Qt::LeftButton);
        QCOMPARE(held.value, appControlAction("a.b.Player", "mute", "on"));
        QTRY_VERIFY(popover.onOffGroup());
        QTRY_VERIFY(popover.onOffGroup()->buttons().first()->isVisibleTo(&popover));
        auto *off = popover.onOffGroup()->buttons().at(1);
        QTest::mouseClick(off, Qt::LeftButton);
        QCOMPARE(held.value.value, std::optional<QString>("off"));
        const int writes = held.writes;
        QTest::mouseClick(off, Qt::LeftButton);
        QCOMPARE(held.writes, writes);
    }

    void anUnofferedAppIsShownNotReplaced()
    {
        Control bound = control("x", "X", ControlType::toggle);
        useAppControl(bound, "gone.App", "lamp", ControlType::toggle);
        Held<Control> held{bound};
        AppControlPopover popover(held.binding(), m_client);
        popover.show();
        QCOMPARE(popover.picker()->shownApp(), "gone.App");
        QCOMPARE(held.writes, 0);
        QToolButton *gone = row(popover.picker()->appRows(), "gone.App");
        QVERIFY(gone);
        QVERIFY(gone->isChecked());
        QCOMPARE(gone->property("caption").toString(), "not offered now");
        QTest::mouseClick(row(popover.picker()->appRows(), "Player Pro"), Qt::LeftButton);
        QCOMPARE(held.writes, 0);
        QTRY_VERIFY(row(popover.picker()->itemRows(), "mute"));
        QVERIFY(!row(popover.picker()->itemRows(), "skip")->isEnabled());
        QTest::mouseClick(row(popover.picker()->itemRows(), "mute"), Qt::LeftButton);
        QCOMPARE(held.value.onAction, appControlAction("a.b.Player", "mute", "on"));
        QCOMPARE(held.value.statusCheck->target, "a.b.Player");
    }

    void statusPopoverReclickKeepsTheTarget()
    {
        Held<StatusCheck> held{check(Kind::processRunning, "Rhythmbox", 7)};
        StatusPopover popover(held.binding(), m_client);
        popover.show();
        auto *running = qobject_cast<QRadioButton *>(popover.rows()->button(0));
        QVERIFY(running->isChecked());
        QTest::mouseClick(running, Qt::LeftButton);
        QCOMPARE(held.value, check(Kind::processRunning, "Rhythmbox", 7));
        QCOMPARE(held.writes, 0);
        QTest::mouseClick(popover.rows()->button(1), Qt::LeftButton);
        QCOMPARE(held.value, check(Kind::shellExitCode, "", 7));
        QVERIFY(!popover.checkRow()->button()->isEnabled());
        QTest::keyClicks(popover.editor()->findChild<QLineEdit *>("command"), "true");
        QVERIFY(popover.checkRow()->button()->isEnabled());
    }

    void statusPopoverTurnsAnOutputCheckIntoAnExitCodeCheck()
    {
        Held<StatusCheck> held{check(Kind::shellOutput, "pgrep x")};
        StatusPopover popover(held.binding(), m_client);
        QVERIFY(popover.rows()->button(1)->isChecked());
        QTest::keyClicks(popover.editor()->findChild<QLineEdit *>("command"), "z");
        QCOMPARE(held.value, check(Kind::shellExitCode, "pgrep xz"));
    }

    void typePopoverConverts()
    {
        Held<Control> held{appSwitchControl("Rhythmbox", std::nullopt, {})};
        TypePopover popover(held.binding());
        QCOMPARE(popover.rows().size(), 3);
        QVERIFY(popover.rows().at(1)->isChecked());
        QTest::mouseClick(popover.rows().at(2), Qt::LeftButton);
        QCOMPARE(held.value.type, ControlType::metric);
        QCOMPARE(held.value.statusCheck->type, Kind::shellOutput);
        QVERIFY(popover.rows().at(2)->isChecked());
        QVERIFY(!popover.rows().at(1)->isChecked());
    }

    // In the type chip's popover every row shows its whole title and description, wrapped to
    // the popover's width.
    void typePopoverRowsShowTheirWholeText()
    {
        Held<Control> held{control("x", "X", ControlType::button)};
        QWidget window;
        auto *chip = new Chip("button", true, false, &window);
        ChipPopovers::attach(chip, ActionSentence::Part::type, held.binding(), m_client);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(chip, Qt::LeftButton);
        QVERIFY(chip->isShown());
        Popover *popover = chip->popover();
        QCOMPARE(popover->width(), Chip::popoverWidth);
        auto *types = qobject_cast<TypePopover *>(popover->content());
        QVERIFY(types);
        QCOMPARE(types->rows().size(), 3);
        for (QToolButton *row : types->rows()) {
            const QRect rowShown(row->mapTo(popover, QPoint(0, 0)), row->size());
            QVERIFY(popover->rect().contains(rowShown));
            const QList<PlainLabel *> labels = row->findChildren<PlainLabel *>();
            QCOMPARE(labels.size(), 2);
            for (PlainLabel *label : labels) {
                QCOMPARE(label->shownText(), label->text());
                const QRect needed = label->fontMetrics().boundingRect(
                    QRect(0, 0, label->width(), QWIDGETSIZE_MAX), Qt::TextWordWrap, label->text());
                QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                         qPrintable(label->text()));
                QVERIFY(row->rect().contains(label->geometry()));
            }
        }
        // The popover is as tall as its wrapped text: no room is left below the last row.
        const QWidget *last = types->rows().last();
        QCOMPARE(popover->height() - (last->mapTo(popover, QPoint(0, 0)).y() + last->height()),
                 Popover::padding + popover->frameWidth());
        chip->closePopover();
    }

    void metricSourcePopover()
    {
        Held<StatusCheck> held{check(Kind::appControl, "a.b.Player", std::nullopt, "volume")};
        MetricSourcePopover popover(held.binding(), m_client);
        popover.show();
        QCOMPARE(popover.commandField()->toPlainText(), QString());
        QVERIFY(popover.picker());
        QTest::mouseClick(row(popover.presetRows(), "uptime"), Qt::LeftButton);
        QCOMPARE(held.value.interval, 30.0);
        QVERIFY(row(popover.presetRows(), "uptime")->isChecked());
        QVERIFY(popover.commandField()->toPlainText().startsWith("uptime"));
        popover.commandField()->selectAll();
        QTest::keyClicks(popover.commandField(), "d");
        QCOMPARE(held.value, check(Kind::shellOutput, "d", 30));
        QVERIFY(!row(popover.presetRows(), "uptime")->isChecked());
        QTest::mouseClick(row(popover.picker()->itemRows(), "volume"), Qt::LeftButton);
        QCOMPARE(held.value, check(Kind::appControl, "a.b.Player", std::nullopt, "volume"));
    }

    void intervalPopoverActsOnToggles()
    {
        Held<std::optional<double>> held{45.0};
        IntervalPopover popover(held.binding());
        popover.show();
        QCOMPARE(popover.options()->buttons().size(), 8);
        QVERIFY(popover.options()->button(7)->isChecked());
        QCOMPARE(popover.options()->button(7)->text(), "Every 45 seconds");
        QTest::mouseClick(popover.options()->button(7), Qt::LeftButton);
        QCOMPARE(held.writes, 0);
        QTest::mouseClick(popover.options()->button(1), Qt::LeftButton);
        QCOMPARE(held.value, std::optional<double>(10));
        QTRY_COMPARE(popover.options()->buttons().size(), 7);
    }

    void intervalBeyondWhatFitsShowsTheHostsLongest()
    {
        Held<std::optional<double>> held{std::ldexp(1.0, 64)};
        IntervalPopover popover(held.binding());
        QCOMPARE(popover.options()->buttons().size(), 8);
        QCOMPARE(popover.options()->button(7)->text(), "Every 24 hours");
    }

    // A card's chip opens its popover; a change that redraws the sentence (and so the chip and
    // its popover) lands in the editor's row once the popover's click is over.
    void cardChipsOpenTheirPopoversAndEditTheRow()
    {
        ScriptedEditorClient client;
        client.connectTo("Studio", Deck{"Deck", {appSwitchControl("Rhythmbox", std::nullopt, {})}});
        client.setCatalog(studioCatalog());
        FixedLiveStates live;
        DeckEditorModel model(client);
        DeckEditorView view(model, live);
        model.appear();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(view.cards().size(), 1);
        QList<QString> opened;
        Chip *typeChip = nullptr;
        for (Chip *chip : view.cards().first()->chips()) {
            QTest::mouseClick(chip, Qt::LeftButton);
            QVERIFY(chip->isShown());
            QWidget *content = chip->popover()->content();
            opened.append(QString::fromLatin1(content->metaObject()->className()));
            if (qobject_cast<TypePopover *>(content))
                typeChip = chip;
            else
                chip->closePopover();
        }
        QVERIFY(opened.contains("Quorvel::ActionPopover"));
        QVERIFY(opened.contains("Quorvel::StatusPopover"));
        QVERIFY(typeChip);
        auto *types = qobject_cast<TypePopover *>(typeChip->popover()->content());
        QTest::mouseClick(types->rows().at(2), Qt::LeftButton);
        QTRY_COMPARE(model.items().first().control.type, ControlType::metric);
        QCOMPARE(model.items().first().control.statusCheck->type, Kind::shellOutput);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Every change of type from the type chip's popover: the popover stays open with its
    // checkmark on the new type, and the new sentence wraps at the card's width with every word
    // and chip shown inside the card, also where it grows by a line.
    void aChangeOfTypeShowsTheWholeSentence_data()
    {
        QTest::addColumn<ControlType>("from");
        QTest::addColumn<ControlType>("to");
        QTest::addColumn<bool>("withCheck");
        const QList<QPair<ControlType, const char *>> types{{ControlType::button, "button"},
                                                            {ControlType::toggle, "switch"},
                                                            {ControlType::metric, "readout"}};
        for (const auto &[from, fromName] : types) {
            for (const auto &[to, toName] : types) {
                if (from == to)
                    continue;
                for (const bool withCheck : {false, true}) {
                    QTest::addRow("%s to %s, %s", fromName, toName,
                                  withCheck ? "with a status check" : "no status check")
                        << from << to << withCheck;
                }
            }
        }
    }
    void aChangeOfTypeShowsTheWholeSentence()
    {
        QFETCH(ControlType, from);
        QFETCH(ControlType, to);
        QFETCH(bool, withCheck);
        Control before = control("hello", "Say Hello", from);
        const Action say = action(Action::Kind::shell, "notify-send Hello");
        if (from == ControlType::toggle) {
            before.onAction = say;
            before.offAction = say;
        } else if (from == ControlType::button) {
            before.action = say;
        }
        if (withCheck) {
            before.statusCheck = from == ControlType::metric ? check(Kind::shellOutput, "echo 21")
                                                             : check(Kind::shellExitCode, "true");
        }
        ScriptedEditorClient client;
        client.connectTo("Studio", Deck{"Deck", {before}});
        client.setCatalog(studioCatalog());
        FixedLiveStates live;
        DeckEditorModel model(client);
        DeckEditorView view(model, live);
        view.resize(DeckEditorView::minimumWidth, DeckEditorView::minimumHeight);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(view.cards().size(), 1);
        ControlCard *card = view.cards().first();
        const QPointer<Chip> typeChip = card->chips().first();
        QTest::mouseClick(typeChip, Qt::LeftButton);
        QVERIFY(typeChip->isShown());
        auto *types = qobject_cast<TypePopover *>(typeChip->popover()->content());
        QVERIFY(types);
        const int toRow = to == ControlType::button ? 0 : to == ControlType::toggle ? 1 : 2;
        QTest::mouseClick(types->rows().at(toRow), Qt::LeftButton);
        QTRY_COMPARE(model.items().first().control.type, to);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        auto *sentence = card->findChild<QWidget *>("sentence");
        QVERIFY(sentence);
        const QList<ActionSentence::Piece> pieces = ActionSentence::pieces(
            model.items().first().control, client.catalog(), client.hostInfo());
        QCOMPARE(card->chips().size(),
                 std::count_if(pieces.cbegin(), pieces.cend(),
                               [](const ActionSentence::Piece &piece) { return piece.part; }));
        const auto outside = [card, sentence] {
            QStringList cut;
            const QRect box(sentence->mapTo(card, QPoint(0, 0)), sentence->size());
            if (!card->rect().contains(box))
                cut.append(QStringLiteral("the sentence"));
            for (QWidget *piece : sentence->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (piece->isVisible() && sentence->rect().contains(piece->geometry()))
                    continue;
                const auto *word = qobject_cast<WordLabel *>(piece);
                cut.append(word ? word->text() : qobject_cast<Chip *>(piece)->label());
            }
            return cut;
        };
        QTRY_COMPARE(outside(), QStringList());

        QVERIFY(typeChip);
        QVERIFY(typeChip->isShown());
        QCOMPARE(typeChip->label(), ActionSentence::kindWord(to));
        for (int row = 0; row < types->rows().size(); ++row) {
            QCOMPARE(types->rows().at(row)->isChecked(), row == toRow);
            QCOMPARE(types->rows().at(row)->findChild<QLabel *>("checkmark")->isVisibleTo(types),
                     row == toRow);
        }
    }

    void noCatalogShowsThePickersEmptyState()
    {
        ScriptedEditorClient bare;
        Held<Control> held{appSwitchControl("Rhythmbox", std::nullopt, {})};
        AppControlPopover popover(held.binding(), bare);
        auto *title = popover.findChild<QLabel *>("emptyTitle");
        QVERIFY(title);
        QCOMPARE(title->text(), "No apps on the host offer their controls yet.");
        QCOMPARE(held.writes, 0);
    }
};

QTEST_MAIN(ChipPopoversTest)
#include "ChipPopoversTest.moc"
