#include "Quorvel/Outside/ActionRunner.h"

#include "QuorvelClientUI/CallerReply.h"

namespace Quorvel {

namespace {

const QString unknownHostName = QStringLiteral("your Quorvel host");
const QString unnamedConnectedHost = QStringLiteral("The host");

} // namespace

ActionRunner::ActionRunner(ClientModel *model, std::chrono::milliseconds connectionWait,
                           QObject *parent)
    : QObject(parent), m_model(model), m_connectionWait(connectionWait)
{}

QString ActionRunner::hostNameForTexts() const
{
    if (m_model && m_model->hostInfo())
        return m_model->hostInfo()->hostName;
    if (m_model && m_model->rememberedHostName())
        return *m_model->rememberedHostName();
    return unknownHostName;
}

void ActionRunner::waitForHost(QObject *context, std::function<void(bool)> onDone)
{
    if (!m_model) {
        CallerReply(context, std::move(onDone))(false);
        return;
    }
    m_model->waitUntilReady(m_connectionWait, context, std::move(onDone));
}

void ActionRunner::findAction(const QString &id, QObject *context,
                              std::function<void(Found)> onDone)
{
    if (const std::optional<ActionIntentError> refused = ActionIntentError::unusableID(id)) {
        CallerReply(context, std::move(onDone))(Found{std::nullopt, std::nullopt, refused});
        return;
    }
    const QString hostName = hostNameForTexts();
    // The wait is held by the model, which may outlive this runner.
    waitForHost(context, [self = QPointer<ActionRunner>(this), id, hostName, onDone](bool ready) {
        ClientModel *model = self ? self->model() : nullptr;
        if (!ready || !model) {
            onDone({std::nullopt, std::nullopt, ActionIntentError::notConnected(hostName)});
            return;
        }
        const std::optional<Deck> &deck = model->deck();
        const std::optional<Control> control = deck ? deck->control(id) : std::nullopt;
        if (!control) {
            const QString name =
                model->hostInfo() ? model->hostInfo()->hostName : unnamedConnectedHost;
            onDone({std::nullopt, std::nullopt, ActionIntentError::noSuchAction(id, name)});
            return;
        }
        onDone({control, model->state(*control), std::nullopt});
    });
}

void ActionRunner::runAction(const QString &id, std::optional<bool> desiredState, QObject *context,
                             std::function<void(Ran)> onDone)
{
    QPointer<QObject> guard(context);
    // An action is found only while this runner lives: found, it still does.
    findAction(
        id, context,
        [self = QPointer<ActionRunner>(this), desiredState, guard, onDone](const Found &found) {
            if (found.error) {
                onDone({QString(), found.error});
                return;
            }
            self->runFound(*found.control, desiredState, guard.data(), onDone);
        });
}

void ActionRunner::runFound(const Control &control, std::optional<bool> desiredState,
                            QObject *context, std::function<void(Ran)> onDone)
{
    const QString &title = control.title;
    std::optional<bool> wanted = desiredState;
    switch (control.type) {
    case ControlType::button:
        // Only a call on the bus asks a button for a state: it names the bus method to use.
        if (desiredState) {
            onDone({QString(),
                    ActionIntentError::wrongKind(
                        title, QStringLiteral("is a button, so it can't be turned on or off: "
                                              "use Run"))});
            return;
        }
        break;
    case ControlType::toggle:
        if (!wanted) {
            const std::optional<ControlState> state = m_model->state(control);
            wanted = !(state && state->isOn.value_or(false));
        }
        break;
    case ControlType::metric:
        onDone({QString(), ActionIntentError::wrongKind(
                               title, QStringLiteral("is a readout, so there's nothing to run"))});
        return;
    }
    if (!context)
        return;
    m_model->runControl(
        control, wanted, context, [title, wanted, onDone](const ClientModel::RunOutcome &outcome) {
            if (!outcome.ok) {
                onDone({QString(), ActionIntentError::failed(title, outcome.message)});
                return;
            }
            // A flipped switch says where it went, as one turned on or off does.
            if (!wanted)
                onDone({QStringLiteral("Done: ") + title + u'.', std::nullopt});
            else if (*wanted)
                onDone({title + QStringLiteral(" is on."), std::nullopt});
            else
                onDone({title + QStringLiteral(" is off."), std::nullopt});
        });
}

QString ActionRunner::valueText(const std::optional<ControlState> &state)
{
    if (!state)
        return QString();
    if (state->detail)
        return *state->detail;
    if (state->isOn)
        return *state->isOn ? QStringLiteral("On") : QStringLiteral("Off");
    return QString();
}

} // namespace Quorvel
