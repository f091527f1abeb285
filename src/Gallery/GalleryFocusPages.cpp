// Controls as the keyboard finds them, a state a still picture of a view does not reach: a
// prominent button, the add-action sheet's default button and app list, the deck editor's chips,
// the set-up window's and the approval alert's default buttons, each on a light and on a dark
// desktop, with the ring the program shows in every window.

#include "Gallery/GalleryApp.h"
#include "Gallery/GalleryDecks.h"
#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "Quorvel/Outside/LinkApprovalAlert.h"
#include "Quorvel/Setup/OnboardingWindow.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/PickerRow.h"
#include "Widgets/ProminentButton.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>

namespace Quorvel {

namespace {

// Breeze Dark's window, text and accent: the accent is a light blue lettered in white.
QPalette darkPalette()
{
    QPalette palette = QApplication::palette();
    const QColor window(0x20, 0x23, 0x26);
    const QColor text(0xfc, 0xfc, 0xfc);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x14, 0x16, 0x18));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x29, 0x2c, 0x30));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    palette.setColor(QPalette::HighlightedText, text);
    return palette;
}

// A window's footer (Discard, then the prominent Save) drawn twice: with the focus on Discard,
// then after Tab has moved it to Save.
QList<QPixmap> footerBeforeAndAfterTab(const QPalette &palette)
{
    QWidget window;
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto *row = new QHBoxLayout(&window);
    auto *discard = new QPushButton(QStringLiteral("Discard Changes"), &window);
    row->addWidget(discard);
    row->addWidget(new ProminentButton(QStringLiteral("Save to Studio"), &window));
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        return {};
    discard->setFocus(Qt::OtherFocusReason);
    QList<QPixmap> pictures{window.grab()};
    QTest::keyClick(&window, Qt::Key_Tab);
    pictures.append(window.grab());
    return pictures;
}

