#include "../EditorFixture.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/Banner.h"
#include "QuorvelClientUI/Views/Editor/ControlBadge.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "Widgets/IconTheme.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/StatusColors.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::EditorTest;

Q_DECLARE_METATYPE(Quorvel::ControlType)
Q_DECLARE_METATYPE(Quorvel::ClientTestOutcome)
Q_DECLARE_METATYPE(Quorvel::StatusTone)

namespace {

// An editor over a scripted link, shown as a window.
struct Editor {
    Editor() : live(true), model(client), view(model, live)
    {
        client.connectTo(QStringLiteral("Studio"), threeActions(), true);
        view.show();
    }

    ScriptedEditorClient client;
    FixedLiveStates live;
    DeckEditorModel model;
    DeckEditorView view;
};

int channelDistance(const QColor &a, const QColor &b)
{
    return std::max({qAbs(a.red() - b.red()), qAbs(a.green() - b.green()),
                     qAbs(a.blue() - b.blue())});
}

// The colour over base at alpha, as the painter blends it.
QColor blended(const QColor &base, const QColor &over, qreal alpha)
{
    const auto mix = [alpha](int b, int o) { return qRound(b * (1 - alpha) + o * alpha); };
    return QColor(mix(base.red(), over.red()), mix(base.green(), over.green()),
                  mix(base.blue(), over.blue()));
}

} // namespace

