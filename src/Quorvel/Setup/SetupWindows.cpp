#include "Quorvel/Setup/SetupWindows.h"

#include "Quorvel/AppState.h"
#include "Quorvel/OutsideAccess.h"
#include "Quorvel/Setup/FileRevealer.h"
#include "Quorvel/Setup/OnboardingWindow.h"
#include "Quorvel/TrayWatch.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "Widgets/WindowPlacement.h"

#include <QEvent>
#include <QTimer>

namespace Quorvel {

SetupWindows::SetupWindows(AppState &app, Options options, QObject *parent)
    : QObject(parent), m_app(app), m_options(std::move(options))
{
    WindowTable &windows = app.windows();
    windows.setFactory(WindowTable::onboarding, [this] { return makeOnboarding(); });
    windows.setFactory(WindowTable::settings, [this] { return makeSettings(); });
    connect(&windows, &WindowTable::opened, this, [](const QString &id, QWidget *window) {
        if (window && (id == WindowTable::onboarding || id == WindowTable::settings))
            clearInitialFocus(window);
    });
}

void SetupWindows::clearInitialFocus(QWidget *window)
{
    // The window itself holds the focus, so no control does: no focus ring shows and the space
    // bar presses nothing, while Return still reaches the set-up window's default button. Taking
    // the focus from the control alone would not last: a window that the window manager
    // activates later gets back the focus it last held, or its first control when it held none.
    window->setFocus(Qt::OtherFocusReason);
}

SetupWindows::~SetupWindows()
{
    if (SettingsWindow *settings = settingsWindow())
        saveGeometry(settings);
    m_app.windows().forget(WindowTable::onboarding);
    m_app.windows().forget(WindowTable::settings);
}

OnboardingWindow *SetupWindows::onboardingWindow() const
{
    return qobject_cast<OnboardingWindow *>(m_app.windows().window(WindowTable::onboarding));
}

SettingsWindow *SetupWindows::settingsWindow() const
{
    return qobject_cast<SettingsWindow *>(m_app.windows().window(WindowTable::settings));
}

SetupWindows::Options SetupWindows::programOptions(OutsideAccess &outside, const TrayWatch &tray,
                                                   QObject *owner)
{
    auto *revealer = new FileRevealer(QDBusConnection::sessionBus(), owner);
    Options options;
    options.services.general.approvals = &outside.approvals();
    options.services.general.copyReport = [&outside] { outside.copyDiagnosticReport(); };
    options.services.showInFiles = [revealer](const QString &path) { revealer->reveal(path); };
    options.services.updater = &outside.updater();
    options.services.version = Updater::versionString();
    options.tray = &tray;
    return options;
}

QWidget *SetupWindows::makeOnboarding()
{
    OnboardingWindow::Options options;
    const TrayWatch *tray = m_options.tray;
    options.trayAvailable = !tray || tray->available();
    options.finish = [this] {
        if (OnboardingWindow *window = onboardingWindow())
            window->hide();
        // The window goes once "Done" has returned; the next opening starts over.
        QTimer::singleShot(0, this, [this] { m_app.windows().forget(WindowTable::onboarding); });
    };
    auto *window = new OnboardingWindow(m_app, std::move(options));
    if (tray) {
        connect(tray, &TrayWatch::trayStarted, window,
                [window, tray] { window->setTrayAvailable(tray->available()); });
    }
    centreOnScreen(window);
    return window;
}

QWidget *SetupWindows::makeSettings()
{
    auto *window = new SettingsWindow(m_app, m_options.services);
    const QByteArray saved = openClientSettings()->value(geometryKey).toByteArray();
    if (saved.isEmpty() || !window->restoreGeometry(saved))
        centreOnScreen(window);
    window->installEventFilter(this);
    return window;
}

bool SetupWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
        if (auto *window = qobject_cast<SettingsWindow *>(watched))
            saveGeometry(window);
    }
    return QObject::eventFilter(watched, event);
}

void SetupWindows::saveGeometry(const QWidget *window) const
{
    const auto settings = openClientSettings();
    settings->setValue(geometryKey, window->saveGeometry());
    settings->sync();
}

} // namespace Quorvel
