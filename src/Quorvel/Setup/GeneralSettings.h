#pragma once

#include <QWidget>

#include <chrono>
#include <functional>

class QCheckBox;
class QPushButton;

namespace Quorvel {

class AppState;
class LinkApprovals;
class LinkSettings;
class PlainLabel;

// The settings' first tab: the two roles, the set-up again, start at login, offering the
// connected host's actions to other apps, the links' approvals, and the diagnostic report. Every
// control reads and writes its owner at once; the parts that need the remote role are left out
// while it is off.
class GeneralSettings : public QWidget {
    Q_OBJECT

public:
    // "Copied" shows this long after the report went to the clipboard.
    static constexpr std::chrono::milliseconds defaultCopiedFor{2000};
    static inline const QString copyTitle = QStringLiteral("Copy Diagnostic Report");
    static inline const QString copiedTitle = QStringLiteral("Copied");

    struct Options {
        LinkApprovals *approvals = nullptr;
        std::function<void()> copyReport;
        std::chrono::milliseconds copiedFor = defaultCopiedFor;
    };

    GeneralSettings(AppState &app, Options options, QWidget *parent = nullptr);

    QCheckBox *remoteSwitch() const { return m_remote; }
    QCheckBox *hostingSwitch() const { return m_hosting; }
    QPushButton *setUpButton() const { return m_setUp; }
    QCheckBox *startAtLoginSwitch() const { return m_startAtLogin; }
    QCheckBox *sharingSwitch() const { return m_sharing; }
    QString sharingStatus() const;
    LinkSettings *links() const { return m_links; }
    QPushButton *reportButton() const { return m_report; }
    // Whether the parts that need the remote role are part of the form.
    bool showsRemoteParts() const;

private:
    void refresh();

    AppState &m_app;
    Options m_options;
    QCheckBox *m_remote;
    QCheckBox *m_hosting;
    QPushButton *m_setUp;
    QCheckBox *m_startAtLogin;
    QWidget *m_sharingRow;
    QCheckBox *m_sharing;
    PlainLabel *m_sharingStatus;
    LinkSettings *m_links = nullptr;
    QPushButton *m_report;
};

} // namespace Quorvel
