#include "Quorvel/Setup/HostStepPage.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/KeepAwakeSwitch.h"
#include "Quorvel/Setup/ListenerFailureNotice.h"
#include "Quorvel/Setup/LocalNetworkExplainer.h"
#include "Quorvel/Setup/OnboardingFlow.h"
#include "Quorvel/Setup/StartAtLoginBox.h"
#include "Quorvel/Setup/StepHeader.h"
#include "Quorvel/Setup/WelcomePage.h"
#include "QuorvelHostKit/Views/DeckEditingView.h"
#include "QuorvelHostKit/Views/LocalNetworkStatusView.h"
#include "QuorvelHostKit/Views/PairingCodeView.h"
#include "Widgets/PlainLabel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int pageSpacing = 16;
constexpr int boxSpacing = 8;
constexpr int boxPadding = 6;

} // namespace

HostStepPage::HostStepPage(AppState &app, OnboardingFlow &flow, QWidget *parent)
    : QWidget(parent), m_running(app.host() != nullptr)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pageSpacing);
    layout->addWidget(new StepHeader(QStringLiteral("desktopcomputer"), WelcomePage::hostingTitle));

    HostCoordinator *host = app.host();
    if (!host) {
        auto *text = new PlainLabel(QStringLiteral("Your devices find this computer on your local "
                                                   "network and ask it to run the actions you "
                                                   "set up. It only answers devices you pair with "
                                                   "its code."),
                                    TextStyle::body);
        text->setWrapping();
        layout->addWidget(text);
        layout->addWidget(
            new LocalNetworkExplainer(QStringLiteral("it's how your devices find this one")));
        m_startAtLogin = new QCheckBox(
            QStringLiteral("Start Quorvel at login, so this computer is always ready"));
        m_startAtLogin->setChecked(flow.startAtLogin());
        connect(m_startAtLogin, &QCheckBox::toggled, &flow, &OnboardingFlow::setStartAtLogin);
        layout->addWidget(m_startAtLogin);
        layout->addStretch(1);
        return;
    }

    // A failed listener is said as such; the network status would blame the network instead.
    m_listenerFailure = new ListenerFailureNotice(host);
    auto *network = new LocalNetworkStatusView(host);
    network->setHidden(m_listenerFailure->failed());
    connect(m_listenerFailure, &ListenerFailureNotice::failedChanged, network,
            [network, notice = m_listenerFailure] { network->setHidden(notice->failed()); });
    layout->addWidget(m_listenerFailure);
    layout->addWidget(network);

    auto *box = new QGroupBox;
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(boxPadding, boxPadding, boxPadding, boxPadding);
    boxLayout->setSpacing(boxSpacing);
    boxLayout->addWidget(new PairingCodeView(host));
    auto *caption = new PlainLabel(QStringLiteral("Each device asks for this code once."),
                                   TextStyle::caption, StatusTone::secondary);
    caption->setWrapping();
    boxLayout->addWidget(caption);
    layout->addWidget(box);

    m_startAtLogin = new StartAtLoginBox(app, QStringLiteral("Start Quorvel at login"));
    layout->addWidget(m_startAtLogin);
    m_keepAwake = new KeepAwakeSwitch(
        host, QStringLiteral("Keep this computer awake so devices can reach it (the display "
                             "still sleeps)"));
    layout->addWidget(m_keepAwake);
    layout->addWidget(new DeckEditingView(host));
    layout->addStretch(1);
}

} // namespace Quorvel
