#pragma once

#include "QuorvelClientUI/Editor/ActionEditing.h"
#include "QuorvelClientUI/Views/Editor/EditBinding.h"
#include "QuorvelCore/Model/Action.h"

#include <QWidget>

#include <optional>

class QButtonGroup;
class QComboBox;
class QVBoxLayout;

namespace Quorvel {

class DeckEditorClient;
class TryRow;

// Changes what an action does when it is pressed, turned on or turned off: one of seven choices
// (open or quit an app, a shortcut, a command, a script file, AppleScript, another app's
// control), the editor of that choice, and Try It, which runs the action as it stands.
class ActionPopover : public QWidget {
    Q_OBJECT

public:
    ActionPopover(const QString &title, EditBinding<Action> action, DeckEditorClient &client,
                  QWidget *parent = nullptr);

    QComboBox *choiceBox() const { return m_choice; }
    QWidget *editor() const { return m_editor; }
    TryRow *tryRow() const { return m_try; }
    // The on/off choice for another app's switch, or null.
    QButtonGroup *onOffGroup() const { return m_onOff; }

private:
    void write(const Action &action);
    void rebuildEditor();
    void refresh();

    EditBinding<Action> m_action;
    DeckEditorClient &m_client;
    std::optional<ActionEditing::Choice> m_shownChoice;
    QComboBox *m_choice;
    QVBoxLayout *m_editorLayout;
    QWidget *m_editor = nullptr;
    QButtonGroup *m_onOff = nullptr;
    TryRow *m_try;
};

} // namespace Quorvel
