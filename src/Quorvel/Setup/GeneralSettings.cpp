#include "Quorvel/Setup/GeneralSettings.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/LinkSettings.h"
#include "Quorvel/Setup/StartAtLoginBox.h"
#include "Quorvel/Setup/WelcomePage.h"
#include "QuorvelClientUI/ActionSharing.h"
#include "Widgets/PlainLabel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

// The sharing switch's status line sits under its title, indented like a checkbox's text.
constexpr int statusIndent = 24;

} // namespace

GeneralSettings::GeneralSettings(AppState &app, Options options, QWidget *parent)
    : QWidget(parent), m_app(app), m_options(std::move(options)),
      m_remote(new QCheckBox(QStringLiteral("Control other computers"))),
      m_hosting(new QCheckBox(WelcomePage::hostingTitle)),
      m_setUp(new QPushButton(QStringLiteral("Set Up Quorvel…"))),
      m_startAtLogin(new StartAtLoginBox(app, QStringLiteral("Start Quorvel at login"))),
      m_sharingRow(new QWidget),
      m_sharing(new QCheckBox(QStringLiteral("Use with other apps on this computer"))),
      m_sharingStatus(new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary)),
      m_report(new QPushButton(copyTitle))
{
    auto *form = new QWidget;
    auto *layout = new QVBoxLayout(form);

    auto *roles = new QGroupBox(QStringLiteral("This Computer"));
    auto *rolesLayout = new QVBoxLayout(roles);
    rolesLayout->addWidget(m_remote);
    rolesLayout->addWidget(m_hosting);
    auto *setUpRow = new QHBoxLayout;
    auto *setUpLabel = new PlainLabel(QStringLiteral("Choose these again and get started, step "
                                                     "by step."),
                                      TextStyle::body, StatusTone::secondary);
    setUpLabel->setWrapping();
    setUpRow->addWidget(setUpLabel, 1);
    setUpRow->addWidget(m_setUp);
    rolesLayout->addLayout(setUpRow);
    layout->addWidget(roles);

    auto *login = new QGroupBox;
    auto *loginLayout = new QVBoxLayout(login);
    loginLayout->addWidget(m_startAtLogin);
    auto *sharingLayout = new QVBoxLayout(m_sharingRow);
    sharingLayout->setContentsMargins(0, 0, 0, 0);
    sharingLayout->addWidget(m_sharing);
    m_sharingStatus->setWrapping();
    m_sharingStatus->setIndent(statusIndent);
    sharingLayout->addWidget(m_sharingStatus);
    loginLayout->addWidget(m_sharingRow);
    layout->addWidget(login);

    if (m_options.approvals) {
        m_links = new LinkSettings(*m_options.approvals);
        layout->addWidget(m_links);
    }

    auto *help = new QGroupBox(QStringLiteral("Help"));
    auto *helpLayout = new QHBoxLayout(help);
    auto *helpLabel = new PlainLabel(QStringLiteral("What Quorvel sees, to send along when asking "
                                                    "for help. Leaves out your pairing code and "
                                                    "what your actions run."),
                                     TextStyle::caption, StatusTone::secondary);
    helpLabel->setWrapping();
    helpLayout->addWidget(helpLabel, 1);
    helpLayout->addWidget(m_report);
    layout->addWidget(help);
    layout->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    // Its controls take the focus and scroll it into view: as a stop of its own it showed nothing.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(form);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(m_remote, &QCheckBox::toggled, this, [this](bool on) {
        m_app.roles().setRemote(on);
        m_app.applyRoles();
    });
    connect(m_hosting, &QCheckBox::toggled, this, [this](bool on) {
        m_app.roles().setHosting(on);
        m_app.applyRoles();
    });
    connect(m_setUp, &QPushButton::clicked, &app, &AppState::showOnboarding);
    connect(m_sharing, &QCheckBox::toggled, this,
            [this](bool on) { m_app.sharing().setEnabled(on); });
    connect(m_report, &QPushButton::clicked, this, [this] {
        if (m_options.copyReport)
            m_options.copyReport();
        m_report->setText(copiedTitle);
        QTimer::singleShot(m_options.copiedFor, this, [this] { m_report->setText(copyTitle); });
    });

    connect(&app.roles(), &AppRoles::remoteChanged, this, &GeneralSettings::refresh);
    connect(&app.roles(), &AppRoles::hostingChanged, this, &GeneralSettings::refresh);
    connect(&app.sharing(), &ActionSharing::isEnabledChanged, this, &GeneralSettings::refresh);
    connect(&app.sharing(), &ActionSharing::usersChanged, this, &GeneralSettings::refresh);
    refresh();
}

QString GeneralSettings::sharingStatus() const
{
    return m_sharingStatus->text();
}

bool GeneralSettings::showsRemoteParts() const
{
    return m_app.roles().remote();
}

void GeneralSettings::refresh()
{
    const QSignalBlocker remoteBlocker(m_remote);
    const QSignalBlocker hostingBlocker(m_hosting);
    const QSignalBlocker sharingBlocker(m_sharing);
    m_remote->setChecked(m_app.roles().remote());
    m_hosting->setChecked(m_app.roles().hosting());
    m_sharing->setChecked(m_app.sharing().isEnabled());
    m_sharingStatus->setText(m_app.sharing().statusText());
    const bool remote = m_app.roles().remote();
    m_sharingRow->setHidden(!remote);
    if (m_links)
        m_links->setHidden(!remote);
}

} // namespace Quorvel
