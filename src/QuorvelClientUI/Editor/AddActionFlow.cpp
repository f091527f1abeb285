#include "QuorvelClientUI/Editor/AddActionFlow.h"

#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/ActionWording.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/ControlDescription.h"
#include "QuorvelClientUI/Editor/ControlID.h"
#include "QuorvelClientUI/Editor/DeckEditorClient.h"

#include <QLocale>

namespace Quorvel {

namespace {

// How often a readout of a typed command refreshes.
constexpr double customValueInterval = 30.0;
// The review is the last step.
constexpr int reviewStep = 3;

// Trims spaces and tabs only: a line break inside a name or command is the user's.
QString trimSpacesAndTabs(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

Action plainAction(Action::Kind kind, const QString &target)
{
    Action action;
    action.type = kind;
    action.target = target;
    return action;
}

} // namespace

QString AddActionFlow::rawValue(Intent intent)
{
    switch (intent) {
    case Intent::appSwitch:
        return QStringLiteral("appSwitch");
    case Intent::appControl:
        return QStringLiteral("appControl");
    case Intent::shortcut:
        return QStringLiteral("shortcut");
    case Intent::command:
        return QStringLiteral("command");
    case Intent::value:
        return QStringLiteral("value");
    }
    return {};
}

std::optional<AddActionFlow::Intent> AddActionFlow::intentFromRawValue(const QString &raw)
{
    for (Intent intent : allIntents) {
        if (rawValue(intent) == raw)
            return intent;
    }
    return std::nullopt;
}

QString AddActionFlow::title(Intent intent)
{
    switch (intent) {
    case Intent::appSwitch:
        return tr("Turn an app on and off");
    case Intent::appControl:
        return tr("Control an app");
    case Intent::shortcut:
        return tr("Run a shortcut");
    case Intent::command:
        return tr("Run a command or script");
    case Intent::value:
        return tr("Show a value");
    }
    return {};
}

QString AddActionFlow::symbol(Intent intent)
{
    switch (intent) {
    case Intent::appSwitch:
        return QStringLiteral("power.circle");
    case Intent::appControl:
        return QStringLiteral("slider.horizontal.3");
    case Intent::shortcut:
        return QStringLiteral("play.square");
    case Intent::command:
        return QStringLiteral("terminal");
    case Intent::value:
        return QStringLiteral("gauge.with.dots.needle.50percent");
    }
    return {};
}

ControlType AddActionFlow::badgeType(Intent intent)
{
    switch (intent) {
    case Intent::appSwitch:
    case Intent::appControl:
        return ControlType::toggle;
    case Intent::shortcut:
    case Intent::command:
        return ControlType::button;
    case Intent::value:
        return ControlType::metric;
    }
    return ControlType::button;
}

QString AddActionFlow::subtitle(Intent intent, int shortcutCount, const QString &hostName,
                                const QStringList &appNames)
{
    switch (intent) {
    case Intent::appSwitch:
        return tr("A switch that opens and quits an app, and shows whether it's running.");
    case Intent::appControl:
        if (appNames.isEmpty())
            return tr("Use a switch, button, or value an app offers (apps like Mondrake), with "
                      "its live state.");
        return tr("Use a switch, button, or value from %1, with its live state.")
            .arg(QLocale().createSeparatedList(appNames));
    case Intent::shortcut:
        if (shortcutCount > 0)
            return tr("A button for one of %1's %2 shortcuts.").arg(hostName).arg(shortcutCount);
        return tr("A button that runs one of %1's shortcuts.").arg(hostName);
    case Intent::command:
        return tr("A button for a shell command or a script file.");
    case Intent::value:
        return tr("A readout that refreshes by itself, like free disk space or uptime.");
    }
    return {};
}

AddActionFlow::Intent AddActionFlow::intentFor(const Control &control)
{
    if (appControlBinding(control))
        return Intent::appControl;
    switch (control.type) {
    case ControlType::toggle:
        return Intent::appSwitch;
    case ControlType::metric:
        return Intent::value;
    case ControlType::button:
        break;
    }
    if (control.action && control.action->type == Action::Kind::shortcut)
        return Intent::shortcut;
    return Intent::command;
}

AddActionFlow::AddActionFlow(DeckEditorClient &client, std::vector<Control> existing,
                             const std::optional<Control> &preset,
                             std::optional<Intent> startIntent, QObject *parent)
    : QObject(parent), m_client(client), m_existing(std::move(existing)), m_preset(preset)
{
    if (m_preset) {
        enterReview(*m_preset);
    } else if (startIntent) {
        m_intent = *startIntent;
        m_step = 2;
        askForAppControlsWhenListed();
    }
    connect(&m_client, &DeckEditorClient::catalogChanged, this, &AddActionFlow::changed);
    connect(&m_client, &DeckEditorClient::hostInfoChanged, this, &AddActionFlow::changed);
    connect(&m_client, &DeckEditorClient::statusChanged, this, &AddActionFlow::changed);
}

QString AddActionFlow::hostName() const
{
    return m_client.hostName();
}

QSet<QString> AddActionFlow::usedIDs() const
{
    QSet<QString> ids;
    for (const Control &control : m_existing)
        ids.insert(control.id);
    return ids;
}

void AddActionFlow::chooseIntent(Intent intent)
{
    m_intent = intent;
    m_step = 2;
    askForAppControlsWhenListed();
    emit changed();
}

void AddActionFlow::askForAppControlsWhenListed()
{
    // Apps start and stop offering controls at any time; the catalog the editor holds may be
    // from before they did.
    if (m_step == 2 && m_intent == Intent::appControl && m_client.canEditDeck())
        m_client.requestCatalog();
}

std::vector<DeckIdeas::Idea> AddActionFlow::ideas() const
{
    return DeckIdeas::ideas(m_client.catalog(), m_existing);
}

void AddActionFlow::chooseIdea(const DeckIdeas::Idea &idea)
{
    enterReview(idea.control);
}

QString AddActionFlow::subtitle(Intent intent) const
{
    const std::optional<HostCatalog> catalog = m_client.catalog();
    QStringList appNames;
    if (catalog) {
        for (const HostCatalog::AppControls &provider : catalog->appControls)
            appNames.append(provider.name);
    }
    return subtitle(intent, catalog ? int(catalog->shortcuts.size()) : 0, hostName(), appNames);
}

void AddActionFlow::setApp(const QString &app)
{
    m_app = app;
    const std::optional<HostCatalog> catalog = m_client.catalog();
    m_quitShortcut = Quorvel::quitShortcut(app, catalog ? catalog->shortcuts : QStringList());
    emit changed();
}

void AddActionFlow::setQuitShortcut(const std::optional<QString> &shortcut)
{
    m_quitShortcut = shortcut;
    emit changed();
}

void AddActionFlow::setShortcut(const QString &shortcut)
{
    m_shortcut = shortcut;
    emit changed();
}

std::optional<QString> AddActionFlow::shortcutBadge(const QString &shortcut) const
{
    for (const Control &control : m_existing) {
        for (const std::optional<Action> *slot :
             {&control.action, &control.onAction, &control.offAction}) {
            if (*slot && (*slot)->type == Action::Kind::shortcut && (*slot)->target == shortcut)
                return tr("Used by %1").arg(control.title);
        }
    }
    return std::nullopt;
}

void AddActionFlow::setCommandKind(Action::Kind kind)
{
    m_commandKind = kind;
    emit changed();
}

void AddActionFlow::setCommand(const QString &command)
{
    m_command = command;
    emit changed();
}

void AddActionFlow::setValuePreset(const std::optional<ValuePreset> &preset)
{
    m_valuePreset = preset;
    emit changed();
}

void AddActionFlow::setCustomValue(const QString &command)
{
    m_customValue = command;
    emit changed();
}

void AddActionFlow::setControlApp(const QString &app)
{
    m_controlApp = app;
    emit changed();
}

void AddActionFlow::setControlItem(const QString &item)
{
    m_controlItem = item;
    emit changed();
}

std::optional<Control> AddActionFlow::appControlDraft() const
{
    const std::optional<HostCatalog> catalog = m_client.catalog();
    if (!catalog)
        return std::nullopt;
    for (const HostCatalog::AppControls &provider : catalog->appControls) {
        if (provider.app != m_controlApp)
            continue;
        const std::optional<HostCatalog::AppControls::Item> item = provider.item(m_controlItem);
        if (!item)
            return std::nullopt;
        return controlFromAppOffer(*item, provider.app, usedIDs());
    }
    return std::nullopt;
}

void AddActionFlow::setName(const QString &name)
{
    m_name = name;
    emit changed();
}

void AddActionFlow::setIcon(const QString &icon)
{
    m_icon = icon;
    emit changed();
}

void AddActionFlow::setMakeSwitch(bool on)
{
    m_makeSwitch = on;
    emit changed();
}

void AddActionFlow::setOffShortcut(const QString &shortcut)
{
    m_offShortcut = shortcut;
    emit changed();
}

void AddActionFlow::setSwitchStatusApp(const QString &app)
{
    m_switchStatusApp = app;
    emit changed();
}

bool AddActionFlow::offersSwitch() const
{
    return m_draft && m_draft->type == ControlType::button && m_draft->action &&
           m_draft->action->type == Action::Kind::shortcut;
}

std::optional<Control> AddActionFlow::finishedControl() const
{
    if (!m_draft)
        return std::nullopt;
    Control control = *m_draft;
    if (m_makeSwitch && m_draft->type == ControlType::button && m_draft->action) {
        control.type = ControlType::toggle;
        control.onAction = m_draft->action;
        control.offAction = plainAction(Action::Kind::shortcut, m_offShortcut);
        control.action.reset();
        control.statusCheck = StatusCheck{StatusCheck::Kind::processRunning, m_switchStatusApp,
                                          std::nullopt, std::nullopt};
    }
    control.title = m_name;
    control.icon = m_icon.isEmpty() ? std::nullopt : std::optional<QString>(m_icon);
    const QSet<QString> used = usedIDs();
    const QString &id = m_draft->id;
    const bool keepsID = !id.isEmpty() && !used.contains(id) &&
                         !id.startsWith(QLatin1String("command")) &&
                         !id.startsWith(QLatin1String("value"));
    if (!keepsID) {
        const QString base = !m_name.isEmpty() ? m_name
                             : !id.isEmpty()   ? id
                                               : QStringLiteral("control");
        control.id = makeControlID(base, used);
    }
    return control;
}

QString AddActionFlow::description() const
{
    const std::optional<Control> control = finishedControl();
    return control ? describe(*control, m_client.catalog(), m_client.hostInfo()) : QString();
}

QList<AddActionFlow::TryButton> AddActionFlow::tryButtons() const
{
    const std::optional<Control> control = finishedControl();
    if (!control)
        return {};
    switch (control->type) {
    case ControlType::button:
        return {{tr("Try It on %1").arg(hostName()), TryPart::action}};
    case ControlType::toggle:
        return {{tr("Try Turning On"), TryPart::onAction},
                {tr("Try Turning Off"), TryPart::offAction}};
    case ControlType::metric:
        return {{tr("Check the Value"), TryPart::statusCheck}};
    }
    return {};
}

bool AddActionFlow::canTry() const
{
    return m_client.canEditDeck() && !m_trying;
}

void AddActionFlow::tryPart(TryPart part)
{
    const std::optional<Control> control = finishedControl();
    if (!control || !canTry())
        return;
    const auto done = [this](const ClientTestOutcome &outcome) {
        m_trying = false;
        setResult(outcome);
    };
    std::optional<Action> action;
    switch (part) {
    case TryPart::statusCheck:
        if (!control->statusCheck)
            return;
        m_trying = true;
        emit changed();
        m_client.check(*control->statusCheck, this, done);
        return;
    case TryPart::action:
        action = control->action;
        break;
    case TryPart::onAction:
        action = control->onAction;
        break;
    case TryPart::offAction:
        action = control->offAction;
        break;
    }
    if (!action)
        return;
    m_trying = true;
    emit changed();
    m_client.test(*action, this, done);
}

QString AddActionFlow::failureHint() const
{
    if (!m_result)
        return {};
    const bool failed = m_result->kind() == ClientTestOutcome::Kind::failed ||
                        (m_result->kind() == ClientTestOutcome::Kind::action && !m_result->ok());
    return failed ? tr("You can still add it and fix it on %1 later.").arg(hostName()) : QString();
}

QList<AddActionFlow::ProgressLabel> AddActionFlow::progress() const
{
    const QString first = m_step < 2 ? tr("What it does") : title(m_intent);
    const std::optional<QString> summary = m_step >= reviewStep ? pickedSummary() : std::nullopt;
    const QStringList texts{first, summary.value_or(tr("Pick it")), tr("Try it and name it")};
    QList<ProgressLabel> labels;
    for (int n = 1; n <= int(texts.size()); ++n) {
        const auto mark = n < m_step    ? ProgressLabel::Mark::done
                          : n == m_step ? ProgressLabel::Mark::current
                                        : ProgressLabel::Mark::toCome;
        labels.append({texts.at(n - 1), mark});
    }
    return labels;
}

std::optional<QString> AddActionFlow::pickedSummary() const
{
    if (!m_draft)
        return std::nullopt;
    if (const auto binding = appControlBinding(*m_draft))
        return appControlPhrase(binding->app, binding->control, m_client.catalog());
    const std::optional<Action> &action = m_draft->onAction ? m_draft->onAction : m_draft->action;
    if (action && !action->target.isEmpty())
        return action->target;
    if (m_draft->statusCheck) {
        if (const auto preset = ValuePreset::fromCommand(m_draft->statusCheck->target))
            return preset->title();
    }
    return std::nullopt;
}

AddActionFlow::LeftSlot AddActionFlow::leftSlot() const
{
    if (m_step >= 2 && !m_preset)
        return LeftSlot::back;
    if (m_step == 1)
        return LeftSlot::somethingElse;
    return LeftSlot::none;
}

AddActionFlow::RightSlot AddActionFlow::rightSlot() const
{
    if (m_step == 2)
        return RightSlot::continueButton;
    if (m_step == reviewStep && m_draft)
        return RightSlot::addButton;
    return RightSlot::none;
}

bool AddActionFlow::canContinue() const
{
    switch (m_intent) {
    case Intent::appSwitch:
        return !m_app.isEmpty();
    case Intent::appControl:
        return appControlDraft().has_value();
    case Intent::shortcut:
        return !m_shortcut.isEmpty();
    case Intent::command:
        return !m_command.trimmed().isEmpty();
    case Intent::value:
        return m_valuePreset || !trimSpacesAndTabs(m_customValue).isEmpty();
    }
    return false;
}

bool AddActionFlow::canAdd() const
{
    if (!m_draft || trimSpacesAndTabs(m_name).isEmpty())
        return false;
    return !(m_makeSwitch && offersSwitch() &&
             (m_offShortcut.isEmpty() || m_switchStatusApp.isEmpty()));
}

void AddActionFlow::back()
{
    if (leftSlot() != LeftSlot::back)
        return;
    --m_step;
    m_result.reset();
    askForAppControlsWhenListed();
    emit changed();
}

void AddActionFlow::somethingElse()
{
    enterReview(commandControl(Action::Kind::shell, QString(), usedIDs()));
}

void AddActionFlow::continueToReview()
{
    if (m_step != 2 || !canContinue())
        return;
    const QSet<QString> used = usedIDs();
    switch (m_intent) {
    case Intent::appSwitch:
        enterReview(appSwitchControl(m_app, m_quitShortcut, used));
        return;
    case Intent::appControl:
        if (const std::optional<Control> control = appControlDraft())
            enterReview(*control);
        return;
    case Intent::shortcut:
        enterReview(shortcutButtonControl(m_shortcut, used));
        return;
    case Intent::command:
        enterReview(commandControl(m_commandKind, m_command, used));
        return;
    case Intent::value:
        enterReview(presetReadoutControl(m_valuePreset, m_customValue, used, customValueInterval));
        return;
    }
}

std::optional<Control> AddActionFlow::add() const
{
    return canAdd() ? finishedControl() : std::nullopt;
}

void AddActionFlow::enterReview(const Control &control)
{
    m_draft = control;
    m_name = control.title;
    m_icon = control.icon.value_or(QString());
    m_makeSwitch = false;
    const std::optional<HostCatalog> catalog = m_client.catalog();
    m_offShortcut =
        catalog && !catalog->shortcuts.isEmpty() ? catalog->shortcuts.first() : QString();
    m_switchStatusApp.clear();
    m_result.reset();
    m_intent = intentFor(control);
    m_step = reviewStep;
    emit changed();
}

void AddActionFlow::setResult(const std::optional<ClientTestOutcome> &result)
{
    m_result = result;
    emit changed();
}

} // namespace Quorvel
