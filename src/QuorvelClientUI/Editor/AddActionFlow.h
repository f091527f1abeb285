#pragma once

#include "QuorvelClientUI/ClientTestOutcome.h"
#include "QuorvelClientUI/Editor/DeckIdeas.h"
#include "QuorvelClientUI/Editor/ValuePreset.h"
#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/Control.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Quorvel {

class DeckEditorClient;

// The state of the sheet that adds one action, step by step: what the action does (step 1), its
// details (step 2), then a review where it is tried and named (step 3). The sheet's widgets only
// show this and forward the user's choices; every rule of moving between steps, enabling the
// footer's buttons and finishing the action lives here.
//
// The host is reached through the editor's client, for what it offers and for tries. A try's
// answer that comes after the flow is gone is dropped.
class AddActionFlow : public QObject {
    Q_OBJECT

public:
    enum class Intent { appSwitch, appControl, shortcut, command, value };
    static constexpr std::array<Intent, 5> allIntents{
        Intent::appSwitch, Intent::appControl, Intent::shortcut, Intent::command, Intent::value};
    static QString rawValue(Intent intent);
    static std::optional<Intent> intentFromRawValue(const QString &rawValue);
    static QString title(Intent intent);
    static QString symbol(Intent intent);
    static ControlType badgeType(Intent intent);
    // The card's explanation from what the host offers.
    static QString subtitle(Intent intent, int shortcutCount, const QString &hostName,
                            const QStringList &appNames);
    // The kind of new action a control is.
    static Intent intentFor(const Control &control);

    // What the footer's left and right slots hold.
    enum class LeftSlot { none, back, somethingElse };
    enum class RightSlot { none, continueButton, addButton };

    // One try button of the review: its label and the part of the action it tries.
    enum class TryPart { action, onAction, offAction, statusCheck };
    struct TryButton {
        QString label;
        TryPart part;
        friend bool operator==(const TryButton &, const TryButton &) = default;
    };

    // The progress header's three labels.
    struct ProgressLabel {
        QString text;
        enum class Mark { done, current, toCome } mark;
        friend bool operator==(const ProgressLabel &, const ProgressLabel &) = default;
    };

    // existing: the editor's actions in row order. A preset opens the review of it; otherwise a
    // start intent opens that kind's details; otherwise the sheet opens on its first step.
    AddActionFlow(DeckEditorClient &client, std::vector<Control> existing,
                  const std::optional<Control> &preset = std::nullopt,
                  std::optional<Intent> startIntent = std::nullopt, QObject *parent = nullptr);

    DeckEditorClient &client() const { return m_client; }
    QString hostName() const;
    QSet<QString> usedIDs() const;
    const std::vector<Control> &existing() const { return m_existing; }
    bool hasPreset() const { return m_preset.has_value(); }

    int step() const { return m_step; }
    Intent intent() const { return m_intent; }

    // Step 1.
    void chooseIntent(Intent intent);
    std::vector<DeckIdeas::Idea> ideas() const;
    void chooseIdea(const DeckIdeas::Idea &idea);
    QString subtitle(Intent intent) const;

    // Step 2: an app switch.
    const QString &app() const { return m_app; }
    // Picking an app also picks how it turns off: a quit shortcut of the host's that fits it,
    // else quitting the app itself.
    void setApp(const QString &app);
    // The shortcut that turns the switch off; none quits the app itself. Held apart from the
    // shortcut's name, so a shortcut of any name can be chosen.
    const std::optional<QString> &quitShortcut() const { return m_quitShortcut; }
    void setQuitShortcut(const std::optional<QString> &shortcut);

    // Step 2: a shortcut button.
    const QString &shortcut() const { return m_shortcut; }
    void setShortcut(const QString &shortcut);
    // "Used by" and the first action that runs the shortcut, or none.
    std::optional<QString> shortcutBadge(const QString &shortcut) const;

    // Step 2: a command.
    Action::Kind commandKind() const { return m_commandKind; }
    void setCommandKind(Action::Kind kind);
    const QString &command() const { return m_command; }
    void setCommand(const QString &command);

    // Step 2: a value.
    const std::optional<ValuePreset> &valuePreset() const { return m_valuePreset; }
    void setValuePreset(const std::optional<ValuePreset> &preset);
    const QString &customValue() const { return m_customValue; }
    void setCustomValue(const QString &command);

    // Step 2: another app's control.
    const QString &controlApp() const { return m_controlApp; }
    const QString &controlItem() const { return m_controlItem; }
    void setControlApp(const QString &app);
    void setControlItem(const QString &item);
    std::optional<Control> appControlDraft() const;

    // Step 3.
    const std::optional<Control> &draft() const { return m_draft; }
    const QString &name() const { return m_name; }
    void setName(const QString &name);
    const QString &icon() const { return m_icon; }
    void setIcon(const QString &icon);
    bool makeSwitch() const { return m_makeSwitch; }
    void setMakeSwitch(bool on);
    const QString &offShortcut() const { return m_offShortcut; }
    void setOffShortcut(const QString &shortcut);
    const QString &switchStatusApp() const { return m_switchStatusApp; }
    void setSwitchStatusApp(const QString &app);
    // Whether the review offers to turn the draft into a switch: a button that runs a shortcut.
    bool offersSwitch() const;
    // The action the review shows, tries and adds, from the draft and the review's choices.
    std::optional<Control> finishedControl() const;
    QString description() const;
    QList<TryButton> tryButtons() const;
    bool canTry() const;
    bool isTrying() const { return m_trying; }
    const std::optional<ClientTestOutcome> &result() const { return m_result; }
    // Tries one part of the finished action on the host; a part it lacks does nothing.
    void tryPart(TryPart part);
    // The line under a failed try's result, or empty.
    QString failureHint() const;

    // The header and the footer.
    QList<ProgressLabel> progress() const;
    std::optional<QString> pickedSummary() const;
    LeftSlot leftSlot() const;
    RightSlot rightSlot() const;
    bool canContinue() const;
    bool canAdd() const;
    void back();
    void somethingElse();
    void continueToReview();
    // The finished action for the editor, or none while it cannot be added.
    std::optional<Control> add() const;

    void enterReview(const Control &control);

signals:
    // Anything the sheet shows may have changed.
    void changed();

private:
    void setResult(const std::optional<ClientTestOutcome> &result);
    // Asks the host for its catalog again when the step that lists apps' controls is open.
    void askForAppControlsWhenListed();

    DeckEditorClient &m_client;
    std::vector<Control> m_existing;
    std::optional<Control> m_preset;

    int m_step = 1;
    Intent m_intent = Intent::appSwitch;
    QString m_app;
    std::optional<QString> m_quitShortcut;
    QString m_shortcut;
    Action::Kind m_commandKind = Action::Kind::shell;
    QString m_command;
    std::optional<ValuePreset> m_valuePreset = ValuePreset::freeDisk();
    QString m_customValue;
    QString m_controlApp;
    QString m_controlItem;
    std::optional<Control> m_draft;
    QString m_name;
    QString m_icon;
    bool m_makeSwitch = false;
    QString m_offShortcut;
    QString m_switchStatusApp;
    bool m_trying = false;
    std::optional<ClientTestOutcome> m_result;
};

} // namespace Quorvel
