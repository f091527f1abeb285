#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace Quorvel {

// What the offline rule needs to know of one network interface.
struct InterfaceSummary {
    bool isLoopback = false;
    // Administratively up and running.
    bool isUp = false;
    bool hasAddress = false;
    friend bool operator==(const InterfaceSummary &a, const InterfaceSummary &b) = default;
};

// Offline: no interface other than loopback is up with an address.
bool isOfflineByInterfaces(const QList<InterfaceSummary> &interfaces);

// The machine's interfaces as they are now.
QList<InterfaceSummary> currentInterfaces();

// Tells whether this machine has a usable network path. It asks the system's network
// information (NetworkManager) for reachability where such a backend loads; without one it looks
// at the network interfaces itself every pollInterval.
class NetworkPathMonitor : public QObject {
    Q_OBJECT
public:
    enum class Source {
        // The system's reachability when a backend loads, else the interfaces.
        automatic,
        interfaces,
    };
    using InterfaceReader = std::function<QList<InterfaceSummary>()>;

    // Interfaces change rarely; a few seconds' delay in noticing is fine for a status line.
    static constexpr std::chrono::milliseconds defaultPollInterval{std::chrono::seconds(2)};

    explicit NetworkPathMonitor(Source source = Source::automatic,
                                InterfaceReader reader = currentInterfaces,
                                std::chrono::milliseconds pollInterval = defaultPollInterval,
                                QObject *parent = nullptr);

    // Takes the first reading and follows changes; reports every reading through pathChanged.
    void start();
    void stop();

    bool isOffline() const { return m_offline; }
    // Whether the system's reachability is followed (else the interfaces are).
    bool usesSystemReachability() const { return m_usesSystem; }

signals:
    // Each new reading, also one equal to the last.
    void pathChanged(bool offline);

private:
    void readInterfaces();
    void readReachability();
    void report(bool offline);

    Source m_source;
    InterfaceReader m_reader;
    QTimer m_pollTimer;
    bool m_offline = false;
    bool m_usesSystem = false;
    bool m_running = false;
};

} // namespace Quorvel
