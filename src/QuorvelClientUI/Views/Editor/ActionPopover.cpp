#include "QuorvelClientUI/Views/Editor/ActionPopover.h"
#include "QuorvelClientUI/Views/Editor/RetiredWidget.h"

#include "QuorvelClientUI/Editor/DeckEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/HostAppPicker.h"
#include "QuorvelClientUI/Views/Editor/TryRow.h"
#include "Widgets/Divider.h"
#include "Widgets/HiddenTextNote.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/PlainTextField.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

using Choice = ActionEditing::Choice;

constexpr int rowSpacing = 10;
constexpr int pickerHeight = 200;
constexpr int appControlWidth = 440;
constexpr int appControlHeight = 180;
constexpr int scriptHeight = 90;
constexpr int onOffWidth = 240;
// The command field shows up to four lines before it scrolls.
constexpr int commandLines = 4;
constexpr int resultLines = 3;

const QString onValue = QStringLiteral("on");
const QString offValue = QStringLiteral("off");

PlainTextField *codeEditor(const QString &text, const QString &placeholder, int height,
                           QWidget *parent)
{
    auto *editor = new PlainTextField(text, parent);
    editor->setPlaceholderText(placeholder);
    applyTextStyle(editor, TextStyle::body, true);
    editor->setFixedHeight(height);
    return editor;
}

} // namespace

ActionPopover::ActionPopover(const QString &title, EditBinding<Action> action,
                             DeckEditorClient &client, QWidget *parent)
    : QWidget(parent), m_action(std::move(action)), m_client(client), m_choice(new QComboBox(this)),
      m_editorLayout(new QVBoxLayout),
      m_try(new TryRow(tr("Try It"), tr("Trying…"), QString(), resultLines, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(new PlainLabel(title, TextStyle::headline, StatusTone::none, this));
    for (Choice choice : ActionEditing::allChoices)
        m_choice->addItem(ActionEditing::title(choice), ActionEditing::rawValue(choice));
    m_choice->setAccessibleName(tr("Do this"));
    layout->addWidget(m_choice);
    m_editorLayout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_editorLayout);
    layout->addWidget(new Divider(this));
    layout->addWidget(m_try);
    m_try->setRequest([this](QObject *context, TryRow::Done done) {
        m_client.test(m_action.get(), context, std::move(done));
    });
    connect(m_choice, &QComboBox::activated, this, [this](int index) {
        const auto choice = ActionEditing::choiceFromRawValue(m_choice->itemData(index).toString());
        if (!choice || *choice == ActionEditing::choice(m_action.get()))
            return;
        m_action.set(ActionEditing::switchedTo(m_action.get(), *choice));
        m_try->clearResult();
        refresh();
    });
    connect(&m_client, &DeckEditorClient::catalogChanged, this, &ActionPopover::rebuildEditor);
    connect(&m_client, &DeckEditorClient::statusChanged, this, &ActionPopover::refresh);
    connect(&m_client, &DeckEditorClient::hostInfoChanged, this, &ActionPopover::refresh);
    refresh();
}

void ActionPopover::write(const Action &action)
{
    m_action.set(action);
    refresh();
}

void ActionPopover::refresh()
{
    const Action action = m_action.get();
    const Choice choice = ActionEditing::choice(action);
    m_choice->setCurrentIndex(int(
        std::find(ActionEditing::allChoices.cbegin(), ActionEditing::allChoices.cend(), choice) -
        ActionEditing::allChoices.cbegin()));
    if (m_shownChoice != choice) {
        m_shownChoice = choice;
        rebuildEditor();
    }
    if (m_onOff)
        qobject_cast<QWidget *>(m_onOff->parent())
            ->setVisible(ActionEditing::offersOnOff(action, m_client.catalog()));
    m_try->setAllowed(m_client.canEditDeck() && ActionEditing::canTry(action));
    m_try->setNote(tr("Runs on %1 now").arg(m_client.hostName()));
}

