#pragma once

#include "QuorvelHostKit/Execution/ExecutionResult.h"
#include "QuorvelHostKit/Execution/StatusOutcome.h"

#include "Knobwire/KnobwireConsumer.h"
#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

namespace Quorvel {

// The host's bridge to the switches, buttons and levels that other applications on this computer
// offer over the app-control protocol: runs app_control actions, answers app_control checks,
// remembers the offering applications across launches and lists them for the host catalog. Lives
// on the main thread with its consumer.
class AppControls : public QObject {
    Q_OBJECT

public:
    // How long a switch run waits for the application to report the new state: checks, each
    // followed by a pause when it fails.
    struct SwitchWait {
        int checks = 40;
        std::chrono::milliseconds pause{50};
    };

    explicit AppControls(Knobwire::Discovery discovery = Knobwire::Discovery(),
                         QObject *parent = nullptr);
    ~AppControls() override;

    void setSwitchWait(SwitchWait wait) { m_switchWait = wait; }

    Knobwire::KnobwireConsumer &consumer() { return *m_consumer; }

    // Restores the remembered applications, follows the consumer's changes and starts it.
    void start();

    // Runs an app_control action; every failure is a result with exit code 1 and a text.
    QCoro::Task<ExecutionResult> run(Action action);

    // The on/off state and detail of one offered control, for an app_control check.
    StatusOutcome status(const QString &app, const std::optional<QString> &control) const;

    // The offering applications and their controls, except this application's own.
    std::vector<HostCatalog::AppControls> catalogEntries() const;

    // Called with an application's identifier whenever its entry changed.
    std::function<void(const QString &)> onChange;

signals:
    // What catalogEntries() lists changed other than the controls' values: an application began
    // or stopped offering, or offers other controls.
    void offersChanged();

private:
    QCoro::Task<ExecutionResult> waitForSwitch(QString app, QString id, bool wanted,
                                               QString providerName, QString controlName);
    bool reportsState(const QString &app, const QString &id, bool wanted) const;
    void save() const;

    void noteOffers();

    Knobwire::KnobwireConsumer *m_consumer;
    SwitchWait m_switchWait;
    // The catalog entries as last told, without the controls' values.
    std::vector<HostCatalog::AppControls> m_offers;
};

} // namespace Quorvel