// The editor's colours and emphasis: badges, banners, result lines, the leading buttons and the
// help of the card's menu.
class EditorLooksTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }

    void badgeSymbolIsInItsTypesColour_data()
    {
        QTest::addColumn<ControlType>("type");
        QTest::addColumn<StatusTone>("tone");
        QTest::newRow("button") << ControlType::button << StatusTone::purple;
        QTest::newRow("switch") << ControlType::toggle << StatusTone::blue;
        QTest::newRow("readout") << ControlType::metric << StatusTone::orange;
    }
    void badgeSymbolIsInItsTypesColour()
    {
        QFETCH(ControlType, type);
        QFETCH(StatusTone, tone);
        constexpr int size = 60;
        ControlBadge badge(QStringLiteral("speaker.wave.2"), type, size);
        const QImage drawn = badge.grab().toImage();
        const QColor background = drawn.pixelColor(size / 2, 2);
        // The symbol's strongest pixel: the one furthest from the badge's tint.
        QColor strongest = background;
        for (int y = size / 4; y < size * 3 / 4; ++y) {
            for (int x = size / 4; x < size * 3 / 4; ++x) {
                const QColor pixel = drawn.pixelColor(x, y);
                if (channelDistance(pixel, background) > channelDistance(strongest, background))
                    strongest = pixel;
            }
        }
        const QColor expected = statusColor(tone, badge.palette());
        QVERIFY2(channelDistance(strongest, expected) < 40,
                 qPrintable(strongest.name() + " for " + expected.name()));
    }

    // The banner about the host's change is yellow at 15 %, over the window.
    void hostChangedBannerIsYellow()
    {
        Editor editor;
        Control lamp = editor.model.items().at(0).control;
        lamp.title = QStringLiteral("Desk Lamp");
        editor.model.setControl(editor.model.items().at(0).id, lamp);
        editor.client.setDeck(withTitle(threeActions(), 1, QStringLiteral("Ceiling Fan")));
        auto *banner = editor.view.findChild<Banner *>(QStringLiteral("hostChangedBanner"));
        QVERIFY(banner);
        QTRY_VERIFY(banner->isVisible());
        const QImage drawn = banner->grab().toImage();
        const QColor fill = drawn.pixelColor(drawn.width() / 2, 2);
        const QPalette palette = banner->palette();
        const QColor expected = blended(palette.color(QPalette::Window),
                                        statusColor(StatusTone::yellow, palette), 0.15);
        QVERIFY2(channelDistance(fill, expected) <= 3,
                 qPrintable(fill.name() + " for " + expected.name()));
    }

    void resultLineTakesEachOutcomesColour_data()
    {
        QTest::addColumn<ClientTestOutcome>("before");
        QTest::addColumn<ClientTestOutcome>("after");
        QTest::addColumn<StatusTone>("tone");
        const ClientTestOutcome value = ClientTestOutcome::statusCheck(std::nullopt, "71G");
        QTest::newRow("empty failure, then a value")
            << ClientTestOutcome::failed(QString()) << value << StatusTone::secondary;
        QTest::newRow("failure, then off")
            << ClientTestOutcome::failed("No answer from the host.")
            << ClientTestOutcome::statusCheck(false, "0.09") << StatusTone::secondary;
        QTest::newRow("value, then failure")
            << value << ClientTestOutcome::failed("nope") << StatusTone::red;
        QTest::newRow("value, then on")
            << value << ClientTestOutcome::statusCheck(true, "50%") << StatusTone::green;
    }
    // A readout's value reads in the secondary colour, whatever the line showed before.
    void resultLineTakesEachOutcomesColour()
    {
        QFETCH(ClientTestOutcome, before);
        QFETCH(ClientTestOutcome, after);
        QFETCH(StatusTone, tone);
        QWidget card;
        TestResultLabel result(before, &card);
        result.setOutcome(after);
        QCOMPARE(result.textLabel()->palette().color(QPalette::WindowText),
                 statusColor(tone, card.palette()));
    }

    // Add Action and Save lead the window: they carry its accent while they can be pressed.
    void addActionAndSaveAreProminent()
    {
        Editor editor;
        Control lamp = editor.model.items().at(0).control;
        lamp.title = QStringLiteral("Desk Lamp");
        editor.model.setControl(editor.model.items().at(0).id, lamp);
        const QPalette window = editor.view.palette();
        for (QPushButton *button : {editor.view.addButton(), editor.view.saveButton()}) {
            QVERIFY(button->isEnabled());
            QCOMPARE(button->palette().color(QPalette::Active, QPalette::Button),
                     window.color(QPalette::Active, QPalette::Highlight));
            QCOMPARE(button->palette().color(QPalette::Active, QPalette::ButtonText),
                     window.color(QPalette::Active, QPalette::HighlightedText));
        }
    }

    // A popover hung from near the screen's bottom opens upward enough to be seen whole, and
    // keeps to the screen when its content grows while it is open.
    void popoverStaysOnTheScreen()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget window;
        window.setGeometry(area.left() + 20, area.bottom() - 80, 300, 60);
        auto *anchor = new QPushButton(QStringLiteral("Icon"), &window);
        anchor->setGeometry(10, 20, 80, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *content = new QWidget;
        content->setFixedSize(200, 120);
        auto *popover = new Popover(anchor, content);
        popover->showBy(Popover::Side::trailing);
        const auto where = [popover, &area] {
            return QStringLiteral("%1,%2 %3x%4 in %5,%6 %7x%8")
                                  .arg(popover->x())
                                  .arg(popover->y())
                                  .arg(popover->width())
                                  .arg(popover->height())
                                  .arg(area.x())
                                  .arg(area.y())
                                  .arg(area.width())
                .arg(area.height());
        };
        QVERIFY2(area.contains(popover->geometry()), qPrintable(where()));
        content->setFixedSize(200, 300);
        QTRY_VERIFY(popover->height() >= 300);
        QVERIFY2(area.contains(popover->geometry()), qPrintable(where()));
        popover->close();
    }

    // The help of Copy Link shows on its item in the card's menu, before the submenu opens.
    void copyLinkHelpIsOnItsMenuItem()
    {
        Editor editor;
        ControlCard *card = editor.view.cards().at(0);
        emit card->moreMenu()->aboutToShow();
        QVERIFY(card->moreMenu()->toolTipsVisible());
        QAction *copy = nullptr;
        for (QAction *action : card->moreMenu()->actions()) {
            if (action->text() == QStringLiteral("Copy Link"))
                copy = action;
        }
        QVERIFY(copy && copy->menu());
        QCOMPARE(copy->toolTip(),
                 QStringLiteral("A link that runs this action, for launchers and other apps"));
    }
};

QTEST_MAIN(EditorLooksTest)
#include "EditorLooksTest.moc"
