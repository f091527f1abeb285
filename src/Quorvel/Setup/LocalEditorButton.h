#pragma once

#include <QPointer>
#include <QWidget>

class QPushButton;

namespace Quorvel {

class AppState;
class HostCoordinator;
class PlainLabel;

// "Edit This Computer's Actions…": opens the deck editor on this computer's own deck. While the
// host has no listener to reach (still starting, or failed) the button is disabled and the line
// under it says why, instead of a button that silently does nothing.
class LocalEditorButton : public QWidget {
    Q_OBJECT

public:
    static inline const QString title = QStringLiteral("Edit This Computer's Actions…");

    LocalEditorButton(AppState &app, HostCoordinator *host, QWidget *parent = nullptr);

    QPushButton *button() const { return m_button; }
    // The reason as shown; empty while the button works.
    QString reasonText() const;

private:
    void refresh();

    AppState &m_app;
    QPointer<HostCoordinator> m_host;
    QPushButton *m_button;
    PlainLabel *m_reason;
};

} // namespace Quorvel
