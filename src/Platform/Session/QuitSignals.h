#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace Quorvel {

// Turns SIGTERM (the session's end, `systemctl --user stop`), SIGINT and SIGHUP into a Qt signal
// on the event loop, so that they end the program by the same path as its Quit command. The
// handler only writes the signal's number to a socket; everything else happens on the loop.
// One per process.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    // Puts the default handlers back.
    ~QuitSignals() override;

signals:
    void quitRequested(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace Quorvel
