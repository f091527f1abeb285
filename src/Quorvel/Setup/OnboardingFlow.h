#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace Quorvel {

class AppState;

// The steps of the first-run set-up and what its footer does. Each step's button switches its
// role on at once and applies it, so the host really runs, or the search really begins, while the
// user still reads that step; roles that are no longer wanted are switched off when the welcome
// step is left. Only "Done" marks the user as set up.
class OnboardingFlow : public QObject {
    Q_OBJECT

public:
    enum class Step { welcome, host, remote, done };

    // What "Done" calls once the user is marked as set up: the window ends.
    using Finish = std::function<void()>;

    OnboardingFlow(AppState &app, Finish finish, QObject *parent = nullptr);

    Step step() const { return m_step; }
    // welcome, then host and remote as wished, then done.
    QList<Step> steps() const;

    bool wantsHosting() const { return m_wantsHosting; }
    bool wantsRemote() const { return m_wantsRemote; }
    void setWantsHosting(bool on);
    void setWantsRemote(bool on);
    // Whether "Start Hosting" also turns start at login on.
    bool startAtLogin() const { return m_startAtLogin; }
    void setStartAtLogin(bool on);

    // The footer as it stands.
    bool showsBack() const { return m_step != Step::welcome; }
    QString primaryTitle() const;
    bool primaryEnabled() const;
    void pressPrimary();
    void pressBack() { move(-1); }

    // Moves along the steps by offset, clamped at both ends; from a step the list lost, to
    // welcome.
    void move(int offset);
    void continueFromWelcome();
    void startHosting();
    void startLooking();
    void finishSetup();

    static inline const QString continueTitle = QStringLiteral("Continue");
    static inline const QString startHostingTitle = QStringLiteral("Start Hosting");
    static inline const QString startLookingTitle = QStringLiteral("Start Looking");
    static inline const QString doneTitle = QStringLiteral("Done");
    static inline const QString backTitle = QStringLiteral("Back");

signals:
    // The step, a wish, or what the footer offers changed.
    void changed();

private:
    void setStep(Step step);

    AppState &m_app;
    Finish m_finish;
    Step m_step = Step::welcome;
    bool m_wantsHosting;
    bool m_wantsRemote;
    bool m_startAtLogin = true;
};

} // namespace Quorvel
