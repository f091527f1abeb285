#pragma once

#include <QWidget>

class QLabel;

namespace Quorvel {

class OnboardingFlow;
class RoleChoice;

// The set-up's first page: a greeting and the two roles as cards to tick. Ticking changes only
// the flow's wishes; the footer's "Continue" acts on them.
class WelcomePage : public QWidget {
    Q_OBJECT

public:
    explicit WelcomePage(OnboardingFlow &flow, QWidget *parent = nullptr);

    RoleChoice *hostingChoice() const { return m_hosting; }
    RoleChoice *remoteChoice() const { return m_remote; }

    static inline const QString hostingTitle =
        QStringLiteral("Let your devices control this computer");
    static inline const QString remoteTitle =
        QStringLiteral("Control other computers from this one");

protected:
    void changeEvent(QEvent *event) override;

private:
    // Draws the mark in the page's text colour.
    void showMark();

    QLabel *m_mark;
    RoleChoice *m_hosting;
    RoleChoice *m_remote;
};

} // namespace Quorvel
