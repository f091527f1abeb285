#include "QuorvelClientUI/Views/Editor/MetricSourcePopover.h"

#include "QuorvelClientUI/Editor/CheckEditing.h"
#include "QuorvelClientUI/Editor/DeckEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "QuorvelClientUI/Views/Editor/TryRow.h"
#include "Widgets/Divider.h"
#include "Widgets/HiddenTextNote.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/PlainTextField.h"
#include "Widgets/SymbolIcons.h"

#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 10;
constexpr int pickerWidth = 440;
constexpr int pickerHeight = 160;
constexpr int resultLines = 2;
// The command field shows up to three lines before it scrolls, plus its frame.
constexpr int commandLines = 3;
constexpr int commandFrame = 12;
constexpr int symbolSide = 20;

} // namespace

MetricSourcePopover::MetricSourcePopover(EditBinding<StatusCheck> check, DeckEditorClient &client,
                                         QWidget *parent)
    : QWidget(parent), m_checkBinding(std::move(check)), m_client(client),
      m_command(new PlainTextField(this)),
      m_check(new TryRow(tr("Check Now"), tr("Checking…"), QString(), resultLines, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(
        new PlainLabel(tr("What should it show?"), TextStyle::headline, StatusTone::none, this));
    for (const ValuePreset &preset : ValuePreset::all()) {
        auto *row = new QToolButton(this);
        row->setObjectName(preset.rawValue());
        row->setText(preset.title());
        row->setIcon(SymbolIcons::icon(preset.symbol()));
        row->setIconSize(QSize(symbolSide, symbolSide));
        row->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        row->setAutoRaise(true);
        row->setCheckable(true);
        row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        connect(row, &QToolButton::clicked, this,
                [this, preset] { write(CheckEditing::presetCheck(preset), true); });
        m_presets.append(row);
        layout->addWidget(row);
    }
    layout->addWidget(new Divider(this));
    layout->addWidget(new PlainLabel(tr("Or the output of a command"), TextStyle::caption,
                                     StatusTone::secondary, this));
    m_command->setObjectName(QStringLiteral("command"));
    m_command->setAccessibleName(tr("Command"));
    m_command->setPlaceholderText(QStringLiteral("date +%H:%M"));
    applyTextStyle(m_command, TextStyle::body, true);
    m_command->setFixedHeight(QFontMetrics(m_command->font()).lineSpacing() * commandLines +
                              commandFrame);
    connect(m_command, &QPlainTextEdit::textChanged, this, [this] {
        write(CheckEditing::withReadoutCommand(m_checkBinding.get(), m_command->text()), false);
    });
    layout->addWidget(m_command);
    layout->addWidget(new HiddenTextNote(m_command, this));
    // The values other apps offer: shown while the host's catalog lists any, following it.
    m_appSection = new QWidget(this);
    auto *sectionLayout = new QVBoxLayout(m_appSection);
    sectionLayout->setContentsMargins(0, 0, 0, 0);
    sectionLayout->setSpacing(rowSpacing);
    sectionLayout->addWidget(new Divider(m_appSection));
    sectionLayout->addWidget(new PlainLabel(tr("Or a value from another app"), TextStyle::caption,
                                            StatusTone::secondary, m_appSection));
    m_picker = new AppControlPicker({ControlType::metric}, pickerHeight, m_appSection);
    m_picker->setFixedWidth(pickerWidth);
    connect(m_picker, &AppControlPicker::appChosen, this,
            [this](const QString &app) { m_pickedApp = app; });
    connect(m_picker, &AppControlPicker::controlChosen, this, [this](const QString &item) {
        if (const auto next = CheckEditing::withPickedItem(m_pickedApp, item))
            write(*next, true);
    });
    sectionLayout->addWidget(m_picker);
    m_appSection->hide();
    layout->addWidget(m_appSection);
    layout->addWidget(m_check);
    m_check->setRequest([this](QObject *context, TryRow::Done done) {
        m_client.check(m_checkBinding.get(), context, std::move(done));
    });
    connect(&m_client, &DeckEditorClient::statusChanged, this, &MetricSourcePopover::refresh);
    connect(&m_client, &DeckEditorClient::hostInfoChanged, this, &MetricSourcePopover::refresh);
    connect(&m_client, &DeckEditorClient::catalogChanged, this, &MetricSourcePopover::refresh);
    refresh();
}

AppControlPicker *MetricSourcePopover::picker() const
{
    return m_appSection->isHidden() ? nullptr : m_picker;
}

void MetricSourcePopover::write(const StatusCheck &check, bool clearsResult)
{
    m_checkBinding.set(check);
    if (clearsResult)
        m_check->clearResult();
    refresh();
}

void MetricSourcePopover::refresh()
{
    const StatusCheck check = m_checkBinding.get();
    const std::optional<ValuePreset> current = CheckEditing::currentPreset(check);
    for (QToolButton *row : m_presets)
        row->setChecked(current && current->rawValue() == row->objectName());
    const QString command = CheckEditing::commandText(check);
    if (m_command->text() != command) {
        const QSignalBlocker blocker(m_command);
        m_command->setText(command);
    }
    const std::optional<HostCatalog> catalog = m_client.catalog();
    const bool offersApps = catalog && !catalog->appControls.empty();
    // Coming on screen, the picker opens on the app the readout already uses.
    if (offersApps && m_appSection->isHidden() && check.type == StatusCheck::Kind::appControl)
        m_pickedApp = check.target;
    m_appSection->setHidden(!offersApps);
    if (offersApps) {
        m_picker->setProviders(catalog->appControls);
        m_picker->setHostName(m_client.hostName());
        m_picker->setChoice(m_pickedApp, CheckEditing::pickedItem(check, m_pickedApp));
    }
    m_check->setAllowed(m_client.canEditDeck() && CheckEditing::canCheck(check));
}

} // namespace Quorvel
