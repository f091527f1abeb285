#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

namespace Knobwire {

// Checks that a notification really comes from the process it names, and keeps the order in
// which notifications arrived while the bus answers. Any process of the user can send an
// announcement naming another application; only the announced process id can be checked: it
// must be the process that holds the sending bus connection, and that process must be alive.
class SenderCheck : public QObject {
    Q_OBJECT

public:
    explicit SenderCheck(QDBusConnection bus, QObject *parent = nullptr);

    // Runs `then` once the bus confirms that `sender` belongs to the live process `pid`; drops
    // it when the pid is absent, the bus disagrees or cannot tell.
    void verify(const QString &sender, std::optional<qint32> pid, std::function<void()> then);
    // Runs `then` without a check, but not before everything handed in earlier.
    void enqueue(std::function<void()> then);

private:
    struct Pending {
        quint64 serial;
        std::function<void()> then;
        // Known once the bus answered; true when `then` may run.
        std::optional<bool> verdict;
    };

    void decide(quint64 serial, bool verdict);
    void drain();

    QDBusConnection m_bus;
    std::deque<Pending> m_pending;
    quint64 m_nextSerial = 0;
};

// Whether a process with this id exists (also when it belongs to another user).
bool isProcessAlive(qint64 pid);

} // namespace Knobwire
