#pragma once

#include "Quorvel/Setup/SettingsWindow.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace Quorvel {

class AppState;
class FileRevealer;
class OnboardingWindow;
class OutsideAccess;
class TrayWatch;

// Gives the application's window table the set-up and settings windows, one of each per
// process. The set-up window ends when its flow is done, so the next one starts over; closed
// before that, it comes back on the step it showed. The settings window is kept for the whole
// run and its place and size are remembered between runs. Goes before the services its windows
// use: it closes them then.
class SetupWindows : public QObject {
    Q_OBJECT

public:
    // The settings key of the settings window's saved place and size.
    static inline const QString geometryKey = QStringLiteral("QuorvelSettings.geometry");

    struct Options {
        SettingsWindow::Services services;
        // The desktop's tray, which the set-up window follows: the panel may start after the
        // program. Without one the window takes it that there is a tray.
        const TrayWatch *tray = nullptr;
    };

    SetupWindows(AppState &app, Options options, QObject *parent = nullptr);
    // The program's windows: outside access's link approvals, report and updater, the session
    // bus's file manager (with a revealer owned by owner), and the desktop's tray.
    static Options programOptions(OutsideAccess &outside, const TrayWatch &tray, QObject *owner);
    ~SetupWindows() override;

    // No control of the window holds the keyboard focus once it has opened.
    static void clearInitialFocus(QWidget *window);

    OnboardingWindow *onboardingWindow() const;
    SettingsWindow *settingsWindow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeOnboarding();
    QWidget *makeSettings();
    void saveGeometry(const QWidget *window) const;

    AppState &m_app;
    Options m_options;
};

} // namespace Quorvel
