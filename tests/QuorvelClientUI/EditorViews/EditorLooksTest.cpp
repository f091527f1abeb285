#include "../EditorFixture.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/Banner.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ControlBadge.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "QuorvelClientUI/Views/Editor/WordLabel.h"
#include "Widgets/ElidedLabel.h"
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
    explicit Editor(const Deck &deck = threeActions())
        : live(true), model(client), view(model, live)
    {
        client.connectTo(QStringLiteral("Studio"), deck, true);
        view.show();
    }

    ScriptedEditorClient client;
    FixedLiveStates live;
    DeckEditorModel model;
    DeckEditorView view;
};

int channelDistance(const QColor &a, const QColor &b)
{
    return std::max(
        {qAbs(a.red() - b.red()), qAbs(a.green() - b.green()), qAbs(a.blue() - b.blue())});
}

// The colour over base at alpha, as the painter blends it.
QColor blended(const QColor &base, const QColor &over, qreal alpha)
{
    const auto mix = [alpha](int b, int o) { return qRound(b * (1 - alpha) + o * alpha); };
    return QColor(mix(base.red(), over.red()), mix(base.green(), over.green()),
                  mix(base.blue(), over.blue()));
}

// Resizes a shown widget and lets its layouts, and the heights that follow from widths, settle.
void resizeWidth(QWidget &widget, int width)
{
    widget.resize(width, widget.height());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

QString geometryText(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

// Whether the widget's rectangle shows ink: a pixel of the window's text colour, more or less.
bool showsInk(QWidget &window, const QRect &rect)
{
    const QImage drawn = window.grab().toImage();
    const QColor background = window.palette().color(QPalette::Window);
    // Far enough from the background that only drawn text reaches it, not a tint.
    constexpr int inkDistance = 96;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (drawn.rect().contains(x, y) &&
                channelDistance(drawn.pixelColor(x, y), background) > inkDistance)
                return true;
        }
    }
    return false;
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

    // Card widths around the one where the sentence's last chip just reaches the card's edge,
    // in pixels from it.
    void fullStopStaysWithTheLastChip_data()
    {
        QTest::addColumn<int>("offset");
        for (int offset = -3; offset <= 8; ++offset)
            QTest::addRow("%+d", offset) << offset;
    }
    // The sentence's full stop is drawn against its last chip, on that chip's line and inside
    // the card, whatever the card's width: it wraps with the chip rather than hang past the edge.
    void fullStopStaysWithTheLastChip()
    {
        QFETCH(int, offset);
        Editor editor;
        const EditableControl row = editor.model.items().at(0);
        ControlCard card(editor.model, editor.live, row.id);
        card.setInputs(ControlCard::Inputs{row, {}, true, false, false});
        card.resize(card.width(), card.sizeHint().height() * 2);
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        auto *sentence = card.findChild<QWidget *>(QStringLiteral("sentence"));
        QVERIFY(sentence);
        Chip *last = card.chips().last();
        WordLabel *stop = sentence->findChildren<WordLabel *>().last();
        QCOMPARE(stop->text(), QStringLiteral("."));

        // Wide enough for one line: where the last chip ends then, and the card's room beside
        // the sentence.
        constexpr int roomy = 1600;
        resizeWidth(card, roomy);
        QVERIFY(qAbs(last->geometry().center().y() - stop->geometry().center().y()) <= 1);
        const int chipEnd = last->geometry().right() + 1;
        const int beside = card.width() - sentence->width();

        resizeWidth(card, chipEnd + offset + beside);
        QCOMPARE(sentence->width(), chipEnd + offset);
        const QRect chip = last->geometry();
        const QRect dot = stop->geometry();
        const QString where = geometryText(dot) + " after the chip " + geometryText(chip) + " in " +
                              geometryText(sentence->rect());
        QVERIFY2(stop->isVisible(), qPrintable(where));
        QVERIFY2(sentence->rect().contains(dot), qPrintable(where));
        QVERIFY2(card.rect().contains(QRect(stop->mapTo(&card, QPoint()), dot.size())),
                 qPrintable(where));
        QVERIFY2(stop->visibleRegion() == QRegion(stop->rect()), qPrintable(where));
        QVERIFY2(qAbs(dot.center().y() - chip.center().y()) <= 1, qPrintable(where));
        QCOMPARE(dot.left(), chip.right());
        QVERIFY2(showsInk(card, QRect(stop->mapTo(&card, QPoint()), dot.size())),
                 qPrintable(where));
        for (QWidget *piece : sentence->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(sentence->rect().contains(piece->geometry()),
                     qPrintable(geometryText(piece->geometry()) + " of " + piece->accessibleName() +
                                " in " + geometryText(sentence->rect())));
    }

    // Editor widths, from the narrowest window up.
    void longTitleEndsInEllipsisAndKeepsThePencil_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("narrowest") << int(DeckEditorView::minimumWidth);
        QTest::newRow("as the window opens") << 900;
        QTest::newRow("wide") << 1280;
    }
    // A title longer than the header has room for is cut at its end with "…"; its start shows,
    // and the pencil stays right after it, in the header and in sight.
    void longTitleEndsInEllipsisAndKeepsThePencil()
    {
        QFETCH(int, width);
        const QString title = QStringLiteral("Evening Broadcast and Rehearsal Room ").repeated(8);
        Editor editor(threeActions(title));
        QVERIFY(QTest::qWaitForWindowExposed(&editor.view));
        resizeWidth(editor.view, width);
        QCOMPARE(editor.view.width(), width);
        QCOMPARE(editor.view.titleText(), title);

        auto *header = editor.view.findChild<QWidget *>(QStringLiteral("editorHeader"));
        QVERIFY(header);
        auto *label = editor.view.findChild<ElidedLabel *>(QStringLiteral("deckTitle"));
        auto *pencil = editor.view.findChild<QLabel *>(QStringLiteral("pencil"));
        QVERIFY(label);
        QVERIFY(pencil);
        const QString shown = label->shownText();
        QVERIFY2(shown.endsWith(QStringLiteral("\u2026")), qPrintable(shown));
        QVERIFY2(shown.size() > 1 && title.startsWith(shown.chopped(1)), qPrintable(shown));
        QCOMPARE(
            label->mapTo(header, QPoint()).x(),
            header->findChild<QWidget *>(QStringLiteral("subtitle"))->mapTo(header, QPoint()).x());

        const QRect pencilInHeader(pencil->mapTo(header, QPoint()), pencil->size());
        const QRect addInHeader = editor.view.addButton()->geometry();
        const QString where = geometryText(pencilInHeader) + " in " + geometryText(header->rect()) +
                              ", Add Action at " + geometryText(addInHeader);
        QVERIFY2(pencil->isVisible(), qPrintable(where));
        QVERIFY2(header->rect().contains(pencilInHeader), qPrintable(where));
        QVERIFY2(pencil->visibleRegion() == QRegion(pencil->rect()), qPrintable(where));
        QVERIFY2(pencilInHeader.right() < addInHeader.left(), qPrintable(where));
        QVERIFY2(
            showsInk(editor.view, QRect(pencil->mapTo(&editor.view, QPoint()), pencil->size())),
            qPrintable(where));
    }
};

QTEST_MAIN(EditorLooksTest)
#include "EditorLooksTest.moc"
