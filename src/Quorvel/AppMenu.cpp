#include "Quorvel/AppMenu.h"

#include "Platform/Text/OutsideText.h"
#include "Quorvel/AppLogging.h"
#include "Quorvel/AppMenuSections.h"
#include "Quorvel/AppState.h"
#include "Quorvel/ThisComputerSummary.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/DeckView.h"
#include "Widgets/Divider.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/TabChain.h"
#include "Widgets/TextStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace Quorvel {

namespace {

constexpr int sectionInset = 12;
constexpr int footerSpacing = 6;
// However short the screen, this much of the actions stays in view.
constexpr int shortestActionList = 96;

} // namespace

AppMenu::AppMenu(AppState &app, QWidget *parent) : QWidget(parent), m_app(app)
{
    setFixedWidth(menuWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_remoteDivider = new Divider;
    layout->addWidget(m_remoteDivider);

    m_hostSection = new QWidget;
    auto *hostLayout = new QVBoxLayout(m_hostSection);
    hostLayout->setContentsMargins(sectionInset, sectionInset, sectionInset, sectionInset);
    layout->addWidget(m_hostSection);
    m_hostDivider = new Divider;
    layout->addWidget(m_hostDivider);

    auto *footer = new QWidget;
    applyTextStyle(footer, TextStyle::callout);
    auto *footerLayout = new QVBoxLayout(footer);
    footerLayout->setContentsMargins(sectionInset, sectionInset, sectionInset, sectionInset);
    footerLayout->setSpacing(footerSpacing);
    m_offLabel =
        new PlainLabel(AppMenuSections::offLine, TextStyle::callout, StatusTone::secondary);
    m_offLabel->setWrapping();
    footerLayout->addWidget(m_offLabel);

    auto *buttons = new QHBoxLayout;
    m_settings = new QPushButton(AppMenuSections::settingsText);
    m_settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(m_settings, &QPushButton::clicked, &m_app, &AppState::showSettings);
    m_quit = new QPushButton(AppMenuSections::quitText);
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_quit, &QPushButton::clicked, &m_app, &AppState::requestQuit);
    buttons->addWidget(m_settings);
    buttons->addStretch(1);
    buttons->addWidget(m_quit);
    footerLayout->addLayout(buttons);
    layout->addWidget(footer);

    connect(&m_app.roles(), &AppRoles::remoteChanged, this, &AppMenu::refresh);
    connect(&m_app.roles(), &AppRoles::hostingChanged, this, &AppMenu::refresh);
    connect(&m_app, &AppState::hostChanged, this, &AppMenu::rebuildHostSection);
    connect(&m_app.model(), &ClientModel::deckChanged, this, &AppMenu::noteDeck);
    rebuildHostSection();
    // The remote's view and this computer's summary are made after the footer's buttons, and
    // above them: Tab reaches them first all the same.
    TabChain::keep(this);
}

AppMenu::~AppMenu() = default;

void AppMenu::rebuildHostSection()
{
    delete m_summary.data();
    if (HostCoordinator *host = m_app.host()) {
        m_summary = new ThisComputerSummary(m_app, *host);
        m_hostSection->layout()->addWidget(m_summary);
    }
    refresh();
}

void AppMenu::noteDeck()
{
    // Each time a host's deck arrives, not at every change of it: how long a start or a
    // reconnection takes to show the actions can be read from the log.
    const bool shown = m_app.roles().remote() && m_app.model().deck().has_value();
    if (shown && !m_showsDeck)
        qCDebug(lcApp) << "The menu shows the deck of"
                       << OutsideText::forLog(m_app.model().deck()->deckName);
    m_showsDeck = shown;
}

void AppMenu::refresh()
{
    const AppMenuSections sections = AppMenuSections::forRoles(
        m_app.roles().remote(), m_app.roles().hosting(), m_app.host() != nullptr);
    if (sections.remote && !m_remote) {
        m_remote = new ClientRootView(&m_app.model(), [this] { m_app.openDeckEditor(); });
        // The view is narrower than the menu: the room beside it is a margin of its box, so that
        // the box asks it for its height at its own width, as it is laid out.
        auto *remoteBox = new QWidget;
        auto *remoteLayout = new QVBoxLayout(remoteBox);
        remoteLayout->setContentsMargins(0, 0, menuWidth - m_remote->minimumWidth(), 0);
        remoteLayout->addWidget(m_remote);
        static_cast<QVBoxLayout *>(layout())->insertWidget(0, remoteBox);
    }
    if (m_remote)
        m_remote->parentWidget()->setVisible(sections.remote);
    m_remoteDivider->setVisible(sections.remote);
    m_hostSection->setVisible(sections.hostSummary);
    m_hostDivider->setVisible(sections.hostSummary);
    m_offLabel->setVisible(sections.offText);
    fitToContent();
}

bool AppMenu::event(QEvent *event)
{
    // The layout has settled by now (it reacts to the request first): a label that got its
    // text, a notice or a deck that arrived after the menu was shown makes the window fit again.
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::LayoutRequest)
        fitToContent();
    return handled;
}

void AppMenu::fitToContent()
{
    if (!isWindow())
        return;
    QLayout *box = layout();
    box->activate();
    const int content = box->hasHeightForWidth() ? box->totalHeightForWidth(menuWidth)
                                                 : box->totalSizeHint().height();
    const int frame = isVisible() ? frameGeometry().height() - height() : 0;
    const QScreen *where = screen();
    const int limit =
        where ? where->availableGeometry().height() - frame : std::numeric_limits<int>::max();
    // The actions give up what the screen lacks; changing their limit asks for another fit.
    if (m_remote && m_remote->deckView()->isVisibleTo(this)) {
        DeckView *deck = m_remote->deckView();
        const int allowed = limit - (content - deck->sizeHint().height());
        deck->setHeightLimit(allowed >= deck->contentHeight()
                                 ? QWIDGETSIZE_MAX
                                 : std::max(allowed, shortestActionList));
    }
    resize(menuWidth, std::min(std::max(content, box->totalMinimumSize().height()), limit));
}

} // namespace Quorvel
