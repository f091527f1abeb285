#include "QuorvelClientUI/Views/Editor/StatusPopover.h"
#include "QuorvelClientUI/Views/Editor/RetiredWidget.h"

#include "QuorvelClientUI/Editor/CheckEditing.h"
#include "QuorvelClientUI/Editor/DeckEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/TryRow.h"
#include "Widgets/Divider.h"
#include "Widgets/HiddenTextNote.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 10;
constexpr int pickerHeight = 160;
constexpr int appControlWidth = 440;
constexpr int appControlHeight = 180;
constexpr int resultLines = 2;
// The rows of the three ways, as CheckEditing numbers them.
constexpr int runningRow = 0;
constexpr int appControlRow = 2;

} // namespace

StatusPopover::StatusPopover(EditBinding<StatusCheck> check, DeckEditorClient &client,
                             QWidget *parent)
    : QWidget(parent), m_checkBinding(std::move(check)), m_client(client),
      m_rows(new QButtonGroup(this)), m_editorLayout(new QVBoxLayout),
      m_check(new TryRow(tr("Check Now"), tr("Checking…"), QString(), resultLines, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(
        new PlainLabel(tr("It shows on while…"), TextStyle::headline, StatusTone::none, this));
    const QStringList texts = CheckEditing::stateRows();
    for (int row = 0; row < texts.size(); ++row) {
        auto *radio = new QRadioButton(texts.at(row), this);
        m_rows->addButton(radio, row);
        layout->addWidget(radio);
    }
    // A click on the chosen row emits no toggle: choosing it again must not empty the check.
    connect(m_rows, &QButtonGroup::idToggled, this, [this](int row, bool checked) {
        if (!checked || row == CheckEditing::stateRow(m_checkBinding.get()))
            return;
        m_checkBinding.set(CheckEditing::withStateRow(m_checkBinding.get(), row));
        m_check->clearResult();
        refresh();
    });
    m_editorLayout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_editorLayout);
    layout->addWidget(new Divider(this));
    layout->addWidget(m_check);
    m_check->setRequest([this](QObject *context, TryRow::Done done) {
        m_client.check(m_checkBinding.get(), context, std::move(done));
    });
    connect(&m_client, &DeckEditorClient::catalogChanged, this, &StatusPopover::rebuildEditor);
    connect(&m_client, &DeckEditorClient::statusChanged, this, &StatusPopover::refresh);
    connect(&m_client, &DeckEditorClient::hostInfoChanged, this, &StatusPopover::refresh);
    refresh();
}

void StatusPopover::write(const StatusCheck &check)
{
    m_checkBinding.set(check);
    refresh();
}

void StatusPopover::refresh()
{
    const StatusCheck check = m_checkBinding.get();
    const int row = CheckEditing::stateRow(check);
    {
        const QSignalBlocker blocker(m_rows);
        m_rows->button(row)->setChecked(true);
    }
    if (m_shownRow != row) {
        m_shownRow = row;
        rebuildEditor();
    }
    m_check->setAllowed(m_client.canEditDeck() && CheckEditing::canCheck(check));
}

void StatusPopover::rebuildEditor()
{
    retireWidget(m_editor);
    m_editor = new QWidget(this);
    auto *layout = new QVBoxLayout(m_editor);
    layout->setContentsMargins(0, 0, 0, 0);
    m_editorLayout->addWidget(m_editor);
    const StatusCheck check = m_checkBinding.get();
    const std::optional<HostCatalog> catalog = m_client.catalog();
    const int row = CheckEditing::stateRow(check);
    if (row == runningRow) {
        auto *picker = new CatalogPicker(m_editor);
        picker->setItems(CheckEditing::appNames(catalog));
        picker->setSelection(check.target);
        picker->setPrompt(tr("Search apps"));
        picker->setBadge([catalog](const QString &name) -> std::optional<QString> {
            if (catalog && catalog->runningApps.contains(name))
                return tr("Running");
            return std::nullopt;
        });
        picker->setListHeight(pickerHeight);
        connect(picker, &CatalogPicker::selectionChanged, this, [this](const QString &name) {
            StatusCheck next = m_checkBinding.get();
            next.target = name;
            write(next);
        });
        layout->addWidget(picker);
    } else if (row == appControlRow) {
        auto *picker = new AppControlPicker({ControlType::toggle}, appControlHeight, m_editor);
        picker->setFixedWidth(appControlWidth);
        picker->setProviders(catalog ? catalog->appControls
                                     : std::vector<HostCatalog::AppControls>());
        picker->setHostName(m_client.hostName());
        picker->setChoice(check.target, check.control.value_or(QString()));
        connect(picker, &AppControlPicker::appChosen, this, [this](const QString &app) {
            StatusCheck next = m_checkBinding.get();
            next.target = app;
            write(next);
        });
        connect(picker, &AppControlPicker::controlChosen, this, [this](const QString &item) {
            write(CheckEditing::withControl(m_checkBinding.get(), item));
        });
        layout->addWidget(picker);
    } else {
        auto *field = new LineField(check.target, m_editor);
        field->setObjectName(QStringLiteral("command"));
        field->setAccessibleName(tr("Command"));
        field->setPlaceholderText(QStringLiteral("pgrep -x sonobus"));
        applyTextStyle(field, TextStyle::body, true);
        connect(field, &QLineEdit::textEdited, this, [this](const QString &text) {
            write(CheckEditing::withStateCommand(m_checkBinding.get(), text));
        });
        layout->addWidget(field);
        layout->addWidget(new HiddenTextNote(field, m_editor));
        layout->addWidget(new PlainLabel(tr("On when the command exits without an error."),
                                         TextStyle::caption, StatusTone::secondary, m_editor));
    }
}

} // namespace Quorvel