QWidget *prominentFocus(GallerySession &)
{
    auto *sheet = new QWidget;
    auto *grid = new QGridLayout(sheet);
    grid->addWidget(new QLabel(QStringLiteral("Focus on Discard")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Tab: focus on Save")), 0, 2);
    const QList<std::pair<QString, QPalette>> palettes{
        {QStringLiteral("Light"), QApplication::style()->standardPalette()},
        {QStringLiteral("Dark"), darkPalette()}};
    for (int index = 0; index < int(palettes.size()); ++index) {
        const QList<QPixmap> pictures = footerBeforeAndAfterTab(palettes.at(index).second);
        if (pictures.size() != 2) {
            delete sheet;
            return nullptr;
        }
        grid->addWidget(new QLabel(palettes.at(index).first), index + 1, 0);
        for (int column = 0; column < 2; ++column) {
            auto *picture = new QLabel;
            picture->setPixmap(pictures.at(column));
            grid->addWidget(picture, index + 1, column + 1);
        }
    }
    return sheet;
}

// Gives the application a palette until it goes.
class PaletteForPage {
public:
    explicit PaletteForPage(const QPalette &palette) : m_before(QApplication::palette())
    {
        QApplication::setPalette(palette);
    }
    ~PaletteForPage() { QApplication::setPalette(m_before); }
    PaletteForPage(const PaletteForPage &) = delete;
    PaletteForPage &operator=(const PaletteForPage &) = delete;

private:
    QPalette m_before;
};

// One window in the light and in the dark palette, with the keyboard's focus put where focus()
// says, as Tab would put it.
using Focus = std::function<QWidget *(QWidget *window)>;
using Make = std::function<QWidget *(GallerySession &, const QPalette &)>;

std::function<QWidget *(GallerySession &)> lightAndDark(Make make, Focus focus)
{
    return [make, focus](GallerySession &session) -> QWidget * {
        auto *sheet = new QWidget;
        auto *grid = new QGridLayout(sheet);
        const QList<std::pair<QString, QPalette>> palettes{
            {QStringLiteral("Light"), QApplication::style()->standardPalette()},
            {QStringLiteral("Dark"), darkPalette()}};
        for (int index = 0; index < int(palettes.size()); ++index) {
            // The desktop's palette while the window is made and drawn: labels take their
            // tones from it when they are made.
            const PaletteForPage desktop(palettes.at(index).second);
            QWidget *window = make(session, palettes.at(index).second);
            window->setPalette(palettes.at(index).second);
            window->show();
            QApplication::setActiveWindow(window);
            QWidget *target = QTest::qWaitForWindowActive(window) ? focus(window) : nullptr;
            if (!target) {
                delete window;
                delete sheet;
                return nullptr;
            }
            // Moved there as Tab moves it, also when the window gave it the focus on showing.
            if (QWidget *focused = QApplication::focusWidget())
                focused->clearFocus();
            window->setAttribute(Qt::WA_KeyboardFocusChange);
            target->setFocus(Qt::TabFocusReason);
            QCoreApplication::processEvents();
            auto *picture = new QLabel;
            picture->setPixmap(window->grab());
            delete window;
            grid->addWidget(new QLabel(palettes.at(index).first), 0, index);
            grid->addWidget(picture, 1, index);
        }
        return sheet;
    };
}

HostCatalog appsCatalog()
{
    HostCatalog catalog;
    catalog.apps = {{QStringLiteral("Firefox ESR"),
                     QStringLiteral("/usr/share/applications/firefox-esr.desktop"),
                     QStringLiteral("firefox-esr.desktop")},
                    {QStringLiteral("Rhythmbox"),
                     QStringLiteral("/usr/share/applications/org.gnome.Rhythmbox3.desktop"),
                     QStringLiteral("org.gnome.Rhythmbox3.desktop")}};
    catalog.runningApps = {QStringLiteral("Rhythmbox")};
    return catalog;
}

// The sheet on "Which app?", Rhythmbox picked or not.
Make appSheet(bool picked)
{
    return [picked](GallerySession &session, const QPalette &) -> QWidget * {
        auto *client = session.keep(std::make_unique<ScriptedEditorClient>());
        client->connectTo(QStringLiteral("Studio"), Deck{QStringLiteral("Desk"), {}});
        client->setCatalog(appsCatalog());
        auto *sheet =
            new AddActionSheet(*client, {}, std::nullopt, AddActionFlow::Intent::appSwitch, {});
        if (picked)
            sheet->flow().setApp(QStringLiteral("Rhythmbox"));
        return sheet;
    };
}

QWidget *editorWindow(GallerySession &session, const QPalette &)
{
    auto *client = session.keep(std::make_unique<ScriptedEditorClient>());
    auto *live = session.keep(std::make_unique<FixedLiveStates>(true));
    auto *model = session.keep(std::make_unique<DeckEditorModel>(*client));
    client->connectTo(QStringLiteral("Studio"), GalleryDecks::studio());
    auto *view = new DeckEditorView(*model, *live);
    model->appear();
    view->resize(DeckEditorView::minimumWidth, DeckEditorView::minimumHeight);
    return view;
}

// The set-up window's first step with a role chosen, so that its default button can be pressed.
QWidget *setUpWelcome(GallerySession &session, const QPalette &)
{
    auto *window = new OnboardingWindow(*galleryApp(session, false, false), {});
    window->flow().setWantsRemote(true);
    return window;
}

QWidget *approvalAlert(GallerySession &, const QPalette &)
{
    QMessageBox *alert = LinkApprovalAlert::build(
        {LinkSender{QStringLiteral("org.example.Editor.desktop"), QStringLiteral("Text Editor")},
         QStringLiteral("Desk Lamp"), QStringLiteral("Studio")});
    alert->adjustSize();
    return alert;
}

const GalleryRegistry::Registration pages{
    {QStringLiteral("ProminentButton"), QStringLiteral("keyboard-focus"),
     GalleryPass::withoutDiscovery, prominentFocus},
    {QStringLiteral("AddActionSheet"), QStringLiteral("focus-continue"),
     GalleryPass::withoutDiscovery,
     lightAndDark(appSheet(true),
                  [](QWidget *window) -> QWidget * {
                      return static_cast<AddActionSheet *>(window)->continueButton();
                  })},
    {QStringLiteral("AddActionSheet"), QStringLiteral("focus-app-list"),
     GalleryPass::withoutDiscovery,
     lightAndDark(appSheet(false),
                  [](QWidget *window) -> QWidget * {
                      const auto *picker = window->findChild<CatalogPicker *>();
                      return picker ? picker->rows().value(1) : nullptr;
                  })},
    {QStringLiteral("DeckEditorView"), QStringLiteral("focus-chip"), GalleryPass::withoutDiscovery,
     lightAndDark(editorWindow,
                  [](QWidget *window) -> QWidget * {
                      const QList<ControlCard *> cards =
                          static_cast<DeckEditorView *>(window)->cards();
                      for (QWidget *chip : cards.isEmpty()
                                               ? QList<QWidget *>()
                                               : cards.first()->findChildren<QWidget *>("chip")) {
                          if (chip->focusPolicy() & Qt::TabFocus)
                              return chip;
                      }
                      return nullptr;
                  })},
    {QStringLiteral("Onboarding"), QStringLiteral("focus-continue"), GalleryPass::withoutDiscovery,
     lightAndDark(setUpWelcome,
                  [](QWidget *window) -> QWidget * {
                      return static_cast<OnboardingWindow *>(window)->primaryButton();
                  })},
    {QStringLiteral("LinkApprovalAlert"), QStringLiteral("focus-allow"),
     GalleryPass::withoutDiscovery,
     lightAndDark(approvalAlert,
                  [](QWidget *window) -> QWidget * {
                      return static_cast<QMessageBox *>(window)->defaultButton();
                  })},
};

} // namespace

} // namespace Quorvel
