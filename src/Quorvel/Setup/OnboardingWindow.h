#pragma once

#include "Quorvel/Setup/OnboardingFlow.h"

#include <QDialog>

class QPushButton;
class QVBoxLayout;

namespace Quorvel {

class AppState;

// The set-up window: the current step's page, and a footer with "Back" and the step's primary
// button, which is the default button, so Return presses it. Return in the pairing-code field
// submits the code only. The page is made again whenever what it shows changes form: the step,
// the host starting or stopping, the remote role, the client's connection.
class OnboardingWindow : public QDialog {
    Q_OBJECT

public:
    static inline const QString windowTitleText = QStringLiteral("Set Up Quorvel");
    static constexpr QSize fixedSize{560, 520};

    struct Options {
        // Whether the desktop shows a system tray when the window opens; the done step says how
        // to get one when not.
        bool trayAvailable = true;
        // Called after "Done" marked the user as set up.
        OnboardingFlow::Finish finish;
    };

    OnboardingWindow(AppState &app, Options options, QWidget *parent = nullptr);

    OnboardingFlow &flow() { return m_flow; }
    QWidget *page() const { return m_page; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *primaryButton() const { return m_primary; }

    // A tray appeared or went: the done step says so while it shows.
    void setTrayAvailable(bool available);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What decides the page's form; the page is made again when it changes.
    QString formKey() const;
    void refresh();
    void rebuildPage();

    AppState &m_app;
    Options m_options;
    OnboardingFlow m_flow;
    QVBoxLayout *m_content;
    QWidget *m_page = nullptr;
    QString m_pageKey;
    QPushButton *m_back;
    QPushButton *m_primary;
};

} // namespace Quorvel
