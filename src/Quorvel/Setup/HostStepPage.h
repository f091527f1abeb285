#pragma once

#include <QWidget>

class QCheckBox;

namespace Quorvel {

class AppState;
class KeepAwakeSwitch;
class ListenerFailureNotice;
class OnboardingFlow;

// The set-up's page for hosting. Before this computer hosts: what hosting means and whether to
// start at login; once the host runs: whether it can be reached, its pairing code, start at
// login, keeping awake and editing from other devices. Made for one of the two forms.
class HostStepPage : public QWidget {
    Q_OBJECT

public:
    HostStepPage(AppState &app, OnboardingFlow &flow, QWidget *parent = nullptr);

    bool running() const { return m_running; }
    // The before-hosting form's choice, or the running form's start-at-login box.
    QCheckBox *startAtLogin() const { return m_startAtLogin; }
    KeepAwakeSwitch *keepAwake() const { return m_keepAwake; }
    ListenerFailureNotice *listenerFailure() const { return m_listenerFailure; }

private:
    bool m_running;
    QCheckBox *m_startAtLogin = nullptr;
    KeepAwakeSwitch *m_keepAwake = nullptr;
    ListenerFailureNotice *m_listenerFailure = nullptr;
};

} // namespace Quorvel
