#pragma once

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

namespace Quorvel {

class ActivityRow;
class AppState;
class HostCoordinator;
class NotHosting;

// The "Activity" tab: the host's activity log, newest first, following it live; "Nothing yet"
// before anything happened; the not-hosting placeholder while this computer does not host.
class ActivitySettings : public QWidget {
    Q_OBJECT

public:
    explicit ActivitySettings(AppState &app, QWidget *parent = nullptr);

    NotHosting *notHosting() const { return m_notHosting; }
    bool showsNothingYet() const { return m_nothingYet; }
    QList<ActivityRow *> rows() const { return m_rows; }

private:
    void rebuild();

    AppState &m_app;
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
    QPointer<HostCoordinator> m_host;
    NotHosting *m_notHosting = nullptr;
    bool m_nothingYet = false;
    QList<ActivityRow *> m_rows;
};

} // namespace Quorvel
