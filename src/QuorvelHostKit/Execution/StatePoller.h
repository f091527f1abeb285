#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace Quorvel {

class StateMonitor;

// Checks one action again and again: the first check right after start, each later one an
// interval after the previous check finished. Deleting the poller cancels it; a check already
// running still stores its result.
class StatePoller : public QObject {
    Q_OBJECT

public:
    StatePoller(StateMonitor *monitor, const QString &id, std::chrono::milliseconds interval);

    void start();

private:
    void poll();
    void scheduleNext();

    StateMonitor *m_monitor;
    QString m_id;
    std::chrono::milliseconds m_interval;
    QTimer m_timer;
};

} // namespace Quorvel
