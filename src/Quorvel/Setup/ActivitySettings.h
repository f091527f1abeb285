#pragma once

#include <QPointer>
#include <QWidget>

class QScrollArea;
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
    // The list's scroll area while it shows entries.
    QScrollArea *scrollArea() const { return m_scroll; }

private:
    void rebuild();
    // A change of the log: the rows are updated in place and the reader keeps their place.
    void activityChanged();
    void updateRows();
    void keepAnchorInPlace();

    AppState &m_app;
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
    QPointer<HostCoordinator> m_host;
    NotHosting *m_notHosting = nullptr;
    bool m_nothingYet = false;
    QList<ActivityRow *> m_rows;
    QScrollArea *m_scroll = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    // The row the reader was looking at when the log changed, and its distance from the top of
    // the view then; none while the view is at its top (the newest entries stay in sight).
    QPointer<ActivityRow> m_anchor;
    int m_anchorOffset = 0;
};

} // namespace Quorvel
