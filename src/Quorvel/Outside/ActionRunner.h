#pragma once

#include "Quorvel/Outside/ActionIntentError.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/ControlState.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace Quorvel {

// The one road by which scripts and links reach the host's actions: wait for the shared client
// model's link, find the action, check its kind against what is asked and run it. Nothing here
// opens a connection of its own.
class ActionRunner : public QObject {
    Q_OBJECT
public:
    // How long a caller waits for the link to the host.
    static constexpr std::chrono::milliseconds defaultConnectionWait{std::chrono::seconds(10)};

    // A found action, or why there is none.
    struct Found {
        std::optional<Control> control;
        std::optional<ControlState> state;
        std::optional<ActionIntentError> error;
    };
    // The text to show after a run, or why it did not work.
    struct Ran {
        QString text;
        std::optional<ActionIntentError> error;
    };

    // Waiting starts the model's search for hosts when it is not running, whatever the remote
    // role: a script or a link asks for the host now, while the role decides what the menu shows.
    explicit ActionRunner(ClientModel *model,
                          std::chrono::milliseconds connectionWait = defaultConnectionWait,
                          QObject *parent = nullptr);

    ClientModel *model() const { return m_model; }

    // The host's name for texts: the connected host, else the remembered one, else a phrase.
    QString hostNameForTexts() const;

    // Answers whether the link is ready (connected, deck and first states in), waiting at most the
    // connection wait.
    void waitForHost(QObject *context, std::function<void(bool)> onDone);
    // Finds the live deck's action with that id, with its last known state. An id that no action
    // can have (empty, or longer than the host takes) is refused at once, without waiting.
    void findAction(const QString &id, QObject *context, std::function<void(Found)> onDone);
    // Runs the action: a button with no desired state, a switch on, off, or flipped from its last
    // known position when none is asked.
    void runAction(const QString &id, std::optional<bool> desiredState, QObject *context,
                   std::function<void(Ran)> onDone);

    // The text an action's value reads as: its detail, else "On" or "Off", else empty.
    static QString valueText(const std::optional<ControlState> &state);

private:
    void runFound(const Control &control, std::optional<bool> desiredState, QObject *context,
                  std::function<void(Ran)> onDone);

    QPointer<ClientModel> m_model;
    std::chrono::milliseconds m_connectionWait;
};

} // namespace Quorvel
