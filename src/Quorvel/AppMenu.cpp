#include "Quorvel/AppMenu.h"

#include "Quorvel/AppMenuSections.h"
#include "Quorvel/AppState.h"
#include "Quorvel/ThisComputerSummary.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int sectionInset = 12;
constexpr int footerSpacing = 6;
constexpr double calloutScale = 0.92;

QFrame *divider()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

AppMenu::AppMenu(AppState &app, QWidget *parent) : QWidget(parent), m_app(app)
{
    setFixedWidth(menuWidth);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    m_remoteDivider = divider();
    m_layout->addWidget(m_remoteDivider);

    m_hostSection = new QWidget;
    auto *hostLayout = new QVBoxLayout(m_hostSection);
    hostLayout->setContentsMargins(sectionInset, sectionInset, sectionInset, sectionInset);
    m_layout->addWidget(m_hostSection);
    m_hostDivider = divider();
    m_layout->addWidget(m_hostDivider);

    auto *footer = new QWidget;
    QFont callout = font();
    callout.setPointSizeF(font().pointSizeF() * calloutScale);
    footer->setFont(callout);
    auto *footerLayout = new QVBoxLayout(footer);
    footerLayout->setContentsMargins(sectionInset, sectionInset, sectionInset, sectionInset);
    footerLayout->setSpacing(footerSpacing);
    m_offLabel = new QLabel(AppMenuSections::offLine);
    m_offLabel->setWordWrap(true);
    m_offLabel->setForegroundRole(QPalette::PlaceholderText);
    footerLayout->addWidget(m_offLabel);

    auto *buttons = new QHBoxLayout;
    auto *settings = new QPushButton(AppMenuSections::settingsText);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QPushButton::clicked, &m_app, &AppState::showSettings);
    auto *quit = new QPushButton(AppMenuSections::quitText);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QPushButton::clicked, &m_app, &AppState::quit);
    buttons->addWidget(settings);
    buttons->addStretch(1);
    buttons->addWidget(quit);
    footerLayout->addLayout(buttons);
    m_layout->addWidget(footer);

    connect(&m_app.roles(), &AppRoles::remoteChanged, this, &AppMenu::refresh);
    connect(&m_app.roles(), &AppRoles::hostingChanged, this, &AppMenu::refresh);
    connect(&m_app, &AppState::hostChanged, this, &AppMenu::rebuildHostSection);
    rebuildHostSection();
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

void AppMenu::refresh()
{
    const AppMenuSections sections = AppMenuSections::forRoles(
        m_app.roles().remote(), m_app.roles().hosting(), m_app.host() != nullptr);
    if (m_remote)
        m_remote->setVisible(sections.remote);
    m_remoteDivider->setVisible(sections.remote);
    m_hostSection->setVisible(sections.hostSummary);
    m_hostDivider->setVisible(sections.hostSummary);
    m_offLabel->setVisible(sections.offText);
    adjustSize();
}

} // namespace Quorvel