void ActionPopover::rebuildEditor()
{
    retireWidget(m_editor);
    m_onOff = nullptr;
    m_editor = new QWidget(this);
    auto *layout = new QVBoxLayout(m_editor);
    layout->setContentsMargins(0, 0, 0, 0);
    m_editorLayout->addWidget(m_editor);
    const Action action = m_action.get();
    const std::optional<HostCatalog> catalog = m_client.catalog();
    const QString host = m_client.hostName();
    switch (ActionEditing::choice(action)) {
    case Choice::openApp:
    case Choice::quitApp: {
        auto *picker = new HostAppPicker(m_editor);
        picker->showApps(catalog, host);
        picker->setSelection(ActionEditing::app(action));
        picker->setListHeight(pickerHeight);
        connect(picker, &CatalogPicker::selectionChanged, this, [this](const QString &name) {
            write(ActionEditing::withApp(m_action.get(), name));
        });
        layout->addWidget(picker);
        break;
    }
    case Choice::shortcut: {
        auto *picker = new CatalogPicker(m_editor);
        picker->setItems(catalog ? catalog->shortcuts : QStringList());
        picker->setSelection(action.target);
        picker->setPrompt(tr("Search shortcuts on %1").arg(host));
        picker->setListHeight(pickerHeight);
        connect(picker, &CatalogPicker::selectionChanged, this, [this](const QString &name) {
            Action next = m_action.get();
            next.target = name;
            write(next);
        });
        layout->addWidget(picker);
        break;
    }
    case Choice::command:
    case Choice::applescript: {
        const bool command = ActionEditing::choice(action) == Choice::command;
        auto *editor = codeEditor(
            action.target, command ? tr("notify-send 'hello'") : QString(),
            command ? QFontMetrics(font()).lineSpacing() * commandLines : scriptHeight, m_editor);
        editor->setObjectName(QStringLiteral("code"));
        editor->setAccessibleName(command ? tr("Command") : tr("AppleScript"));
        connect(editor, &QPlainTextEdit::textChanged, this, [this, editor] {
            Action next = m_action.get();
            next.target = editor->text();
            write(next);
        });
        layout->addWidget(editor);
        layout->addWidget(new HiddenTextNote(editor, m_editor));
        break;
    }
    case Choice::script: {
        auto *field = new LineField(action.target, m_editor);
        field->setObjectName(QStringLiteral("code"));
        field->setPlaceholderText(QStringLiteral("~/bin/backup.sh"));
        field->setAccessibleName(tr("Script file on the host"));
        field->setTakesFilePath(true);
        applyTextStyle(field, TextStyle::body, true);
        connect(field, &QLineEdit::textEdited, this, [this](const QString &text) {
            Action next = m_action.get();
            next.target = text;
            write(next);
        });
        layout->addWidget(field);
        layout->addWidget(new HiddenTextNote(field, m_editor));
        break;
    }
    case Choice::appControl: {
        auto *picker = new AppControlPicker({ControlType::toggle, ControlType::button},
                                            appControlHeight, m_editor);
        picker->setFixedWidth(appControlWidth);
        picker->setProviders(catalog ? catalog->appControls
                                     : std::vector<HostCatalog::AppControls>());
        picker->setHostName(host);
        picker->setChoice(action.target, action.control.value_or(QString()));
        connect(picker, &AppControlPicker::appChosen, this, [this](const QString &app) {
            Action next = m_action.get();
            next.target = app;
            write(next);
        });
        connect(picker, &AppControlPicker::controlChosen, this, [this](const QString &item) {
            write(ActionEditing::withControl(m_action.get(), item, m_client.catalog()));
        });
        layout->addWidget(picker);
        auto *onOff = new QWidget(m_editor);
        auto *onOffLayout = new QHBoxLayout(onOff);
        onOffLayout->setContentsMargins(0, 0, 0, 0);
        onOff->setFixedWidth(onOffWidth);
        m_onOff = new QButtonGroup(onOff);
        const QString current = ActionEditing::onOffValue(action);
        for (const auto &[value, label] :
             {std::pair{onValue, tr("Turn it on")}, std::pair{offValue, tr("Turn it off")}}) {
            auto *button = new QPushButton(label, onOff);
            button->setObjectName(value);
            button->setCheckable(true);
            button->setAutoDefault(false);
            button->setChecked(value == current);
            m_onOff->addButton(button);
            onOffLayout->addWidget(button);
            // Acts on the toggle alone: pressing the chosen half again changes nothing.
            connect(button, &QPushButton::toggled, this, [this, value](bool checked) {
                if (checked)
                    write(ActionEditing::withOnOffValue(m_action.get(), value));
            });
        }
        m_onOff->setExclusive(true);
        onOff->setVisible(ActionEditing::offersOnOff(action, catalog));
        layout->addWidget(onOff);
        break;
    }
    }
}

} // namespace Quorvel
